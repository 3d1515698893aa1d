// Measures what the size cache takes per folder: fills one with the records of the
// benchmark tree's 29,730 folders (their paths, as a scan of /tmp/zk-bench-tree/ writes
// them, and records of their sizes' length) and prints the heap it grew by. The last
// line is "folders=N heap_bytes_per_folder=N path_bytes_per_folder=N".

#include "scan/size_cache.h"

#include <cstdio>
#include <vector>

#include <malloc.h>

int main()
{
    std::vector<QByteArray> paths;
    const QByteArray root = "/tmp/zk-bench-tree/";
    for (int a = 0; a < 30; ++a) {
        const QByteArray top = root + "top" + QByteArray::number(a) + '/';
        for (int b = 0; b < 30; ++b) {
            const QByteArray middle = top + "middle" + QByteArray::number(b) + '/';
            for (int c = 0; c < 32; ++c)
                paths.push_back(middle + "bottom" + QByteArray::number(c) + '/');
            paths.push_back(middle);
        }
        paths.push_back(top);
    }
    paths.push_back(root);
    qint64 pathBytes = 0;
    for (const QByteArray &path : paths)
        pathBytes += path.size();

    const size_t before = mallinfo2().uordblks;
    {
        SizeCache colSizeCache(pathKeyComparison);
        quint64 size = 12345;
        for (const QByteArray &path : paths) {
            size = size * 6364136223846793005ULL + 1442695040888963407ULL;
            // A key of its own, as a scan makes it.
            colSizeCache.add(QByteArray(path.constData(), path.size()), {true, double((size >> 40) % 400000000)});
        }
        const size_t after = mallinfo2().uordblks;
        std::printf("folders=%zu heap_bytes_per_folder=%zu path_bytes_per_folder=%lld\n", paths.size(),
                    (after - before) / paths.size(), static_cast<long long>(pathBytes) / qint64(paths.size()));
    }
    return 0;
}
