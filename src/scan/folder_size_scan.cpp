#include "scan/folder_size_scan.h"

#include "platform/folder_path.h"
#include "scan/listing_step.h"

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

double FolderSizeScan::GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders)
{
    hasSubFolders = false;
    const std::unique_ptr<FolderWalk> walk = m_enumerator.startWalk(folderPath);
    FolderListing listing;
    std::vector<PendingFolder> pending;

    auto enterFolder = [&](const QByteArray &path) {
        listFolder(*walk, path, EntryDetail::WithSizes, listing, m_control);
        m_filesCounted += listing.files;
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
        storeRecord(folder.path, folder.record, folder.marks);
        const SizeRecord done = folder.record;
        pending.pop_back();
        if (pending.empty()) {
            hasSubFolders = done.hasSubFolders;
            return done.size;
        }
        pending.back().record.size += done.size;
    }
}
