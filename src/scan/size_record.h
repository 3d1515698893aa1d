#pragma once

#include "platform/folder_enumerator.h"

#include <QString>

#include <optional>

// A size record is the sub-folder flag digit ("1" when the folder holds a sub-folder
// whose name does not begin with ".") followed by the number text of the folder's
// total size: "0600", "14096", "00".
struct SizeRecord {
    bool hasSubFolders = false;
    double size = 0;
};

QString sizeRecordText(const SizeRecord &record);

// A folder's own part of its record: the flag, and the size of the files lying in it.
inline SizeRecord ownRecord(const FolderListing &listing)
{
    return {!listing.subFolders.empty(), double(listing.fileBytes)};
}

// Nothing when the text is not a size record.
std::optional<SizeRecord> readSizeRecord(const QString &text);

// What a folder's own figures leave out, kept with its record: bits of FolderMark.
enum FolderMark : quint8 {
    unreadableMark = 1,  // the folder, or part of its listing, could not be read
    hiddenNamesMark = 2, // it holds names beginning with "." that were not counted
};

inline quint8 marksOf(const FolderListing &listing)
{
    return quint8((listing.unreadable ? unreadableMark : 0) | (listing.hiddenNames ? hiddenNamesMark : 0));
}
