#pragma once

#include "scan/size_scan.h"

// The size scan spread over a pool of threads: the same records as FolderSizeScan, key
// for key and in the same order, each folder listed once. Every thread goes on with the
// first sub-folder it found itself; an idle thread takes the shallowest folder waiting
// in another thread's share. A stopped scan stores no record at all.
class ParallelFolderSizeScan final : public SizeScan
{
public:
    ParallelFolderSizeScan(FolderEnumerator &enumerator, SizeCache &colSizeCache, int threads, ScanControl *control = nullptr)
        : SizeScan(enumerator, colSizeCache, control)
        , m_threads(threads)
    {
    }

    double GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders) override;

private:
    int m_threads;
};
