#include "scan/folder_names.h"

#include "platform/folder_path.h"

#include <QHashFunctions>

#include <new>

namespace {

// The parts of a path: each name with the separator after it, the last one without
// when the path does not end in one.
template<typename Visit>
bool forEachPart(QByteArrayView path, Visit visit)
{
    qsizetype start = 0;
    while (start < path.size()) {
        const qsizetype separator = path.indexOf(folderSeparator, start);
        const bool closed = separator >= 0;
        const qsizetype end = closed ? separator : path.size();
        if (!visit(path.sliced(start, end - start), closed))
            return false;
        start = end + (closed ? 1 : 0);
    }
    return true;
}

} // namespace

QByteArrayView FolderNames::nameOf(Folder folder) const
{
    const Part &part = m_parts[folder];
    return QByteArrayView(part.name, part.nameLength & ~closedBit);
}

std::uint32_t FolderNames::hashOf(Folder parent, QByteArrayView name, bool closed) const
{
    const size_t seed = qHashMulti(0, parent, closed);
    if (m_comparison == KeyComparison::Exact)
        return std::uint32_t(qHash(name, seed));
    return std::uint32_t(qHash(comparableKey(name.toByteArray(), m_comparison), seed));
}

bool FolderNames::sameName(const Part &part, QByteArrayView name, bool closed) const
{
    if (bool(part.nameLength & closedBit) != closed)
        return false;
    const QByteArrayView own(part.name, part.nameLength & ~closedBit);
    if (m_comparison == KeyComparison::Exact)
        return own == name;
    return comparableKey(own.toByteArray(), m_comparison) == comparableKey(name.toByteArray(), m_comparison);
}

FolderNames::Folder FolderNames::find(Folder parent, QByteArrayView name, bool closed) const
{
    if (m_slots.empty())
        return none;
    const std::uint32_t hash = hashOf(parent, name, closed);
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        if (m_slots[slot] == 0)
            return none;
        const Folder at = m_slots[slot] - 1;
        const Part &part = m_parts[at];
        if (part.parent == parent && sameName(part, name, closed))
            return at;
    }
}

FolderNames::Folder FolderNames::findOrAdd(Folder parent, QByteArrayView name, bool closed)
{
    if (const Folder found = find(parent, name, closed); found != none)
        return found;
    // Counts and lengths are 32 bits: far beyond what a scan meets, and told as want of
    // memory where it is not.
    if (m_parts.size() >= none - 1 || quint64(name.size()) >= closedBit)
        throw std::bad_alloc();
    if (4 * (m_parts.size() + 1) > 3 * m_slots.size())
        grow();
    m_parts.push_back({m_names.add(name).data(), parent, std::uint32_t(name.size()) | (closed ? closedBit : 0)});
    const auto folder = Folder(m_parts.size() - 1);
    place(folder, hashOf(parent, name, closed));
    return folder;
}

FolderNames::Folder FolderNames::findPath(QByteArrayView path) const
{
    Folder at = none;
    const bool found = forEachPart(path, [&](QByteArrayView name, bool closed) {
        at = find(at, name, closed);
        return at != none;
    });
    return found ? at : none;
}

FolderNames::Folder FolderNames::addPath(QByteArrayView path)
{
    Folder at = none;
    forEachPart(path, [&](QByteArrayView name, bool closed) {
        at = findOrAdd(at, name, closed);
        return true;
    });
    return at;
}

QByteArray FolderNames::pathOf(Folder folder) const
{
    std::vector<Folder> chain;
    qsizetype length = 0;
    for (Folder at = folder; at != none; at = m_parts[at].parent) {
        chain.push_back(at);
        length += qsizetype(m_parts[at].nameLength & ~closedBit) + 1;
    }
    QByteArray path;
    path.reserve(length);
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        path += nameOf(*at);
        if (m_parts[*at].nameLength & closedBit)
            path += folderSeparator;
    }
    return path;
}

void FolderNames::place(Folder folder, std::uint32_t hash)
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = hash & mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = folder + 1;
}

void FolderNames::grow()
{
    // The old slots go first: the parts say where everything goes.
    const size_t slotCount = m_slots.empty() ? 16 : 2 * m_slots.size();
    m_slots = {};
    m_slots.resize(slotCount);
    for (size_t index = 0; index < m_parts.size(); ++index) {
        const Part &part = m_parts[index];
        place(Folder(index), hashOf(part.parent, nameOf(Folder(index)), part.nameLength & closedBit));
    }
}
