#include "exchange/export_command.h"

#include "exchange/folder_export.h"
#include "platform/posix_folder_enumerator.h"
#include "populater/folder_scan_job.h"
#include "populater/scan_control.h"

#include <QFile>
#include <QSaveFile>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <future>

#include <unistd.h>

namespace {

// The stop an interrupt asks for; a lock-free store is all a signal handler may do.
std::atomic<ScanControl *> interruptible{nullptr};

void stopOnInterrupt(int)
{
    if (ScanControl *control = interruptible.load())
        control->requestCancel();
}

} // namespace

int runExportCommand(const QByteArray &file, const QByteArray &rootPath)
{
    const bool toOutput = file == "-";
    QFile output;
    QSaveFile saved(QFile::decodeName(file));
    QIODevice &out = toOutput ? static_cast<QIODevice &>(output) : saved;
    const bool opened = toOutput ? output.open(stdout, QIODevice::WriteOnly) : saved.open(QIODevice::WriteOnly);
    if (!opened) {
        std::fprintf(stderr, "zorvik-kavrona: cannot write %s: %s\n", file.constData(), qPrintable(out.errorString()));
        return 1;
    }

    ScanControl control;
    interruptible = &control;
    std::signal(SIGINT, stopOnInterrupt);
    std::signal(SIGTERM, stopOnInterrupt);
    PosixFolderEnumerator fileSystem;
    QString error;
    std::future<bool> export_ = std::async(std::launch::async, [&] {
        return exportFolder(fileSystem, rootPath, out, control, error, {FolderScanJob::defaultThreads()});
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
    try {
        written = export_.get();
    } catch (const std::exception &failure) {
        // Out of memory, most likely: the export is lost, not the machine's other work.
        error = QString::fromLocal8Bit(failure.what());
    }
    interruptible = nullptr;
    // A failed or stopped export leaves no file: the one in the making is dropped.
    if (!written || (!toOutput && !saved.commit())) {
        if (!toOutput)
            saved.cancelWriting();
        std::fprintf(stderr, "zorvik-kavrona: export of %s failed: %s\n", rootPath.constData(),
                     qPrintable(error.isEmpty() ? saved.errorString() : error));
        return 1;
    }
    return 0;
}
