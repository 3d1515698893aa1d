#include "populater/folder_size_scan.h"

#include "platform/folder_path.h"

#include <vector>

namespace {

// A folder being added up; the scan keeps its own stack of them, so the depth of a
// tree is bounded by memory, not by the call stack.
struct PendingFolder {
    QByteArray path;
    SizeRecord record;
    quint8 marks = 0;
    std::vector<QByteArray> subFolders;
    size_t nextSubFolder = 0;
};

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
    const std::unique_ptr<FolderWalk> walk = m_enumerator.startWalk(folderPath);
    FolderListing listing;
    std::vector<PendingFolder> pending;

    auto enterFolder = [&](const QByteArray &path) {
        // A folder that cannot be listed is skipped on purpose: it counts as empty.
        walk->list(path, EntryDetail::WithSizes, listing);
        m_filesCounted += listing.files;
        if (m_control)
            m_control->folderListed(path, listing.files, listing.fileBytes);
        pending.push_back({path, ownRecord(listing), marksOf(listing), std::move(listing.subFolders), 0});
    };

    enterFolder(folderPath);
    for (;;) {
        if (m_control && m_control->cancelRequested())
            return 0;
        PendingFolder &folder = pending.back();
        if (folder.nextSubFolder < folder.subFolders.size()) {
            enterFolder(subFolderPath(folder.path, folder.subFolders[folder.nextSubFolder++]));
            continue;
        }
        // A path already in the cache keeps its first record; the add fails quietly.
        m_colSizeCache.add(folder.path, sizeRecordText(folder.record));
        if (m_marks && folder.marks)
            m_marks->add(folder.path, folder.marks);
        const SizeRecord done = folder.record;
        pending.pop_back();
        if (pending.empty()) {
            hasSubFolders = done.hasSubFolders;
            return done.size;
        }
        pending.back().record.size += done.size;
    }
}
