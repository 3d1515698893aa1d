#pragma once

#include "platform/folder_enumerator.h"

#include <QByteArray>

#include <vector>

// Lists the sub-folders of a folder that the size scan counts (folders whose names do
// not begin with ".") into names, which the caller passes empty, sorted by SortNames.
// Returns their number; a folder that cannot be listed has none. The folder is reached
// through a walk from the root it lies below, so its path may be of any length.
int GetSubFolders(FolderWalk &walk, const QByteArray &folderPath, std::vector<QByteArray> &names);

// Whether a folder holds at least one sub-folder that GetSubFolders would list.
bool HoldsSubFolders(FolderWalk &walk, const QByteArray &folderPath);

// Sorts names[first..last] in place, ascending by the user's locale collation without
// regard to letter case: a quicksort around the middle element, the middle position
// rounded half to even. Names that compare equal end where the partitioning leaves
// them.
void SortNames(std::vector<QByteArray> &names, int first, int last);
