#include "populater/folder_size_scan.h"

#include "platform/folder_path.h"

#include <vector>

namespace {

// A folder being added up; the scan keeps its own stack of them, so the depth of a
// tree is bounded by memory, not by the call stack.
struct PendingFolder {
    QByteArray path;
    SizeRecord record;
    std::vector<QByteArray> subFolders;
    size_t nextSubFolder = 0;
};

bool isHidden(const QByteArray &name)
{
    return name.startsWith('.');
}

} // namespace

FolderSizeScan::FolderSizeScan(FolderEnumerator &enumerator, SizeCache &colSizeCache, ScanControl *control)
    : m_enumerator(enumerator)
    , m_colSizeCache(colSizeCache)
    , m_control(control)
{
}

double FolderSizeScan::GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders)
{
    hasSubFolders = false;
    const std::unique_ptr<FolderWalk> walk = m_enumerator.startWalk();
    std::vector<FolderEntry> entries;
    std::vector<PendingFolder> pending;

    auto enterFolder = [&](const QByteArray &path) {
        PendingFolder folder{path, {}, {}, 0};
        // A folder that cannot be listed is skipped on purpose: it counts as empty.
        walk->list(path, EntryDetail::WithSizes, entries);
        qint64 files = 0;
        for (FolderEntry &entry : entries) {
            if (isHidden(entry.name))
                continue;
            if (entry.isFolder) {
                folder.record.hasSubFolders = true;
                folder.subFolders.push_back(std::move(entry.name));
            } else {
                folder.record.size += double(entry.size);
                ++files;
            }
        }
        m_filesCounted += files;
        if (m_control)
            m_control->folderListed(path, files, quint64(folder.record.size));
        pending.push_back(std::move(folder));
    };

    enterFolder(folderPath);
    for (;;) {
        if (m_control && m_control->cancelRequested()) {
            m_stopped = true;
            return 0;
        }
        PendingFolder &folder = pending.back();
        if (folder.nextSubFolder < folder.subFolders.size()) {
            enterFolder(subFolderPath(folder.path, folder.subFolders[folder.nextSubFolder++]));
            continue;
        }
        // A path already in the cache keeps its first record; the add fails quietly.
        m_colSizeCache.add(folder.path, sizeRecordText(folder.record));
        const SizeRecord done = folder.record;
        pending.pop_back();
        if (pending.empty()) {
            hasSubFolders = done.hasSubFolders;
            return done.size;
        }
        pending.back().record.size += done.size;
    }
}
