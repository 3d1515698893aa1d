#pragma once

#include "platform/folder_enumerator.h"
#include "populater/size_record.h"

#include <QByteArray>

#include <vector>

// What a folder's own entries add up to. Names beginning with "." are skipped, files
// and folders alike: such a file is not counted, such a folder is not descended into
// and does not set the sub-folder flag.
struct FolderTally {
    SizeRecord record; // the flag, and the size of the folder's own files
    qint64 files = 0;
    std::vector<QByteArray> subFolders; // in listing order
};

FolderTally tallyEntries(std::vector<FolderEntry> &entries);
