#include "populater/sub_folders.h"

#include "platform/folder_path.h"
#include "platform/rounding.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

bool isCountedSubFolder(const FolderEntry &entry)
{
    return entry.isFolder && !entry.name.startsWith('.');
}

struct SortItem {
    QCollatorSortKey key;
    QByteArray name;
};

// Positions stay those of the caller's list, so the middle position rounds the same.
class NameSorter
{
public:
    NameSorter(std::vector<SortItem> &items, int offset) : m_items(items), m_offset(offset) {}

    void sort(int first, int last)
    {
        // The two parts of a partition are disjoint, so sorting the smaller one first
        // and the larger one in this loop gives the same order as the plain recursion,
        // with a recursion no deeper than log2 of the count.
        while (first < last) {
            auto [lo, hi] = partition(first, last);
            if (hi - first < last - lo) {
                if (first < hi)
                    sort(first, hi);
                first = lo;
            } else {
                if (lo < last)
                    sort(lo, last);
                last = hi;
            }
        }
    }

private:
    SortItem &at(int position) { return m_items[size_t(position - m_offset)]; }

    std::pair<int, int> partition(int first, int last)
    {
        int lo = first;
        int hi = last;
        const QCollatorSortKey pivot = at(int(roundHalfEven((first + last) / 2.0))).key;
        while (lo <= hi) {
            while (at(lo).key.compare(pivot) < 0 && lo < last)
                ++lo;
            while (pivot.compare(at(hi).key) < 0 && hi > first)
                --hi;
            if (lo > hi)
                break;
            std::swap(at(lo), at(hi));
            ++lo;
            --hi;
        }
        return {lo, hi};
    }

    std::vector<SortItem> &m_items;
    int m_offset;
};

} // namespace

int GetSubFolders(FolderEnumerator &fileSystem, const QByteArray &folderPath, std::vector<QByteArray> &names)
{
    std::vector<FolderEntry> entries;
    fileSystem.startWalk()->list(folderPath, EntryDetail::NamesAndTypes, entries);
    for (FolderEntry &entry : entries) {
        if (isCountedSubFolder(entry))
            names.push_back(std::move(entry.name));
    }
    const int count = int(names.size());
    if (count != 0)
        SortNames(names, 0, count - 1);
    return count;
}

bool HoldsSubFolders(FolderEnumerator &fileSystem, const QByteArray &folderPath)
{
    std::vector<FolderEntry> entries;
    fileSystem.startWalk()->list(folderPath, EntryDetail::NamesAndTypes, entries);
    return std::any_of(entries.begin(), entries.end(), isCountedSubFolder);
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
    NameSorter(items, first).sort(first, last);
    for (int position = first; position <= last; ++position)
        names[size_t(position)] = std::move(items[size_t(position - first)].name);
}
