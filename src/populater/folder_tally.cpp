#include "populater/folder_tally.h"

FolderTally tallyEntries(std::vector<FolderEntry> &entries)
{
    FolderTally tally;
    for (FolderEntry &entry : entries) {
        if (entry.name.startsWith('.'))
            continue;
        if (entry.isFolder) {
            tally.record.hasSubFolders = true;
            tally.subFolders.push_back(std::move(entry.name));
        } else {
            tally.record.size += double(entry.size);
            ++tally.files;
        }
    }
    return tally;
}
