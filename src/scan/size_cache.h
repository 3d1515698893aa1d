#pragma once

#include "platform/key_comparison.h"
#include "scan/name_store.h"
#include "scan/paged_array.h"
#include "scan/size_record.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The size cache: one size record per folder scanned, under the folder's path exactly
// as the scan was given it, and the marks of what its figures leave out. A record, once
// stored, is never replaced by another add.
//
// A folder costs its name, not its path: every path is kept as a chain of its parts,
// each part once, with a link to the part before it. A record is numbers in columns
// beside the parts, so a further figure a folder is a further column, paid for only
// when kept. A path's text is made only when asked for (keyAt), a record's text only
// when read (item). Looking up a path takes one hash lookup a part, never a walk over
// siblings. Keys compare as the comparison given says, part by part.
class SizeCache
{
public:
    // A folder of the cache, whether or not it has a record yet.
    using Folder = std::uint32_t;

    explicit SizeCache(KeyComparison comparison) : m_comparison(comparison) {}

    SizeCache(const SizeCache &) = delete;
    SizeCache &operator=(const SizeCache &) = delete;
    SizeCache(SizeCache &&) noexcept = default;
    SizeCache &operator=(SizeCache &&) noexcept = default;

    // How many records.
    int count() const { return int(m_order.size()); }

    // False, storing nothing, when the path has a record already.
    bool add(const QByteArray &path, const SizeRecord &record, quint8 marks = 0);

    // A record's text, as sizeRecordText writes it; nothing for a path without one.
    std::optional<QString> item(const QByteArray &path) const;
    std::optional<SizeRecord> record(const QByteArray &path) const;
    // Bits of FolderMark; 0 for a path without a record.
    quint8 marks(const QByteArray &path) const;
    // Replaces a path's record; false when it has none.
    bool update(const QByteArray &path, const SizeRecord &record);

    // Records by position, from 1, in the order they were added.
    std::optional<QString> itemAt(int position) const;
    QByteArray keyAt(int position) const;

    // Removes the records of a folder and of every folder below it; how many went.
    int removeAtOrBelow(const QByteArray &folderPath);
    // Adds every record of another cache, in its order; a path with a record keeps it.
    void addAll(const SizeCache &other);

    // What a scan works with: folders made by path or by name below a folder made
    // before, without the text of their paths.
    Folder folder(QByteArrayView path);
    Folder subFolder(Folder parent, QByteArrayView name);
    // A folder's name, as it was made; it stays put while the cache lives.
    QByteArrayView name(Folder folder) const { return nameOf(m_parts[folder]); }
    // False, storing nothing, when the folder has a record already.
    bool addRecord(Folder folder, const SizeRecord &record, quint8 marks);

private:
    static constexpr Folder none = ~Folder(0);

    // One part of a path: a name and, unless it is a path's last part written without
    // one, the separator after it.
    struct Part {
        const char *name;
        Folder parent;
        std::uint32_t nameLength; // the top bit: followed by the separator
    };
    // A part's record, beside its size.
    enum : quint8 { hasRecordFlag = 1, hasSubFoldersFlag = 2, marksShift = 2 };
    static constexpr std::uint32_t closedBit = 0x80000000u;

    static QByteArrayView nameOf(const Part &part);
    bool hasRecord(Folder folder) const { return m_flags[folder] & hasRecordFlag; }
    SizeRecord recordOf(Folder folder) const;
    std::uint32_t hashOf(Folder parent, QByteArrayView name, bool closed) const;
    bool sameName(const Part &part, QByteArrayView name, bool closed) const;
    Folder find(Folder parent, QByteArrayView name, bool closed) const;
    Folder findOrAdd(Folder parent, QByteArrayView name, bool closed);
    Folder findPath(QByteArrayView path) const;
    void place(Folder folder, std::uint32_t hash);
    void grow();

    KeyComparison m_comparison;
    PagedArray<Part> m_parts;
    NameStore m_names;
    PagedArray<double> m_sizes;  // a part's record: its size and its flags
    PagedArray<quint8> m_flags;
    // Each part's index + 1, 0 where free: a power of two of them, at most three
    // quarters used. A part's hash is made again when the slots grow, not kept.
    std::vector<std::uint32_t> m_slots;
    std::vector<Folder> m_order;  // the folders with a record, in the order of adding
};
