#include "scan/folder_size_scan.h"

#include "platform/folder_path.h"
#include "scan/listing_step.h"

#include <vector>

namespace {

// A folder being added up; the scan keeps its own stack of them, so the depth of a
// tree is bounded by memory, not by the call stack. Its path is the scan's current
// path up to pathLength.
struct PendingFolder {
    SizeCache::Folder folder;
    qsizetype pathLength;
    SizeRecord record;
    quint8 marks = 0;
    std::vector<SizeCache::Folder> subFolders; // in listing order
    size_t nextSubFolder = 0;
};

} // namespace

double FolderSizeScan::GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders)
{
    hasSubFolders = false;
    const std::unique_ptr<FolderWalk> walk = m_enumerator.startWalk(folderPath);
    FolderListing listing;
    std::vector<PendingFolder> pending;
    // The path of the folder entered last: each folder's path is its parent's and its
    // name, so one path serves the whole way down.
    QByteArray path = folderPath;

    auto enterFolder = [&](SizeCache::Folder folder) {
        listFolder(*walk, path, EntryDetail::WithSizes, listing, m_control);
        m_filesCounted += listing.files;
        // The sub-folders are made in the cache as they are found, and known by it.
        std::vector<SizeCache::Folder> subFolders;
        subFolders.reserve(listing.subFolders.size());
        for (const QByteArrayView name : listing.subFolders)
            subFolders.push_back(m_colSizeCache.subFolder(folder, name));
        pending.push_back({folder, path.size(), ownRecord(listing), marksOf(listing), std::move(subFolders), 0});
    };

    enterFolder(m_colSizeCache.folder(folderPath));
    for (;;) {
        if (m_control && m_control->cancelRequested())
            return 0;
        PendingFolder &folder = pending.back();
        if (folder.nextSubFolder < folder.subFolders.size()) {
            const SizeCache::Folder subFolder = folder.subFolders[folder.nextSubFolder++];
            path.truncate(folder.pathLength);
            path += m_colSizeCache.name(subFolder);
            path += folderSeparator;
            enterFolder(subFolder);
            continue;
        }
        storeRecord(folder.folder, folder.record, folder.marks);
        const SizeRecord done = folder.record;
        pending.pop_back();
        if (pending.empty()) {
            hasSubFolders = done.hasSubFolders;
            return done.size;
        }
        pending.back().record.size += done.size;
    }
}
