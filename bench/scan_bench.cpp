// Scans one folder with the program's own scan and prints what it counted and what it
// cost: bench/scan_bench [--threads N|window] FOLDER, where N = 1 is the single-threaded
// scan (the default), more is the parallel one, and "window" the window's thread count.
// The last line is "folders=N files=N bytes=N seconds=S peak_rss_kib=N threads=N".

#include "platform/folder_path.h"
#include "platform/posix_folder_enumerator.h"
#include "scan/folder_scan_job.h"
#include "scan/folder_size_scan.h"
#include "scan/parallel_folder_size_scan.h"

#include <QFile>
#include <QTextStream>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

int main(int argc, char *argv[])
{
    int threads = 1;
    if (argc == 4 && QByteArray(argv[1]) == "--threads")
        threads = QByteArray(argv[2]) == "window" ? FolderScanJob::defaultThreads() : QByteArray(argv[2]).toInt();
    if ((argc != 2 && argc != 4) || threads < 1) {
        std::fprintf(stderr, "usage: %s [--threads N|window] FOLDER\n", argv[0]);
        return 2;
    }
    QByteArray folder = argv[argc - 1];
    if (!folder.endsWith(folderSeparator))
        folder += folderSeparator;

    PosixFolderEnumerator fileSystem;
    SizeCache colSizeCache(pathKeyComparison);
    bool hasSubFolders = false;
    double bytes = 0;
    qint64 files = 0;
    const auto start = std::chrono::steady_clock::now();
    if (threads == 1) {
        FolderSizeScan scan(fileSystem, colSizeCache);
        bytes = scan.GetFolderSize(folder, hasSubFolders);
        files = scan.filesCounted();
    } else {
        ParallelFolderSizeScan scan(fileSystem, colSizeCache, threads);
        bytes = scan.GetFolderSize(folder, hasSubFolders);
        files = scan.filesCounted();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("folders=%d files=%lld bytes=%.0f seconds=%.3f peak_rss_kib=%ld threads=%d\n", colSizeCache.count(),
                static_cast<long long>(files), bytes, elapsed.count(), usage.ru_maxrss, threads);
    return 0;
}
