#include "exchange/folder_export.h"

#include "exchange/ncdu_writer.h"
#include "platform/folder_enumerator.h"
#include "platform/folder_path.h"
#include "platform/posix_folder_enumerator.h"
#include "populater/scan_control.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

struct OpenFolder {
    QByteArray path;
    std::vector<QByteArray> subFolders;
    size_t next = 0;
};

// The stop an interrupt asks for; a lock-free store is all a signal handler may do.
std::atomic<ScanControl *> interruptible{nullptr};

void stopOnInterrupt(int)
{
    if (ScanControl *control = interruptible.load())
        control->requestCancel();
}

} // namespace

bool exportFolder(FolderEnumerator &fileSystem, const QByteArray &rootPath, QIODevice &out, ScanControl &control,
                  QString &error)
{
    const std::unique_ptr<FolderWalk> walk = fileSystem.startWalk(rootPath);
    NcduWriter writer(out, ZK_VERSION, QDateTime::currentSecsSinceEpoch());
    std::vector<OpenFolder> open;
    FolderListing listing;
    const auto enter = [&](const QByteArray &path, const QByteArray &name) {
        const bool listed = walk->list(path, EntryDetail::WithFileNames, listing);
        writer.beginFolder(name, !listed);
        for (const auto &[fileName, size] : listing.namedFiles)
            writer.file(fileName, size);
        control.folderListed(path, listing.files, listing.fileBytes);
        open.push_back({path, std::move(listing.subFolders), 0});
    };

    const QByteArray rootName = rootPath.size() > 1 ? rootPath.chopped(1) : rootPath;
    enter(rootPath, rootName);
    while (!open.empty()) {
        if (control.cancelRequested()) {
            error = QStringLiteral("中止しました");
            return false;
        }
        OpenFolder &folder = open.back();
        if (folder.next < folder.subFolders.size()) {
            const QByteArray &name = folder.subFolders[folder.next++];
            enter(subFolderPath(folder.path, name), name);
            continue;
        }
        writer.endFolder();
        open.pop_back();
    }
    if (!writer.finish()) {
        error = out.errorString();
        return false;
    }
    return true;
}

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
    bool written = false;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        written = exportFolder(fileSystem, rootPath, out, control, error);
        done = true;
    });
    // Progress on one line of the terminal, a few times a second.
    const bool showProgress = ::isatty(STDERR_FILENO);
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        if (showProgress) {
            const ScanControl::Progress progress = control.progress();
            std::fprintf(stderr, "\r%lld folders, %lld files", static_cast<long long>(progress.folders),
                         static_cast<long long>(progress.files));
        }
    }
    worker.join();
    if (showProgress)
        std::fputc('\n', stderr);
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
