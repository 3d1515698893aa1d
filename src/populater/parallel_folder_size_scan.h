#pragma once

#include "platform/folder_enumerator.h"
#include "populater/scan_control.h"
#include "populater/size_record.h"

#include <QByteArray>

// The size scan spread over a pool of threads: the same records as FolderSizeScan, key
// for key and in the same order, each folder listed once. Every thread walks with its
// own open folders and goes on with the first sub-folder it found itself; an idle
// thread takes the shallowest folder waiting in another thread's share.
class ParallelFolderSizeScan
{
public:
    ParallelFolderSizeScan(FolderEnumerator &enumerator, SizeCache &colSizeCache, int threads, ScanControl *control = nullptr);

    // As FolderSizeScan::GetFolderSize. A stopped scan stores no record at all.
    double GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders);

    qint64 filesCounted() const { return m_filesCounted; }

    // As FolderSizeScan::setMarks.
    void setMarks(FolderMarks *marks) { m_marks = marks; }

private:
    FolderEnumerator &m_enumerator;
    SizeCache &m_colSizeCache;
    int m_threads;
    ScanControl *m_control;
    FolderMarks *m_marks = nullptr;
    qint64 m_filesCounted = 0;
};
