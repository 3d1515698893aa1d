#include "populater/folder_scan_job.h"

#include "populater/folder_size_scan.h"

FolderScanJob::FolderScanJob(FolderEnumerator &fileSystem, const QByteArray &rootPath)
    : m_fileSystem(fileSystem)
    , m_rootPath(rootPath)
{
}

void FolderScanJob::run()
{
    FolderSizeScan scan(m_fileSystem, m_records, &m_control);
    bool hasSubFolders = false;
    m_total = scan.GetFolderSize(m_rootPath, hasSubFolders);
    m_completed = !scan.stopped();
}
