#pragma once

#include "platform/key_comparison.h"
#include "scan/name_store.h"
#include "scan/paged_array.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <vector>

// The folders of one or more scans as names: every path a chain of its parts, each part
// once, as its name and a link to the part before it. A part is known by its index, so
// whatever is kept of a folder (a size, a second figure, a baseline's size beside the
// current one) is a column indexed by it, beside the names and sharing them. A path's
// text is made only when asked for. Looking a part up takes one hash lookup, never a walk
// over siblings; names compare as the comparison given says.
class FolderNames
{
public:
    using Folder = std::uint32_t;
    static constexpr Folder none = ~Folder(0);

    explicit FolderNames(KeyComparison comparison) : m_comparison(comparison) {}

    FolderNames(const FolderNames &) = delete;
    FolderNames &operator=(const FolderNames &) = delete;

    size_t count() const { return m_parts.size(); }

    // A part below parent (none: a first part) with a name, closed when the separator
    // follows it; none when there is no such part.
    Folder find(Folder parent, QByteArrayView name, bool closed) const;
    Folder findOrAdd(Folder parent, QByteArrayView name, bool closed);
    // The last part of a path, the path cut after each separator.
    Folder findPath(QByteArrayView path) const;
    Folder addPath(QByteArrayView path);

    Folder parentOf(Folder folder) const { return m_parts[folder].parent; }
    // A part's name, as it was first added; it stays put while the names live.
    QByteArrayView nameOf(Folder folder) const;
    // Whether the separator follows the part's name.
    bool closed(Folder folder) const { return m_parts[folder].nameLength & closedBit; }
    // The path up to and with a part, exactly as it was first added.
    QByteArray pathOf(Folder folder) const;

private:
    // One part of a path: a name and, unless it is a path's last part written without
    // one, the separator after it.
    struct Part {
        const char *name;
        Folder parent;
        std::uint32_t nameLength; // the top bit: followed by the separator
    };
    static constexpr std::uint32_t closedBit = 0x80000000u;

    std::uint32_t hashOf(Folder parent, QByteArrayView name, bool closed) const;
    bool sameName(const Part &part, QByteArrayView name, bool closed) const;
    void place(Folder folder, std::uint32_t hash);
    void grow();

    KeyComparison m_comparison;
    PagedArray<Part> m_parts;
    NameStore m_names;
    // Each part's index + 1, 0 where free: a power of two of them, at most three
    // quarters used. A part's hash is made again when the slots grow, not kept.
    std::vector<std::uint32_t> m_slots;
};
