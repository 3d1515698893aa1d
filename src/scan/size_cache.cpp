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

QByteArrayView SizeCache::nameOf(const Part &part)
{
    return QByteArrayView(part.name, part.nameLength & ~closedBit);
}

SizeRecord SizeCache::recordOf(Folder folder) const
{
    return {bool(m_flags[folder] & hasSubFoldersFlag), m_sizes[folder]};
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
        if (m_slots[slot] == 0)
            return none;
        const Folder at = m_slots[slot] - 1;
        const Part &part = m_parts[at];
        if (part.parent == parent && sameName(part, name, closed))
            return at;
    }
}

SizeCache::Folder SizeCache::findOrAdd(Folder parent, QByteArrayView name, bool closed)
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
    m_sizes.push_back(0);
    m_flags.push_back(0);
    const auto folder = Folder(m_parts.size() - 1);
    place(folder, hashOf(parent, name, closed));
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

void SizeCache::place(Folder folder, std::uint32_t hash)
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = hash & mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = folder + 1;
}

void SizeCache::grow()
{
    // The old slots go first: the parts say where everything goes.
    const size_t slotCount = m_slots.empty() ? 16 : 2 * m_slots.size();
    m_slots = {};
    m_slots.resize(slotCount);
    for (size_t index = 0; index < m_parts.size(); ++index) {
        const Part &part = m_parts[index];
        place(Folder(index), hashOf(part.parent, nameOf(part), part.nameLength & closedBit));
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
    if (hasRecord(folder))
        return false;
    m_order.push_back(folder);
    m_flags[folder] = quint8(hasRecordFlag | (record.hasSubFolders ? hasSubFoldersFlag : 0) | (marks << marksShift));
    m_sizes[folder] = record.size;
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
    if (found == none || !hasRecord(found))
        return std::nullopt;
    return recordOf(found);
}

std::optional<QString> SizeCache::item(const QByteArray &path) const
{
    const std::optional<SizeRecord> found = record(path);
    return found ? std::optional<QString>(sizeRecordText(*found)) : std::nullopt;
}

quint8 SizeCache::marks(const QByteArray &path) const
{
    const Folder found = findPath(path);
    return found == none || !hasRecord(found) ? 0 : quint8(m_flags[found] >> marksShift);
}

bool SizeCache::update(const QByteArray &path, const SizeRecord &record)
{
    const Folder found = findPath(path);
    if (found == none || !hasRecord(found))
        return false;
    m_flags[found] = quint8((m_flags[found] & ~hasSubFoldersFlag) | (record.hasSubFolders ? hasSubFoldersFlag : 0));
    m_sizes[found] = record.size;
    return true;
}

std::optional<QString> SizeCache::itemAt(int position) const
{
    if (position < 1 || position > count())
        return std::nullopt;
    return sizeRecordText(recordOf(m_order[size_t(position - 1)]));
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
        m_flags[folder] = 0;
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
    for (const Folder folder : other.m_order)
        addRecord(here[folder], other.recordOf(folder), quint8(other.m_flags[folder] >> marksShift));
}
