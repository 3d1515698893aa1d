#include "exchange/folder_export.h"

#include "exchange/ncdu_writer.h"
#include "platform/folder_enumerator.h"
#include "platform/folder_path.h"
#include "platform/program_identity.h"
#include "populater/scan_control.h"
#include "populater/work_shares.h"

#include <QDateTime>
#include <QIODevice>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

enum class State { Waiting, Taken, Listed };

struct Folder {
    QByteArray path;
    std::atomic<State> state{State::Waiting};
    // Set by the thread that took the folder, before its state is Listed.
    bool readable = false;
    FolderListing listing; // the files, until written; the sub-folders are below
    std::vector<Folder *> subFolders;
};

// What a listed file holds in memory until it is written, roughly: its name and the
// entry that keeps it.
qsizetype bytesHeldFor(const FolderListing &listing)
{
    qsizetype bytes = 0;
    for (const auto &[name, size] : listing.namedFiles)
        bytes += name.size() + 64;
    return bytes;
}

// One export's walk. Every thread takes the folder found last, so the listing runs depth
// first, just ahead of the writing; the writing thread lists a folder itself when no one
// has taken it yet, and waits only for one that is being listed. A listing thread waits
// while too much is held; the one it would wait for never does, as it was already taken.
class ExportRun
{
public:
    ExportRun(FolderEnumerator &fileSystem, const QByteArray &rootPath, ScanControl &control, ExportWalk walk)
        : m_fileSystem(fileSystem)
        , m_rootPath(rootPath)
        , m_control(control)
        , m_walk{std::max(walk.threads, 1), std::max<qsizetype>(walk.heldBytes, 1)}
        , m_stores(size_t(m_walk.threads))
    {
    }

    bool write(NcduWriter &writer, QString &error)
    {
        std::vector<std::thread> pool;
        for (int thread = 1; thread < m_walk.threads; ++thread)
            pool.emplace_back([this, thread] { listAhead(thread); });
        bool whole = false;
        try {
            whole = writeInOrder(writer);
        } catch (...) {
            fail(std::current_exception());
        }
        end();
        for (std::thread &thread : pool)
            thread.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
        if (!whole && !writer.failed())
            error = QStringLiteral("中止しました");
        return whole;
    }

private:
    bool writeInOrder(NcduWriter &writer)
    {
        const std::unique_ptr<FolderWalk> walk = m_fileSystem.startWalk(m_rootPath);
        Folder &root = m_stores[0].emplace_back();
        root.path = m_rootPath;
        struct Open {
            Folder *folder;
            size_t next = 0;
        };
        std::vector<Open> open;
        // A failed write ends the walk: what it would list could go nowhere.
        const auto enter = [&](Folder &folder, const QByteArray &name) {
            if (!obtain(folder, *walk))
                return false;
            writer.beginFolder(name, !folder.readable);
            for (const auto &[fileName, size] : folder.listing.namedFiles)
                writer.file(fileName, size);
            release(folder);
            open.push_back({&folder});
            return !writer.failed();
        };

        if (!enter(root, withoutClosingSeparator(m_rootPath)))
            return false;
        while (!open.empty()) {
            Open &top = open.back();
            if (top.next < top.folder->subFolders.size()) {
                Folder &subFolder = *top.folder->subFolders[top.next++];
                if (!enter(subFolder, folderName(subFolder.path)))
                    return false;
                continue;
            }
            writer.endFolder();
            open.pop_back();
            if (writer.failed())
                return false;
        }
        return true;
    }

    // The folder listed, by this thread if no other has taken it; false when the export
    // stops first.
    bool obtain(Folder &folder, FolderWalk &walk)
    {
        if (m_control.cancelRequested())
            return false;
        State waiting = State::Waiting;
        if (folder.state.compare_exchange_strong(waiting, State::Taken, std::memory_order_acq_rel)) {
            list(folder, walk, 0);
            return true;
        }
        std::unique_lock lock(m_mutex);
        m_listed.wait(lock, [&] { return folder.state.load(std::memory_order_acquire) == State::Listed || m_over; });
        return folder.state.load(std::memory_order_acquire) == State::Listed;
    }

