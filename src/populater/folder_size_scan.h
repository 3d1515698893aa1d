#pragma once

#include "platform/folder_enumerator.h"
#include "populater/scan_control.h"
#include "populater/size_record.h"

#include <QByteArray>

// Adds up the length of every file below a folder, at any depth, in one depth-first
// pass, and leaves one size record per folder it visits in the size cache. A folder's
// record is stored after the records of all the folders below it.
//
// Names beginning with "." are skipped: such files are not counted, such folders are
// not descended into and do not make their parent's flag "1". Every failing step is
// skipped: a folder that cannot be listed counts as empty (record "00"), and a path
// already in the cache keeps its first record.
class FolderSizeScan
{
public:
    // With a control, the scan reports its progress to it and stops when asked to; the
    // records of a stopped scan are incomplete.
    FolderSizeScan(FolderEnumerator &enumerator, SizeCache &colSizeCache, ScanControl *control = nullptr);

    // folderPath must end in the separator. hasSubFolders tells whether the folder
    // itself holds a counted sub-folder.
    double GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders);

    qint64 filesCounted() const { return m_filesCounted; }

    // Where the marks of folders that leave something out go; none: they are not kept.
    void setMarks(FolderMarks *marks) { m_marks = marks; }

private:
    FolderEnumerator &m_enumerator;
    SizeCache &m_colSizeCache;
    ScanControl *m_control;
    FolderMarks *m_marks = nullptr;
    qint64 m_filesCounted = 0;
};
