#include "platform/mime_handlers.h"

#include "platform/key_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString defaultsGroup = QStringLiteral("Default Applications");
const QString addedGroup = QStringLiteral("Added Associations");
const QString removedGroup = QStringLiteral("Removed Associations");

// A relative path in an XDG variable is invalid and ignored.
QStringList absoluteLocations(QStandardPaths::StandardLocation type)
{
    QStringList locations = QStandardPaths::standardLocations(type);
    locations.removeIf([](const QString &location) { return !QDir::isAbsolutePath(location); });
    locations.removeDuplicates();
    return locations;
}

// One place where mimeapps.list files may lie, in the order they take precedence.
struct Level {
    QStringList lists; // the desktop-specific ones first, then mimeapps.list itself
    int applications = -1; // the applications folder this is, -1 for a config folder
    int firstFolder = 0; // the first applications folder its lists may name entries from
};

class Associations
{
public:
    explicit Associations(const QString &mimeType) : m_mimeType(mimeType)
    {
        QStringList desktops;
        for (const QString &name : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
            desktops << name.toLower();
        const auto listsIn = [&](const QString &folder) {
            QStringList lists;
            for (const QString &desktop : desktops)
                lists << folder + u'/' + desktop + QStringLiteral("-mimeapps.list");
            return lists << folder + QStringLiteral("/mimeapps.list");
        };
        for (const QString &folder : absoluteLocations(QStandardPaths::GenericConfigLocation))
            m_levels.append({listsIn(folder), -1, 0});
        m_folders = absoluteLocations(QStandardPaths::ApplicationsLocation);
        for (int i = 0; i < m_folders.size(); ++i) {
            m_levels.append({listsIn(m_folders[i]), i, i});
            findEntries(i);
        }
    }

    QList<DesktopEntry> handlers()
    {
        const QStringList associated = associatedIds();
        QStringList preferred;
        for (const Level &level : std::as_const(m_levels)) {
            for (const QString &list : level.lists) {
                for (const QString &id : KeyFile::read(list).list(defaultsGroup, m_mimeType)) {
                    // A default must be installed and associated with the type.
                    if (isInstalled(id, level.firstFolder) && associated.contains(id) && !preferred.contains(id))
                        preferred << id;
                }
            }
        }
        for (const QString &id : associated) {
            if (!preferred.contains(id))
                preferred << id;
        }
        QList<DesktopEntry> entries;
        for (const QString &id : std::as_const(preferred))
            entries << entry(id);
        return entries;
    }

private:
    struct Location {
        int folder;
        QString fileName;
    };

    // Entries in sub-folders have ids with '-' for '/'; an id in an earlier folder hides
    // the same id in later ones.
    void findEntries(int folder)
    {
        const QDir root(m_folders[folder]);
        QDirIterator it(m_folders[folder], {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString fileName = it.next();
            const QString id = root.relativeFilePath(fileName).replace(u'/', u'-');
            if (!m_locations.contains(id))
                m_locations.insert(id, {folder, fileName});
        }
    }

    const DesktopEntry &entry(const QString &id)
    {
        auto found = m_entries.find(id);
        if (found == m_entries.end())
            found = m_entries.insert(id, DesktopEntry::read(m_locations.value(id).fileName, id));
        return *found;
    }

    // Installed in the given applications folder or a later one, and not deleted.
    bool isInstalled(const QString &id, int firstFolder)
    {
        const auto location = m_locations.constFind(id);
        return location != m_locations.cend() && location->folder >= firstFolder && !entry(id).isDeleted();
    }

    // The entries in one applications folder that name the type: those its
    // mimeinfo.cache lists, in its order, or where it has none, all in id order.
    QStringList declaringIds(int folder)
    {
        const QString cache = m_folders[folder] + QStringLiteral("/mimeinfo.cache");
        QStringList ids;
        if (QFile::exists(cache)) {
            ids = KeyFile::read(cache).list(QStringLiteral("MIME Cache"), m_mimeType);
        } else {
            for (auto it = m_locations.cbegin(); it != m_locations.cend(); ++it) {
                if (it->folder == folder)
                    ids << it.key();
            }
            std::sort(ids.begin(), ids.end());
        }
        ids.removeIf([&](const QString &id) {
            const auto location = m_locations.constFind(id);
            return location == m_locations.cend() || location->folder != folder || entry(id).isDeleted()
                   || !entry(id).declaresMimeType(m_mimeType);
        });
        return ids;
    }

    // Level by level: the added associations not yet removed, then the removals, then
    // the entries of an applications folder that name the type and were not removed
    // above. A level's additions and removals reach only its own folder and later ones.
    QStringList associatedIds()
    {
        QStringList ids;
        QSet<QString> removed;
        const auto add = [&](const QString &id) {
            if (!removed.contains(id) && !ids.contains(id))
                ids << id;
        };
        for (const Level &level : std::as_const(m_levels)) {
            const KeyFile list = KeyFile::read(level.lists.last());
            for (const QString &id : list.list(addedGroup, m_mimeType)) {
                if (isInstalled(id, level.firstFolder))
                    add(id);
            }
            for (const QString &id : list.list(removedGroup, m_mimeType))
                removed.insert(id);
            if (level.applications >= 0) {
                for (const QString &id : declaringIds(level.applications))
                    add(id);
            }
        }
        return ids;
    }

    QString m_mimeType;
    QList<Level> m_levels;
    QStringList m_folders; // the applications folders, $XDG_DATA_HOME's first
    QHash<QString, Location> m_locations; // desktop id → where its entry is
    QHash<QString, DesktopEntry> m_entries; // read as needed
};

} // namespace

QList<DesktopEntry> mimeHandlers(const QString &mimeType)
{
    return Associations(mimeType).handlers();
}
