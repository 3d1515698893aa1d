#include "populater/sub_folders.h"

#include "platform/folder_path.h"
#include "platform/middle_pivot_sort.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <utility>

namespace {

struct SortItem {
    QCollatorSortKey key;
    QByteArray name;
};

} // namespace

int GetSubFolders(FolderWalk &walk, const QByteArray &folderPath, std::vector<QByteArray> &names)
{
    FolderListing listing;
    walk.list(folderPath, EntryDetail::NamesAndTypes, listing);
    names.reserve(names.size() + listing.subFolders.size());
    for (const QByteArrayView name : listing.subFolders)
        names.push_back(name.toByteArray());
    const int count = int(names.size());
    if (count != 0)
        SortNames(names, 0, count - 1);
    return count;
}

bool HoldsSubFolders(FolderWalk &walk, const QByteArray &folderPath)
{
    FolderListing listing;
    walk.list(folderPath, EntryDetail::NamesAndTypes, listing);
    return !listing.subFolders.empty();
}

void SortNames(std::vector<QByteArray> &names, int first, int last)
{
    if (first >= last)
        return;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Each name's collation key is made once, not at every comparison. The names are
    // case-folded first: the C locale's collator orders by code point and would
    // otherwise put every capital before every small letter.
    std::vector<SortItem> items;
    items.reserve(size_t(last - first + 1));
    for (int position = first; position <= last; ++position) {
        const QString folded = displayText(names[size_t(position)]).toCaseFolded();
        items.push_back({collator.sortKey(folded), std::move(names[size_t(position)])});
    }
    auto at = [&](int position) -> SortItem & { return items[size_t(position - first)]; };
    middlePivotQuickSort(
        first, last, [&](int position) { return at(position).key; },
        [&](int position, const QCollatorSortKey &pivot) { return at(position).key.compare(pivot); },
        [&](int a, int b) { std::swap(at(a), at(b)); });
    for (int position = first; position <= last; ++position)
        names[size_t(position)] = std::move(items[size_t(position - first)].name);
}
