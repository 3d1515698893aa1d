#pragma once

#include "exchange/ncdu_format.h"
#include "platform/byte_count.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <optional>
#include <vector>

class QIODevice;
class ScanControl;

// A folder tree read from an export, counted by the scan's own rules: names beginning
// with "." are left out with everything below them; every name of a hard link counts;
// a non-folder counts at its apparent size; a folder's own size does not count; a
// folder with a read error counts what was read; an excluded entry counts nothing (an
// excluded folder stays, empty). Only folders are kept, each with the files lying
// directly in it added up, so memory grows with the folders, not the files.
class ImportedTree
{
public:
    using Index = quint32;
    static constexpr Index none = ~Index(0);
    static constexpr Index root = 0;

    // The root's path as the export names it, ending in the separator.
    const QByteArray &rootPath() const { return m_rootPath; }
    qsizetype folderCount() const { return qsizetype(m_folders.size()); }

    // The folder at a path below the root (ending in the separator), reached one name
    // at a time from `from`, a folder whose path is a prefix of it.
    Index find(QByteArrayView path, Index from, qsizetype fromPathLength) const;
    Index child(Index parent, QByteArrayView name) const;

    QByteArrayView name(Index folder) const;
    Index firstChild(Index folder) const { return m_folders[folder].firstChild; }
    Index nextSibling(Index folder) const { return m_folders[folder].nextSibling; }
    ByteCount fileBytes(Index folder) const
    {
        return ByteCount(m_folders[folder].fileBytesCarried) << 64 | m_folders[folder].fileBytes;
    }
    qint64 files(Index folder) const { return m_folders[folder].files; }
    // An excluded folder was never read: it lists as an unreadable folder does.
    bool listable(Index folder) const { return !m_folders[folder].excluded; }
    // What its figures leave out: it could not be read in full where it was exported;
    // it held names beginning with "." that were not counted.
    bool readError(Index folder) const { return m_folders[folder].readError; }
    bool holdsHiddenNames(Index folder) const { return m_folders[folder].hiddenNames; }

    // Reads an export; a fault in it, or a stop asked for through control, gives
    // nothing but the error. Any depth is read: a folder is kept as its name.
    struct Outcome;
    static Outcome read(QIODevice &in, ScanControl *control = nullptr);

private:
    friend class ImportedTreeBuilder;

    struct Folder {
        quint64 nameOffset = 0;
        quint32 nameLength = 0;
        Index firstChild = none;
        Index nextSibling = none;
        Index lastChild = none;
        bool excluded = false;
        bool readError = false;
        bool hiddenNames = false;
        // The files' lengths: what passed 2^64 is carried here, in room the flags leave.
        quint32 fileBytesCarried = 0;
        quint64 fileBytes = 0;
        qint64 files = 0;
    };

    struct ChildKey {
        Index parent;
        QByteArrayView name;
        friend bool operator==(const ChildKey &a, const ChildKey &b) { return a.parent == b.parent && a.name == b.name; }
        friend size_t qHash(const ChildKey &key, size_t seed) { return qHashMulti(seed, key.parent, key.name); }
    };

    void indexChildren();

    QByteArray m_rootPath;
    std::vector<Folder> m_folders;
    QByteArray m_names;
    QHash<ChildKey, Index> m_children;
};

struct ImportedTree::Outcome {
    std::optional<ImportedTree> tree;
    std::optional<NcduFormat::FormatError> error;
    bool cancelled = false;
};