    void listAhead(int thread)
    {
        try {
            const std::unique_ptr<FolderWalk> walk = m_fileSystem.startWalk(m_rootPath);
            Folder *folder = m_queue.pop(0);
            while (folder) {
                if (m_control.cancelRequested() || !roomToHold())
                    return;
                State waiting = State::Waiting;
                if (!folder->state.compare_exchange_strong(waiting, State::Taken, std::memory_order_acq_rel)) {
                    folder = m_queue.pop(0);
                    continue;
                }
                list(*folder, *walk, thread);
                // On down the first sub-folder: it comes next in the writing.
                folder = folder->subFolders.empty() ? m_queue.pop(0) : folder->subFolders.front();
            }
        } catch (...) {
            fail(std::current_exception());
        }
    }

    void list(Folder &folder, FolderWalk &walk, int thread)
    {
        folder.readable = walk.list(folder.path, EntryDetail::WithFileNames, folder.listing);
        m_control.folderListed(folder.path, folder.listing.files, folder.listing.fileBytes);
        std::deque<Folder> &store = m_stores[size_t(thread)];
        folder.subFolders.reserve(folder.listing.subFolders.size());
        for (const QByteArray &name : folder.listing.subFolders) {
            Folder &subFolder = store.emplace_back();
            subFolder.path = subFolderPath(folder.path, name);
            folder.subFolders.push_back(&subFolder);
        }
        folder.listing.subFolders = {};
        m_held.fetch_add(bytesHeldFor(folder.listing), std::memory_order_relaxed);
        // The first sub-folder stays with whoever listed the folder.
        if (m_walk.threads > 1 && folder.subFolders.size() > 1)
            m_queue.push(0, folder.subFolders.cbegin() + 1, folder.subFolders.cend());
        {
            std::lock_guard lock(m_mutex);
            folder.state.store(State::Listed, std::memory_order_release);
        }
        m_listed.notify_all();
    }

    // Written: what the folder held is let go, and a listing thread may go on.
    void release(Folder &folder)
    {
        const qsizetype held = bytesHeldFor(folder.listing);
        folder.listing = FolderListing();
        const qsizetype before = m_held.fetch_sub(held, std::memory_order_relaxed);
        if (before >= m_walk.heldBytes && before - held < m_walk.heldBytes) {
            // Taken and let go after the change, so that a thread about to wait for room
            // either sees it or is already waiting and woken.
            { const std::lock_guard lock(m_mutex); }
            m_room.notify_all();
        }
    }

    bool roomToHold()
    {
        if (m_held.load(std::memory_order_relaxed) < m_walk.heldBytes)
            return true;
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_held.load(std::memory_order_relaxed) < m_walk.heldBytes || m_over; });
        return !m_over;
    }

    void fail(std::exception_ptr failure)
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_failure)
                m_failure = failure;
        }
        end();
    }

    void end()
    {
        {
            std::lock_guard lock(m_mutex);
            m_over = true;
        }
        m_queue.finish();
        m_listed.notify_all();
        m_room.notify_all();
    }

    static QByteArray folderName(const QByteArray &path)
    {
        const QByteArray withoutSeparator = path.chopped(1);
        return withoutSeparator.mid(withoutSeparator.lastIndexOf(folderSeparator) + 1);
    }

    FolderEnumerator &m_fileSystem;
    const QByteArray m_rootPath;
    ScanControl &m_control;
    const ExportWalk m_walk;
    // Each thread makes the folders it finds in a store of its own; addresses stay put.
    std::vector<std::deque<Folder>> m_stores;
    // One share for all: every thread takes the folder found last.
    WorkShares<Folder *> m_queue{1};
    std::atomic<qsizetype> m_held{0};
    std::mutex m_mutex;
    std::condition_variable m_listed;
    std::condition_variable m_room;
    bool m_over = false;
    std::exception_ptr m_failure;
};

} // namespace

bool exportFolder(FolderEnumerator &fileSystem, const QByteArray &rootPath, QIODevice &out, ScanControl &control,
                  QString &error, ExportWalk walk)
{
    NcduWriter writer(out, ZK_VERSION, QDateTime::currentSecsSinceEpoch());
    ExportRun run(fileSystem, rootPath, control, walk);
    const bool walked = run.write(writer, error);
    if (writer.failed()) {
        error = out.errorString();
        return false;
    }
    if (!walked)
        return false;
    if (!writer.finish()) {
        error = out.errorString();
        return false;
    }
    return true;
}
