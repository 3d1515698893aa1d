#pragma once

#include "platform/folder_enumerator.h"
#include "scan/scan_control.h"

#include <QByteArray>

// One folder listed for a scan or an export, and told to whoever watches. A folder that
// cannot be listed is skipped on purpose: it counts as empty, and the listing says
// whether that was the system's failure. False when it could not be listed.
inline bool listFolder(FolderWalk &walk, const QByteArray &folderPath, EntryDetail detail, FolderListing &listing,
                       ScanControl *control)
{
    const bool listed = walk.list(folderPath, detail, listing);
    if (control)
        control->folderListed(folderPath, listing.files, listing.fileBytes);
    return listed;
}
