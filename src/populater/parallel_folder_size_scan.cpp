#include "populater/parallel_folder_size_scan.h"

#include "platform/folder_path.h"
#include "populater/work_shares.h"

#include <atomic>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Folder {
    QByteArray path;
    Folder *parent = nullptr;
    std::vector<Folder *> subFolders; // in listing order
    SizeRecord record;                // own files, then the sub-folders' totals once done
    quint8 marks = 0;
    std::atomic<size_t> pending{0};   // sub-folders not yet added up
};

} // namespace

ParallelFolderSizeScan::ParallelFolderSizeScan(FolderEnumerator &enumerator, SizeCache &colSizeCache, int threads, ScanControl *control)
    : m_enumerator(enumerator)
    , m_colSizeCache(colSizeCache)
    , m_threads(std::max(threads, 1))
    , m_control(control)
{
}

double ParallelFolderSizeScan::GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders)
{
    hasSubFolders = false;
    // Each thread makes the folders it finds in a store of its own; addresses stay put.
    std::vector<std::deque<Folder>> stores(static_cast<size_t>(m_threads));
    Folder &root = stores[0].emplace_back();
    root.path = folderPath;

    WorkShares<Folder *> queue(m_threads);
    std::atomic<qint64> files{0};
    std::atomic<bool> stopped{false};
    std::mutex failureMutex;
    std::exception_ptr failure;

    // All sub-folders of a folder are added up: its total is final, and so may be its
    // parent's.
    auto finishFolder = [&](Folder *folder) {
        for (; folder; folder = folder->parent) {
            for (const Folder *subFolder : folder->subFolders)
                folder->record.size += subFolder->record.size;
            if (!folder->parent) {
                queue.finish();
                return;
            }
            if (folder->parent->pending.fetch_sub(1, std::memory_order_acq_rel) != 1)
                return;
        }
    };

    auto work = [&](int thread) {
        try {
            const std::unique_ptr<FolderWalk> walk = m_enumerator.startWalk(folderPath);
            FolderListing listing;
            std::vector<Folder *> found;
            Folder *folder = queue.pop(thread);
            while (folder) {
                if (m_control && m_control->cancelRequested()) {
                    stopped = true;
                    queue.finish();
                    return;
                }
                // A folder that cannot be listed is skipped on purpose: it counts as empty.
                walk->list(folder->path, EntryDetail::WithSizes, listing);
                files.fetch_add(listing.files, std::memory_order_relaxed);
                if (m_control)
                    m_control->folderListed(folder->path, listing.files, listing.fileBytes);
                folder->record = ownRecord(listing);
                folder->marks = marksOf(listing);
                if (listing.subFolders.empty()) {
                    finishFolder(folder);
                    folder = queue.pop(thread);
                    continue;
                }
                found.clear();
                for (const QByteArray &name : listing.subFolders) {
                    Folder &subFolder = stores[size_t(thread)].emplace_back();
                    subFolder.path = subFolderPath(folder->path, name);
                    subFolder.parent = folder;
                    found.push_back(&subFolder);
                }
                folder->subFolders = found;
                folder->pending.store(found.size(), std::memory_order_release);
                queue.push(thread, found.cbegin() + 1, found.cend());
                folder = found.front();
            }
        } catch (...) {
            std::lock_guard lock(failureMutex);
            failure = std::current_exception();
            queue.finish();
        }
    };

    const std::vector<Folder *> start{&root};
    queue.push(0, start.cbegin(), start.cend());
    std::vector<std::thread> pool;
    for (int thread = 1; thread < m_threads; ++thread)
        pool.emplace_back(work, thread);
    work(0);
    for (std::thread &thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);

    m_filesCounted += files.load();
    if (stopped)
        return 0;
    // The records go into the cache in the single-threaded scan's order: every folder
    // after the folders below it, sub-folders in listing order.
    std::vector<std::pair<const Folder *, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto &[folder, next] = stack.back();
        if (next < folder->subFolders.size()) {
            stack.emplace_back(folder->subFolders[next++], 0);
            continue;
        }
        // A path already in the cache keeps its first record; the add fails quietly.
        m_colSizeCache.add(folder->path, sizeRecordText(folder->record));
        if (m_marks && folder->marks)
            m_marks->add(folder->path, folder->marks);
        stack.pop_back();
    }
    hasSubFolders = root.record.hasSubFolders;
    return root.record.size;
}
