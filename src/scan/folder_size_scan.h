#pragma once

#include "scan/size_scan.h"

// The size scan on the calling thread, in one depth-first pass. A stopped scan's
// records are incomplete.
class FolderSizeScan final : public SizeScan
{
public:
    FolderSizeScan(FolderEnumerator &enumerator, SizeCache &colSizeCache, ScanControl *control = nullptr)
        : SizeScan(enumerator, colSizeCache, control)
    {
    }

    double GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders) override;
};
