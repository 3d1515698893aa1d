#include "exchange/folder_export.h"

#include "exchange/ncdu_writer.h"
#include "platform/folder_enumerator.h"
#include "platform/folder_path.h"
#include "platform/program_identity.h"
#include "scan/scan_control.h"
#include "scan/threaded_walk.h"

#include <QDateTime>
#include <QIODevice>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

namespace {

enum class State { Waiting, Taken, Listed };

struct Folder {
    QByteArrayView name;
    Folder *parent = nullptr;
    std::uint32_t depth = 0;
    std::atomic<State> state{State::Waiting};
    // Set by the thread that took the folder, before its state is Listed.
    bool readable = false;
    FolderListing listing; // the files, until written; the sub-folders are below
    std::span<Folder> subFolders;
};

// What a listed file holds in memory until it is written, roughly: its name and the
// entry that keeps it.
qsizetype bytesHeldFor(const FolderListing &listing)
{
    qsizetype bytes = 0;
    for (const ListedFile &file : listing.namedFiles)
        bytes += file.name.size() + 64;
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
        : m_control(control)
        , m_heldBytes(std::max<qsizetype>(walk.heldBytes, 1))
        , m_walk(fileSystem, rootPath, walk.threads, ThreadedWalk<Folder>::Sharing::Common, &control)
    {
    }

    bool write(NcduWriter &writer, QString &error)
    {
        bool whole = false;
        m_walk.run([&](int thread, FolderWalk &walk) {
            if (thread == 0) {
                whole = writeInOrder(writer, walk);
                m_walk.end();
            } else {
                listAhead(thread, walk);
            }
        });
        if (!whole && !writer.failed())
            error = QStringLiteral("中止しました");
        return whole;
    }

private:
    bool writeInOrder(NcduWriter &writer, FolderWalk &walk)
    {
        struct Open {
            Folder *folder;
            size_t next = 0;
        };
        std::vector<Open> open;
        // A failed write ends the walk: what it would list could go nowhere.
        const auto enter = [&](Folder &folder, QByteArrayView name) {
            if (!obtain(folder, walk))
                return false;
            writer.beginFolder(name, !folder.readable);
            for (const ListedFile &file : folder.listing.namedFiles)
                writer.file(file);
            release(folder);
            open.push_back({&folder});
            return !writer.failed();
        };

        Folder &root = m_walk.root();
        if (!enter(root, withoutClosingSeparator(m_walk.rootPath())))
            return false;
        while (!open.empty()) {
            Open &top = open.back();
            if (top.next < top.folder->subFolders.size()) {
                Folder &subFolder = top.folder->subFolders[top.next++];
                if (!enter(subFolder, subFolder.name))
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
        if (take(folder)) {
            list(folder, walk, 0);
            return true;
        }
        return m_walk.waitFor([&] { return folder.state.load(std::memory_order_acquire) == State::Listed; });
    }

    void listAhead(int thread, FolderWalk &walk)
    {
        Folder *folder = m_walk.take(thread);
        while (folder) {
            if (m_control.cancelRequested() || !roomToHold())
                return;
            if (!take(*folder)) {
                folder = m_walk.take(thread);
                continue;
            }
            list(*folder, walk, thread);
            // On down the first sub-folder: it comes next in the writing.
            folder = folder->subFolders.empty() ? m_walk.take(thread) : &folder->subFolders.front();
        }
    }

    static bool take(Folder &folder)
    {
        State waiting = State::Waiting;
        return folder.state.compare_exchange_strong(waiting, State::Taken, std::memory_order_acq_rel);
    }

    void list(Folder &folder, FolderWalk &walk, int thread)
    {
        folder.readable = m_walk.list(folder, walk, thread, EntryDetail::WithFileNames, folder.listing);
        folder.listing.subFolders = {};
        m_held.fetch_add(bytesHeldFor(folder.listing), std::memory_order_relaxed);
        if (m_walk.threads() > 1)
            m_walk.shareAllButFirst(thread, folder);
        m_walk.announce([&] { folder.state.store(State::Listed, std::memory_order_release); });
    }

    // Written: what the folder held is let go, and a listing thread may go on.
    void release(Folder &folder)
    {
        const qsizetype held = bytesHeldFor(folder.listing);
        folder.listing = FolderListing();
        const qsizetype before = m_held.fetch_sub(held, std::memory_order_relaxed);
        // Announced after the change, so that a thread about to wait for room either sees
        // it or is already waiting and woken.
        if (before >= m_heldBytes && before - held < m_heldBytes)
            m_walk.announce([] {});
    }

    bool roomToHold()
    {
        if (m_held.load(std::memory_order_relaxed) < m_heldBytes)
            return true;
        return m_walk.waitFor([&] { return m_held.load(std::memory_order_relaxed) < m_heldBytes; });
    }

    ScanControl &m_control;
    const qsizetype m_heldBytes;
    ThreadedWalk<Folder> m_walk;
    std::atomic<qsizetype> m_held{0};
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
