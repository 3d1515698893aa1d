#include "scan/size_cache.h"

SizeRecord SizeCache::recordOf(Folder folder) const
{
    return {bool(m_flags[folder] & hasSubFoldersFlag), m_sizes[folder]};
}

std::optional<double> SizeCache::ownFilesSizeOf(Folder folder) const
{
    if (!(m_flags[folder] & hasSubFoldersFlag))
        return m_sizes[folder];
    if (!(m_flags[folder] & ownFilesKnownFlag))
        return std::nullopt;
    return m_ownFilesSizes.value(folder, 0);
}

void SizeCache::setRecord(Folder folder, const SizeRecord &record, quint8 marks, std::optional<double> ownFilesSize)
{
    m_flags[folder] = quint8(hasRecordFlag | (record.hasSubFolders ? hasSubFoldersFlag : 0) | ((marks & marksMask) << marksShift)
                             | (ownFilesSize ? ownFilesKnownFlag : 0));
    m_sizes[folder] = record.size;
    if (record.hasSubFolders && ownFilesSize && *ownFilesSize != 0)
        m_ownFilesSizes.insert(folder, *ownFilesSize);
    else
        m_ownFilesSizes.remove(folder);
}

SizeCache::Folder SizeCache::recordedFolder(const QByteArray &path) const
{
    const Folder found = m_names->findPath(path);
    return found != FolderNames::none && hasRecord(found) ? found : FolderNames::none;
}

bool SizeCache::addRecord(Folder folder, const SizeRecord &record, quint8 marks, std::optional<double> ownFilesSize)
{
    if (hasRecord(folder))
        return false;
    while (m_flags.size() <= folder) {
        m_flags.push_back(0);
        m_sizes.push_back(0);
    }
    m_order.push_back(folder);
    setRecord(folder, record, marks, ownFilesSize);
    return true;
}

bool SizeCache::add(const QByteArray &path, const SizeRecord &record, quint8 marks)
{
    if (path.isEmpty())
        return false;
    return addRecord(folder(path), record, marks, record.hasSubFolders ? std::nullopt : std::optional<double>(record.size));
}

std::optional<double> SizeCache::ownFilesSize(const QByteArray &path) const
{
    const Folder found = recordedFolder(path);
    return found == FolderNames::none ? std::nullopt : ownFilesSizeOf(found);
}

std::optional<SizeRecord> SizeCache::record(const QByteArray &path) const
{
    const Folder found = recordedFolder(path);
    return found == FolderNames::none ? std::nullopt : std::optional<SizeRecord>(recordOf(found));
}

std::optional<QString> SizeCache::item(const QByteArray &path) const
{
    const std::optional<SizeRecord> found = record(path);
    return found ? std::optional<QString>(sizeRecordText(*found)) : std::nullopt;
}

quint8 SizeCache::marks(const QByteArray &path) const
{
    const Folder found = recordedFolder(path);
    return found == FolderNames::none ? 0 : marksOf(found);
}

bool SizeCache::update(const QByteArray &path, const SizeRecord &record)
{
    const Folder found = recordedFolder(path);
    if (found == FolderNames::none)
        return false;
    // The folder's marks and own files are as they were: an update is of what lies below.
    setRecord(found, record, marksOf(found), ownFilesSizeOf(found));
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
    return m_names->pathOf(m_order[size_t(position - 1)]);
}

int SizeCache::removeAtOrBelow(const QByteArray &folderPath)
{
    const Folder top = m_names->findPath(folderPath);
    if (top == FolderNames::none)
        return 0;
    // Whether each folder lies at or below the top, found once a folder.
    enum : quint8 { unknown, below, elsewhere };
    std::vector<quint8> where(m_names->count(), unknown);
    where[top] = below;
    std::vector<Folder> way;
    const auto isBelow = [&](Folder folder) {
        way.clear();
        Folder at = folder;
        while (at != FolderNames::none && where[at] == unknown) {
            way.push_back(at);
            at = m_names->parentOf(at);
        }
        const quint8 found = at == FolderNames::none ? quint8(elsewhere) : where[at];
        for (const Folder passed : way)
            where[passed] = found;
        return found == below;
    };
    const size_t before = m_order.size();
    std::erase_if(m_order, [&](Folder folder) {
        if (!isBelow(folder))
            return false;
        m_flags[folder] = 0;
        m_ownFilesSizes.remove(folder);
        return true;
    });
    return int(before - m_order.size());
}

void SizeCache::addAll(const SizeCache &other)
{
    if (other.m_names == m_names) {
        for (const Folder folder : other.m_order)
            addRecord(folder, other.recordOf(folder), other.marksOf(folder), other.ownFilesSizeOf(folder));
        return;
    }
    // Name for name, never through path text: a folder comes after its parent, so the
    // parent has its place here by the time the folder is reached.
    const FolderNames &names = *other.m_names;
    std::vector<Folder> here(names.count());
    for (size_t index = 0; index < names.count(); ++index) {
        const auto folder = Folder(index);
        const Folder parent = names.parentOf(folder);
        here[index] = m_names->findOrAdd(parent == FolderNames::none ? FolderNames::none : here[parent], names.nameOf(folder),
                                         names.closed(folder));
    }
    for (const Folder folder : other.m_order)
        addRecord(here[folder], other.recordOf(folder), other.marksOf(folder), other.ownFilesSizeOf(folder));
}
