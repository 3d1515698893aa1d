#include "scan/parallel_folder_size_scan.h"

#include "scan/threaded_walk.h"

#include <atomic>
#include <cstdint>
#include <span>

namespace {

struct Folder {
    QByteArrayView name;
    Folder *parent = nullptr;
    std::span<Folder> subFolders; // in listing order
    // The folder's own files; once its record is stored, its total.
    double size = 0;
    bool hasSubFolders = false;
    quint8 marks = 0;
    std::uint32_t depth = 0;
    std::atomic<std::uint32_t> pending{0}; // sub-folders not yet done
    SizeCache::Folder cached = 0;          // once the walk is over
};

} // namespace

double ParallelFolderSizeScan::GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders)
{
    hasSubFolders = false;
    ThreadedWalk<Folder> threadedWalk(m_enumerator, folderPath, m_threads, ThreadedWalk<Folder>::Sharing::PerThread, m_control);
    std::atomic<qint64> files{0};
    std::atomic<bool> stopped{false};

    // All sub-folders of a folder are done: so is the folder, and so may be its parent.
    // The totals are added up once the walk is over, below.
    auto finishFolder = [&](Folder *folder) {
        for (; folder; folder = folder->parent) {
            if (!folder->parent) {
                threadedWalk.end();
                return;
            }
            if (folder->parent->pending.fetch_sub(1, std::memory_order_acq_rel) != 1)
                return;
        }
    };

    threadedWalk.start();
    threadedWalk.run([&](int thread, FolderWalk &walk) {
        FolderListing listing;
        Folder *folder = threadedWalk.take(thread);
        while (folder) {
            if (m_control && m_control->cancelRequested()) {
                stopped = true;
                threadedWalk.end();
                return;
            }
            threadedWalk.list(*folder, walk, thread, EntryDetail::WithSizes, listing);
            files.fetch_add(listing.files, std::memory_order_relaxed);
            const SizeRecord own = ownRecord(listing);
            folder->size = own.size;
            folder->hasSubFolders = own.hasSubFolders;
            folder->marks = marksOf(listing);
            if (folder->subFolders.empty()) {
                finishFolder(folder);
                folder = threadedWalk.take(thread);
                continue;
            }
            folder->pending.store(std::uint32_t(folder->subFolders.size()), std::memory_order_release);
            threadedWalk.shareAllButFirst(thread, *folder);
            folder = &folder->subFolders.front();
        }
    });

    m_filesCounted += files.load();
    if (stopped)
        return 0;
    // The records go into the cache in the single-threaded scan's order: every folder
    // after the folders below it, sub-folders in listing order. The way back up is the
    // folders' own links, so the order costs nothing a level.
    Folder &root = threadedWalk.root();
    root.cached = m_colSizeCache.folder(folderPath);
    const auto firstBelow = [&](Folder *folder) {
        while (!folder->subFolders.empty()) {
            Folder &first = folder->subFolders.front();
            first.cached = m_colSizeCache.subFolder(folder->cached, first.name);
            folder = &first;
        }
        return folder;
    };
    for (Folder *folder = firstBelow(&root);;) {
        const double ownFilesSize = folder->size;
        for (const Folder &subFolder : folder->subFolders)
            folder->size += subFolder.size;
        storeRecord(folder->cached, {folder->hasSubFolders, folder->size}, folder->marks, ownFilesSize);
        Folder *parent = folder->parent;
        if (!parent)
            break;
        const size_t next = size_t(folder - parent->subFolders.data()) + 1;
        if (next == parent->subFolders.size()) {
            folder = parent;
            continue;
        }
        Folder &sibling = parent->subFolders[next];
        sibling.cached = m_colSizeCache.subFolder(parent->cached, sibling.name);
        folder = firstBelow(&sibling);
    }
    hasSubFolders = root.hasSubFolders;
    return root.size;
}
