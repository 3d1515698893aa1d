#include "support/scan_records.h"

#include "scan/folder_size_scan.h"
#include "scan/parallel_folder_size_scan.h"

Records recordsBelow(const SizeCache &cache, const QByteArray &root)
{
    Records records;
    for (int position = 1; position <= cache.count(); ++position) {
        const QByteArray key = cache.keyAt(position);
        records.insert(key.startsWith(root) ? key.mid(root.size()) : key, *cache.itemAt(position));
    }
    return records;
}

void scanInto(FolderEnumerator &enumerator, SizeCache &cache, const QByteArray &root, int threads)
{
    bool hasSubFolders = false;
    if (threads == 1)
        FolderSizeScan(enumerator, cache).GetFolderSize(root, hasSubFolders);
    else
        ParallelFolderSizeScan(enumerator, cache, threads).GetFolderSize(root, hasSubFolders);
}

Records scanRecords(FolderEnumerator &enumerator, const QByteArray &root, int threads)
{
    SizeCache cache(pathKeyComparison);
    scanInto(enumerator, cache, root, threads);
    return recordsBelow(cache, root);
}

QByteArray serialized(const Records &records)
{
    QByteArray text;
    for (auto it = records.begin(); it != records.end(); ++it)
        text += it.key() + '=' + it.value().toLatin1() + '\n';
    return text;
}
