#pragma once

#include "platform/folder_enumerator.h"
#include "scan/scan_control.h"
#include "scan/size_cache.h"

#include <QByteArray>

// What the single-threaded and the parallel size scan share: where their records go,
// the watcher they report to, and the files they counted. Neither keeps a path per
// folder: a folder is its name below its parent, in the scan and in the cache.
//
// A scan adds up the length of every file below a folder, at any depth, and leaves one
// size record per folder it visits in the size cache, each folder's record after the
// records of all the folders below it. Names beginning with "." are skipped: such files
// are not counted, such folders are not descended into and do not make their parent's
// flag "1". Every failing step is skipped: a folder that cannot be listed counts as
// empty (record "00"), and a path already in the cache keeps its first record. What a
// folder's figures leave out is marked with its record.
class SizeScan
{
public:
    virtual ~SizeScan() = default;

    // folderPath must end in the separator. hasSubFolders tells whether the folder
    // itself holds a counted sub-folder.
    virtual double GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders) = 0;

    qint64 filesCounted() const { return m_filesCounted; }

protected:
    // With a control, the scan reports its progress to it and stops when asked to.
    SizeScan(FolderEnumerator &enumerator, SizeCache &colSizeCache, ScanControl *control)
        : m_enumerator(enumerator)
        , m_control(control)
        , m_colSizeCache(colSizeCache)
    {
    }

    // A folder's record, once its total is final, with the size of its own files.
    void storeRecord(SizeCache::Folder folder, const SizeRecord &record, quint8 marks, double ownFilesSize)
    {
        // A path already in the cache keeps its first record; the add fails quietly.
        m_colSizeCache.addRecord(folder, record, marks, ownFilesSize);
    }

    FolderEnumerator &m_enumerator;
    ScanControl *const m_control;
    SizeCache &m_colSizeCache;
    qint64 m_filesCounted = 0;
};
