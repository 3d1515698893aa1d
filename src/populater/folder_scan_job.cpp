#include "populater/folder_scan_job.h"

#include "populater/folder_size_scan.h"
#include "populater/parallel_folder_size_scan.h"

#include <algorithm>
#include <thread>

int FolderScanJob::defaultThreads()
{
    return int(std::max(2u, 2 * std::thread::hardware_concurrency()));
}

FolderScanJob::FolderScanJob(FolderEnumerator &fileSystem, const QByteArray &rootPath, int threads)
    : m_fileSystem(fileSystem)
    , m_rootPath(rootPath)
    , m_threads(threads)
{
}

void FolderScanJob::run()
{
    bool hasSubFolders = false;
    if (m_threads <= 1) {
        FolderSizeScan scan(m_fileSystem, m_records, &m_control);
        m_total = scan.GetFolderSize(m_rootPath, hasSubFolders);
    } else {
        ParallelFolderSizeScan scan(m_fileSystem, m_records, m_threads, &m_control);
        m_total = scan.GetFolderSize(m_rootPath, hasSubFolders);
    }
    // A stop asked for while the last folders were read still counts: the user said no.
    m_completed = !m_control.cancelRequested();
}
