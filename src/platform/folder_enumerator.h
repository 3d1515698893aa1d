#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>
#include <vector>

// One entry of a folder listing.
struct FolderEntry {
    QByteArray name;       // the native bytes, not necessarily valid UTF-8
    bool isFolder = false; // a folder itself; a link to a folder is not one
    quint64 size = 0;      // the length of a non-folder, when sizes were asked for
};

enum class EntryDetail {
    NamesAndTypes,
    WithSizes,
};

// One walk over a folder tree. Listing a folder and then its sub-folders, depth first,
// goes from each open folder to the next, so the depth of a tree is not limited by the
// length of its paths. Whatever the walk keeps open is let go when it is destroyed.
class FolderWalk
{
public:
    virtual ~FolderWalk() = default;

    // Lists the entries of the folder at folderPath (ending in the separator), without
    // "." and "..". Returns false, with no entries, when the folder cannot be listed:
    // it is gone or not a folder, access is denied, it is a folder already on the way
    // down to it (a loop), or it lies on a kernel pseudo file system such as /proc.
    virtual bool list(const QByteArray &folderPath, EntryDetail detail, std::vector<FolderEntry> &entries) = 0;
};

class FolderEnumerator
{
public:
    virtual ~FolderEnumerator() = default;
    // A walk over the folders at and below rootPath. The root itself is never taken for
    // a loop, even when it is a bind mount of one of its own ancestors: it was chosen.
    virtual std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) = 0;
};
