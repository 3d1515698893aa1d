#pragma once

#include "platform/folder_enumerator.h"
#include "platform/folder_path.h"
#include "scan/listing_step.h"
#include "scan/name_store.h"
#include "scan/run_store.h"
#include "scan/scan_control.h"
#include "scan/work_shares.h"

#include <QByteArray>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A walk over the tree below a root by a pool of threads, each listing folders through
// a walk of its own: the parallel scan and the export are both one. The walk makes the
// folders it finds and shares the work; what is done with a listed folder is the
// caller's. Folder is a type with a `QByteArrayView name`, a `Folder *parent`, a
// `std::uint32_t depth` and a `std::span<Folder> subFolders`, all filled in by the
// walk, the sub-folders side by side in listing order when the folder is listed. A
// folder keeps its name, not its path: each thread makes the path of the folder it
// lists from the last one it listed, or from the names up to the root.
template<typename Folder>
class ThreadedWalk
{
public:
    enum class Sharing {
        PerThread, // each thread its own share, as WorkShares tells
        Common,    // one share for all: every thread takes the folder found last
    };

    ThreadedWalk(FolderEnumerator &fileSystem, const QByteArray &rootPath, int threads, Sharing sharing, ScanControl *control)
        : m_fileSystem(fileSystem)
        , m_rootPath(rootPath)
        , m_threads(std::max(threads, 1))
        , m_control(control)
        , m_stores(size_t(m_threads))
        , m_paths(size_t(m_threads))
        , m_queue(sharing == Sharing::PerThread ? m_threads : 1)
        , m_perThread(sharing == Sharing::PerThread)
    {
    }

    int threads() const { return m_threads; }
    const QByteArray &rootPath() const { return m_rootPath; }
    Folder &root() { return m_root; }

    // Runs work(thread, walk) on every thread, the caller's as thread 0, and returns when
    // all are done. The first failure ends the walk for every thread and is thrown again
    // here.
    template<typename Work>
    void run(Work work)
    {
        const auto guarded = [this, &work](int thread) {
            try {
                const std::unique_ptr<FolderWalk> walk = m_fileSystem.startWalk(m_rootPath);
                work(thread, *walk);
            } catch (...) {
                fail(std::current_exception());
            }
        };
        std::vector<std::thread> pool;
        for (int thread = 1; thread < m_threads; ++thread)
            pool.emplace_back(guarded, thread);
        guarded(0);
        for (std::thread &thread : pool)
            thread.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

    // Lists a folder on a thread and makes its sub-folders, in listing order, in that
    // thread's store, where they stay put. False when it could not be listed.
    bool list(Folder &folder, FolderWalk &walk, int thread, EntryDetail detail, FolderListing &listing)
    {
        const bool listed = listFolder(walk, pathOf(folder, thread), detail, listing, m_control);
        Store &store = m_stores[size_t(thread)];
        folder.subFolders = store.folders.add(listing.subFolders.size());
        for (size_t index = 0; index < folder.subFolders.size(); ++index) {
            Folder &subFolder = folder.subFolders[index];
            subFolder.name = store.names.add(listing.subFolders[index]);
            subFolder.parent = &folder;
            subFolder.depth = folder.depth + 1;
        }
        return listed;
    }

    // The folder to list first: the root, waiting for any thread.
    void start() { m_queue.push(0, std::span<Folder>(&m_root, 1)); }

    // The sub-folders of a listed folder for any thread to take, all but the first: it
    // stays with the thread that listed the folder, so a chain never changes hands.
    void shareAllButFirst(int thread, const Folder &folder)
    {
        if (folder.subFolders.size() > 1)
            m_queue.push(m_perThread ? thread : 0, folder.subFolders.subspan(1));
    }

    // The next folder for a thread, or null once the walk has ended.
    Folder *take(int thread) { return m_queue.pop(m_perThread ? thread : 0); }

    // Waits until ready() holds or the walk ends; whether ready() held.
    template<typename Ready>
    bool waitFor(Ready ready)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return ready() || m_ended; });
        return ready();
    }

    // Makes a change that a thread may be waiting for, and wakes the waiting.
    template<typename Change>
    void announce(Change change)
    {
        {
            std::lock_guard lock(m_mutex);
            change();
        }
        m_changed.notify_all();
    }

    // Ends the walk: no thread takes another folder, and every wait returns.
    void end()
    {
        announce([this] { m_ended = true; });
        m_queue.finish();
    }

private:
    // The path of the folder a thread lists, made from the path of the one it listed
    // before: cut back to the folders the two share and extended by the names below, so
    // that a thread going down a chain, or down one behind another thread, adds a name a
    // level rather than making the whole path again.
    const QByteArray &pathOf(const Folder &folder, int thread)
    {
        ThreadPath &last = m_paths[size_t(thread)];
        std::vector<const Folder *> &below = last.below;
        below.clear();
        const Folder *shared = &folder;
        while (!(shared->depth < last.folders.size() && last.folders[shared->depth] == shared)) {
            below.push_back(shared);
            if (!shared->parent)
                break;
            shared = shared->parent;
        }
        const size_t kept = below.empty() || below.back()->parent ? shared->depth + 1 : 0;
        last.folders.resize(kept);
        last.lengths.resize(kept);
        last.path.truncate(kept ? last.lengths.back() : 0);
        for (auto at = below.rbegin(); at != below.rend(); ++at) {
            if ((*at)->parent) {
                last.path += (*at)->name;
                last.path += folderSeparator;
            } else {
                last.path = m_rootPath;
            }
            last.folders.push_back(*at);
            last.lengths.push_back(last.path.size());
        }
        return last.path;
    }

    void fail(std::exception_ptr failure)
    {
        announce([&] {
            if (!m_failure)
                m_failure = failure;
        });
        end();
    }

    FolderEnumerator &m_fileSystem;
    const QByteArray m_rootPath;
    const int m_threads;
    ScanControl *const m_control;
    // Each thread's sub-folders and their names.
    struct Store {
        RunStore<Folder, 1024> folders;
        NameStore names;
    };
    Folder m_root;
    std::vector<Store> m_stores;
    // The path a thread listed last, and the folders along it, one a level.
    struct ThreadPath {
        QByteArray path;
        std::vector<const Folder *> folders;
        std::vector<qsizetype> lengths; // of the path up to each of the folders
        std::vector<const Folder *> below; // room for the names to add
    };
    std::vector<ThreadPath> m_paths;
    WorkShares<Folder *> m_queue;
    const bool m_perThread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ended = false;
    std::exception_ptr m_failure;
};
