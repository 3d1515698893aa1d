#include "scan/size_cache.h"

#include "platform/folder_path.h"

#include <QHashFunctions>

#include <new>
#include <utility>

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

QByteArrayView SizeCache::nameOf(const Part &part) const
{
    return QByteArrayView(m_names).sliced(part.nameOffset, part.nameLength & ~closedBit);
}

std::uint32_t SizeCache::hashOf(Folder parent, QByteArrayView name, bool closed) const
{
    const size_t seed = qHashMulti(0, parent, closed);
    if (m_comparison == KeyComparison::Exact)
        return std::uint32_t(qHash(name, seed));
    return std::uint32_t(qHash(comparableKey(name.toByteArray(), m_comparison), seed));
}

bool SizeCache::sameName(const Part &part, QByteArrayView name, bool closed) const
{
    if (bool(part.nameLength & closedBit) != closed)
        return false;
    const QByteArrayView own = nameOf(part);
    if (m_comparison == KeyComparison::Exact)
        return own == name;
    return comparableKey(own.toByteArray(), m_comparison) == comparableKey(name.toByteArray(), m_comparison);
}

SizeCache::Folder SizeCache::find(Folder parent, QByteArrayView name, bool closed) const
{
    if (m_slots.empty())
        return none;
    const std::uint32_t hash = hashOf(parent, name, closed);
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot &at = m_slots[slot];
        if (at.part == 0)
            return none;
        const Part &part = m_parts[at.part - 1];
        if (at.hash == hash && part.parent == parent && sameName(part, name, closed))
            return at.part - 1;
    }
}

SizeCache::Folder SizeCache::findOrAdd(Folder parent, QByteArrayView name, bool closed)
{
    if (const Folder found = find(parent, name, closed); found != none)
        return found;
    // Offsets and lengths are 32 bits: far beyond what a scan meets, and told as want of
    // memory where it is not.
    if (m_parts.size() >= none - 1 || quint64(m_names.size()) + quint64(name.size()) >= closedBit)
        throw std::bad_alloc();
    if (4 * (m_parts.size() + 1) > 3 * m_slots.size())
        grow();
    const auto offset = std::uint32_t(m_names.size());
    m_names.append(name);
    m_parts.push_back({parent, offset, std::uint32_t(name.size()) | (closed ? closedBit : 0)});
    const auto folder = Folder(m_parts.size() - 1);
    place(folder + 1, hashOf(parent, name, closed));
    return folder;
}

SizeCache::Folder SizeCache::findPath(QByteArrayView path) const
{
    Folder at = none;
    const bool found = forEachPart(path, [&](QByteArrayView name, bool closed) {
        at = find(at, name, closed);
        return at != none;
    });
    return found ? at : none;
}

void SizeCache::place(std::uint32_t part, std::uint32_t hash)
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = hash & mask;
    while (m_slots[slot].part != 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = {part, hash};
}

void SizeCache::grow()
{
    const std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(m_slots.empty() ? 16 : 2 * m_slots.size()));
    for (const Slot &slot : old) {
        if (slot.part != 0)
            place(slot.part, slot.hash);
    }
}

SizeCache::Folder SizeCache::folder(QByteArrayView path)
{
    Folder at = none;
    forEachPart(path, [&](QByteArrayView name, bool closed) {
        at = findOrAdd(at, name, closed);
        return true;
    });
    return at;
}

SizeCache::Folder SizeCache::subFolder(Folder parent, QByteArrayView name)
{
    return findOrAdd(parent, name, true);
}

bool SizeCache::addRecord(Folder folder, const SizeRecord &record, quint8 marks)
{
    Part &part = m_parts[folder];
    if (part.hasRecord)
        return false;
    m_order.push_back(folder);
    part.hasRecord = true;
    part.hasSubFolders = record.hasSubFolders;
    part.size = record.size;
    part.marks = marks;
    return true;
}

bool SizeCache::add(const QByteArray &path, const SizeRecord &record, quint8 marks)
{
    if (path.isEmpty())
        return false;
    return addRecord(folder(path), record, marks);
}

std::optional<SizeRecord> SizeCache::record(const QByteArray &path) const
{
    const Folder found = findPath(path);
    if (found == none || !m_parts[found].hasRecord)
        return std::nullopt;
    return SizeRecord{m_parts[found].hasSubFolders, m_parts[found].size};
}

std::optional<QString> SizeCache::item(const QByteArray &path) const
{
    const std::optional<SizeRecord> found = record(path);
    return found ? std::optional<QString>(sizeRecordText(*found)) : std::nullopt;
}

quint8 SizeCache::marks(const QByteArray &path) const
{
    const Folder found = findPath(path);
    return found == none || !m_parts[found].hasRecord ? 0 : m_parts[found].marks;
}

bool SizeCache::update(const QByteArray &path, const SizeRecord &record)
{
    const Folder found = findPath(path);
    if (found == none || !m_parts[found].hasRecord)
        return false;
    m_parts[found].hasSubFolders = record.hasSubFolders;
    m_parts[found].size = record.size;
    return true;
}

std::optional<QString> SizeCache::itemAt(int position) const
{
    if (position < 1 || position > count())
        return std::nullopt;
    const Part &part = m_parts[m_order[size_t(position - 1)]];
    return sizeRecordText({part.hasSubFolders, part.size});
}

QByteArray SizeCache::keyAt(int position) const
{
    if (position < 1 || position > count())
        return {};
    std::vector<Folder> chain;
    for (Folder at = m_order[size_t(position - 1)]; at != none; at = m_parts[at].parent)
        chain.push_back(at);
    QByteArray path;
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        const Part &part = m_parts[*at];
        path += nameOf(part);
        if (part.nameLength & closedBit)
            path += folderSeparator;
    }
    return path;
}

int SizeCache::removeAtOrBelow(const QByteArray &folderPath)
{
    const Folder top = findPath(folderPath);
    if (top == none)
        return 0;
    // Whether each part lies at or below the folder, found once a part.
    enum : quint8 { unknown, below, elsewhere };
    std::vector<quint8> where(m_parts.size(), unknown);
    where[top] = below;
    std::vector<Folder> way;
    const auto isBelow = [&](Folder folder) {
        way.clear();
        Folder at = folder;
        while (at != none && where[at] == unknown) {
            way.push_back(at);
            at = m_parts[at].parent;
        }
        const quint8 found = at == none ? quint8(elsewhere) : where[at];
        for (const Folder passed : way)
            where[passed] = found;
        return found == below;
    };
    const size_t before = m_order.size();
    std::erase_if(m_order, [&](Folder folder) {
        if (!isBelow(folder))
            return false;
        m_parts[folder].hasRecord = false;
        return true;
    });
    return int(before - m_order.size());
}

void SizeCache::addAll(const SizeCache &other)
{
    // Part for part, never through path text: a part comes after the part before it,
    // so its parent has its place here by the time it is reached.
    std::vector<Folder> here(other.m_parts.size());
    for (size_t index = 0; index < other.m_parts.size(); ++index) {
        const Part &part = other.m_parts[index];
        here[index] = findOrAdd(part.parent == none ? none : here[part.parent], other.nameOf(part), part.nameLength & closedBit);
    }
    for (const Folder folder : other.m_order) {
        const Part &part = other.m_parts[folder];
        addRecord(here[folder], {part.hasSubFolders, part.size}, part.marks);
    }
}
