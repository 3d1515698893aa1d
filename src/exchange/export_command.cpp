#include "exchange/export_command.h"

#include "exchange/export_target.h"
#include "exchange/folder_export.h"
#include "platform/posix_folder_enumerator.h"
#include "scan/folder_scan_job.h"
#include "scan/scan_control.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <future>
#include <new>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The stop an interrupt asks for; a lock-free store is all a signal handler may do.
std::atomic<ScanControl *> interruptible{nullptr};

void stopOnInterrupt(int)
{
    if (ScanControl *control = interruptible.load())
        control->requestCancel();
}

// A standard channel the program was started without is taken by /dev/null, so that no
// file the export opens gets its number and receives what is meant for it.
void occupyClosedStandardChannels()
{
    for (int channel = STDIN_FILENO; channel <= STDERR_FILENO; ++channel) {
        if (::fcntl(channel, F_GETFD) != -1)
            continue;
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != channel) {
            ::dup2(null, channel);
            ::close(null);
        }
    }
}

void say(const QByteArray &message)
{
    std::fprintf(stderr, "zorvik-kavrona: %s\n", message.constData());
}

} // namespace

int runExportCommand(const QByteArray &file, const QByteArray &rootPath)
{
    const QByteArray output = file == "-" ? QByteArray("standard output") : file;
    ExportTarget target;
    const bool outputOpen = file != "-" || ::fcntl(STDOUT_FILENO, F_GETFD) != -1;
    occupyClosedStandardChannels();
    if (!outputOpen || !target.open(file)) {
        say("cannot write " + output + ": " + (outputOpen ? target.errorString().toLocal8Bit() : "it is closed"));
        return 1;
    }

    ScanControl control;
    interruptible = &control;
    std::signal(SIGINT, stopOnInterrupt);
    std::signal(SIGTERM, stopOnInterrupt);
    PosixFolderEnumerator fileSystem;
    QString error;
    std::future<bool> export_ = std::async(std::launch::async, [&] {
        return exportFolder(fileSystem, rootPath, target.device(), control, error, {FolderScanJob::defaultThreads()});
    });
    // Progress on one line of the terminal, a few times a second.
    const bool showProgress = ::isatty(STDERR_FILENO);
    while (export_.wait_for(std::chrono::milliseconds(250)) != std::future_status::ready) {
        if (showProgress) {
            const ScanControl::Progress progress = control.progress();
            std::fprintf(stderr, "\r%lld folders, %lld files", static_cast<long long>(progress.folders),
                         static_cast<long long>(progress.files));
        }
    }
    if (showProgress)
        std::fputc('\n', stderr);
    bool written = false;
    QByteArray failure;
    try {
        written = export_.get();
    } catch (const std::bad_alloc &) {
        failure = "export of " + rootPath + " failed: not enough memory";
    } catch (const std::exception &exception) {
        failure = "export of " + rootPath + " failed: " + exception.what();
    }
    interruptible = nullptr;
    if (written && !target.commit())
        failure = "cannot write " + output + ": " + target.errorString().toLocal8Bit();
    else if (!written && failure.isEmpty())
        failure = control.cancelRequested() ? "export of " + rootPath + " interrupted"
                                            : "cannot write " + output + ": " + error.toLocal8Bit();
    if (!failure.isEmpty()) {
        // A failed or stopped export leaves a file as it was; one in the making is dropped.
        target.discard();
        say(failure);
        return 1;
    }
    return 0;
}
