#include "scan/folder_size_scan.h"

#include "platform/folder_path.h"
#include "scan/listing_step.h"

#include <deque>
#include <vector>

namespace {

// A folder being added up; the scan keeps its own stack of them, so the depth of a
// tree is bounded by memory, not by the call stack. Its path is the scan's current
// path up to pathLength; its sub-folders wait on the scan's stack of folders to enter,
// from firstSubFolder on.
struct PendingFolder {
    SizeCache::Folder folder;
    quint8 marks = 0;
    bool hasSubFolders = false;
    qsizetype pathLength;
    double ownFilesSize;
    double size; // the own files', then with the sub-folders' added
    size_t firstSubFolder;
    size_t nextSubFolder;
};

} // namespace

double FolderSizeScan::GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders)
{
    hasSubFolders = false;
    const std::unique_ptr<FolderWalk> walk = m_enumerator.startWalk(folderPath);
    FolderListing listing;
    // A deque grows without copying what it holds, however deep the tree.
    std::deque<PendingFolder> pending;
    std::vector<SizeCache::Folder> toEnter; // every pending folder's sub-folders, in turn
    // The path of the folder entered last: each folder's path is its parent's and its
    // name, so one path serves the whole way down.
    QByteArray path = folderPath;

    auto enterFolder = [&](SizeCache::Folder folder) {
        listFolder(*walk, path, EntryDetail::WithSizes, listing, m_control);
        m_filesCounted += listing.files;
        const SizeRecord own = ownRecord(listing);
        pending.push_back({folder, marksOf(listing), own.hasSubFolders, path.size(), own.size, own.size, toEnter.size(), toEnter.size()});
        // The sub-folders are made in the cache as they are found, and known by it.
        for (const QByteArrayView name : listing.subFolders)
            toEnter.push_back(m_colSizeCache.subFolder(folder, name));
    };

    enterFolder(m_colSizeCache.folder(folderPath));
    for (;;) {
        if (m_control && m_control->cancelRequested())
            return 0;
        PendingFolder &folder = pending.back();
        if (folder.nextSubFolder < toEnter.size()) {
            const SizeCache::Folder subFolder = toEnter[folder.nextSubFolder++];
            path.truncate(folder.pathLength);
            path += m_colSizeCache.name(subFolder);
            path += folderSeparator;
            enterFolder(subFolder);
            continue;
        }
        storeRecord(folder.folder, {folder.hasSubFolders, folder.size}, folder.marks, folder.ownFilesSize);
        toEnter.resize(folder.firstSubFolder);
        const double size = folder.size;
        const bool holdsSubFolders = folder.hasSubFolders;
        pending.pop_back();
        if (pending.empty()) {
            hasSubFolders = holdsSubFolders;
            return size;
        }
        pending.back().size += size;
    }
}
