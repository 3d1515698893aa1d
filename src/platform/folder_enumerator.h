#pragma once

#include "platform/byte_count.h"
#include "platform/name_list.h"

#include <QByteArray>
#include <QtGlobal>

#include <memory>
#include <utility>
#include <vector>

// A file of a listing, as an export writes it: its length, what it takes on disk
// (st_blocks × 512, as du counts), and, for a file with more than one name, which file
// it is and how many names it has.
struct ListedFile {
    QByteArray name;
    quint64 size = 0;
    quint64 diskBytes = 0;
    quint64 inode = 0;
    quint64 links = 1;
};

// What one folder's listing adds up to, counted as the listing is read. Names beginning
// with "." are passed over, files and folders alike ("." and ".." included), before
// anything else is asked about them.
struct FolderListing {
    NameList subFolders;                // names (the native bytes), in listing order
    ByteCount fileBytes = 0;            // the lengths of the other entries, when sizes were asked for
    qint64 files = 0;                   // how many other entries there were
    // Each of the other entries, when names were asked for.
    std::vector<ListedFile> namedFiles;
    // What the figures leave out: the folder, or part of its listing, could not be read;
    // a name beginning with "." (other than "." and "..") was passed over.
    bool unreadable = false;
    bool hiddenNames = false;

    void clear()
    {
        subFolders.clear();
        namedFiles.clear();
        fileBytes = 0;
        files = 0;
        unreadable = false;
        hiddenNames = false;
    }
};

enum class EntryDetail {
    NamesAndTypes,
    WithSizes,
    WithFileNames, // sizes, and every other entry named: what an export writes
};

// One walk over the folder tree below a root. Each folder is reached from a folder the
// walk already holds, one name at a time, so neither the depth of a tree nor the length
// of its paths is limited. Whatever the walk keeps open is let go when it is destroyed.
// A walk is used by one thread at a time.
class FolderWalk
{
public:
    virtual ~FolderWalk() = default;

    // Lists the folder at folderPath: the walk's root, or a path below it (ending in the
    // separator). A sub-folder is a folder itself; a link to a folder is another entry
    // of its own length. Returns false, with an empty listing, when the folder cannot be
    // listed: it is gone, not a folder, reached through a link, outside the root, access
    // is denied, it is a folder already on the way down to it (a loop), or it lies on a
    // kernel pseudo file system such as /proc. The listing's unreadable flag tells the
    // failures that are the system's (access denied, an I/O error) from those by rule
    // and from a folder that is gone.
    virtual bool list(const QByteArray &folderPath, EntryDetail detail, FolderListing &listing) = 0;

    // Whether list() would list the folder, found out without reading its entries
    // where the walk can.
    virtual bool reachable(const QByteArray &folderPath)
    {
        FolderListing listing;
        return list(folderPath, EntryDetail::NamesAndTypes, listing);
    }
};

class FolderEnumerator
{
public:
    virtual ~FolderEnumerator() = default;
    // A walk over the folders at and below rootPath. The root itself is never taken for
    // a loop, even when it is a bind mount of one of its own ancestors: it was chosen.
    virtual std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) = 0;
};
