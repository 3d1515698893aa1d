#pragma once

#include "platform/folder_enumerator.h"
#include "scan/background_job.h"
#include "scan/scan_control.h"
#include "scan/size_cache.h"

#include <QByteArray>

// The size scan of one root, made to run on a thread of its own while another thread
// watches its progress and may stop it. One thread runs FolderSizeScan, more run
// ParallelFolderSizeScan; the records are the same.
class FolderScanJob final : public BackgroundJob
{
public:
    // Threads beyond the cores help while the disk is read: most of them wait for it.
    // Bounded; how it was chosen is told beside its constants.
    static int defaultThreads();

    FolderScanJob(FolderEnumerator &fileSystem, const QByteArray &rootPath, int threads = defaultThreads());

    // Runs the scan to its end or until a stop is requested through control().
    void run() override;

    ScanControl &control() override { return m_control; }
    QByteArray subject() const override { return m_rootPath; }
    const QByteArray &rootPath() const { return m_rootPath; }

    // After run(): whether the scan went to its end, and then its total and records.
    bool completed() const override { return m_completed; }
    double total() const { return m_total; }
    SizeCache takeRecords() { return std::move(m_records); }

private:
    FolderEnumerator &m_fileSystem;
    QByteArray m_rootPath;
    int m_threads;
    ScanControl m_control;
    SizeCache m_records{pathKeyComparison};
    double m_total = 0;
    bool m_completed = false;
};
