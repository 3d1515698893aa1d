// Scans one folder with the program's own scan and prints what it counted and what it
// cost. The last line is "folders=N files=N bytes=N seconds=S peak_rss_kib=N".

#include "platform/folder_path.h"
#include "platform/posix_folder_enumerator.h"
#include "populater/folder_size_scan.h"

#include <QFile>
#include <QTextStream>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    QByteArray folder = argv[1];
    if (!folder.endsWith(folderSeparator))
        folder += folderSeparator;

    PosixFolderEnumerator fileSystem;
    SizeCache colSizeCache(pathKeyComparison);
    FolderSizeScan scan(fileSystem, colSizeCache);

    const auto start = std::chrono::steady_clock::now();
    bool hasSubFolders = false;
    const double bytes = scan.GetFolderSize(folder, hasSubFolders);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("folders=%d files=%lld bytes=%.0f seconds=%.3f peak_rss_kib=%ld\n", colSizeCache.count(),
                static_cast<long long>(scan.filesCounted()), bytes, elapsed.count(), usage.ru_maxrss);
    return 0;
}
