#pragma once

#include "platform/key_comparison.h"
#include "scan/folder_names.h"
#include "scan/paged_array.h"
#include "scan/size_record.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The size cache: one size record per folder scanned, under the folder's path exactly
// as the scan was given it, and the marks of what its figures leave out. A record, once
// stored, is never replaced by another add.
//
// A folder costs its name, not its path: the paths are folder names (FolderNames), and a
// record is numbers in columns beside them, so a further figure a folder is a further
// column, paid for only when kept. Two caches may share one set of names (a baseline
// and a current scan, say) and keep nothing else in common. A path's text is made only
// when asked for (keyAt), a record's text only when read (item).
class SizeCache
{
public:
    // A folder of the cache, whether or not it has a record yet.
    using Folder = FolderNames::Folder;

    explicit SizeCache(KeyComparison comparison) : m_names(std::make_shared<FolderNames>(comparison)) {}
    // A cache over names another cache uses too.
    explicit SizeCache(std::shared_ptr<FolderNames> names) : m_names(std::move(names)) {}

    SizeCache(const SizeCache &) = delete;
    SizeCache &operator=(const SizeCache &) = delete;
    SizeCache(SizeCache &&) noexcept = default;
    SizeCache &operator=(SizeCache &&) noexcept = default;

    const std::shared_ptr<FolderNames> &names() const { return m_names; }

    // How many records.
    int count() const { return int(m_order.size()); }

    // False, storing nothing, when the path has a record already. The size of the
    // folder's own files is not known from a record added by path alone, unless the
    // folder holds no sub-folder.
    bool add(const QByteArray &path, const SizeRecord &record, quint8 marks = 0);

    // A record's text, as sizeRecordText writes it; nothing for a path without one.
    std::optional<QString> item(const QByteArray &path) const;
    std::optional<SizeRecord> record(const QByteArray &path) const;
    // Bits of FolderMark; 0 for a path without a record.
    quint8 marks(const QByteArray &path) const;
    // The size of the files lying directly in the folder, as its scan counted them:
    // never its total less its sub-folders. Nothing for a path without a record, or
    // with one that did not say.
    std::optional<double> ownFilesSize(const QByteArray &path) const;
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
    Folder folder(QByteArrayView path) { return m_names->addPath(path); }
    Folder subFolder(Folder parent, QByteArrayView name) { return m_names->findOrAdd(parent, name, true); }
    QByteArrayView name(Folder folder) const { return m_names->nameOf(folder); }
    // False, storing nothing, when the folder has a record already. ownFilesSize is
    // the part of the record's size that is the folder's own files.
    bool addRecord(Folder folder, const SizeRecord &record, quint8 marks, std::optional<double> ownFilesSize);

private:
    // A folder's record, beside its size. The marks take two bits.
    enum : quint8 { hasRecordFlag = 1, hasSubFoldersFlag = 2, marksShift = 2, marksMask = 3, ownFilesKnownFlag = 16 };

    // The folder of a path with a record; none for any other path.
    Folder recordedFolder(const QByteArray &path) const;
    void setRecord(Folder folder, const SizeRecord &record, quint8 marks, std::optional<double> ownFilesSize);
    bool hasRecord(Folder folder) const { return folder < m_flags.size() && (m_flags[folder] & hasRecordFlag); }
    SizeRecord recordOf(Folder folder) const;
    quint8 marksOf(Folder folder) const { return quint8((m_flags[folder] >> marksShift) & marksMask); }
    std::optional<double> ownFilesSizeOf(Folder folder) const;

    std::shared_ptr<FolderNames> m_names;
    // Indexed by folder, as far as the last folder with a record: names added since,
    // here or by a cache sharing them, have none.
    PagedArray<double> m_sizes;
    PagedArray<quint8> m_flags;
    // The own files' size of a folder that holds sub-folders and files both; any other
    // folder's is its size, or 0. Kept apart, as few folders hold both.
    QHash<Folder, double> m_ownFilesSizes;
    std::vector<Folder> m_order; // the folders with a record, in the order of adding
};
