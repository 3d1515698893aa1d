#include "chart/sections.h"

#include "platform/rounding.h"

#include <utility>

namespace {

// Trades the four values of two sections through a copy, leaving the objects in place.
void exchangeValues(cSection &a, cSection &b)
{
    const cSection aside = a;
    a = b;
    b = aside;
}

} // namespace

std::shared_ptr<cSection> cSections::Add(double Size, qint32 Color, const QString &Text, const QByteArray &Key)
{
    auto section = std::make_shared<cSection>();
    section->Color = Color;
    section->Size = Size;
    section->Text = Text;
    section->Key = Key;
    // A key already present is skipped on purpose: nothing is stored, nothing reported.
    m_sections.add(Key, section);
    return section;
}

void cSections::Sort(qint32 eOrder)
{
    if (eOrder != 1 || Count() == 0)
        return;
    QuickSortBySize(1, Count());
}

std::shared_ptr<cSection> cSections::Item(int position) const
{
    const auto *section = m_sections.itemAt(position);
    return section ? *section : nullptr;
}

std::shared_ptr<cSection> cSections::Item(const QByteArray &key) const
{
    const auto *section = m_sections.item(key);
    return section ? *section : nullptr;
}

bool cSections::Remove(int position)
{
    return m_sections.removeAt(position);
}

bool cSections::Remove(const QByteArray &key)
{
    return m_sections.remove(key);
}

void cSections::QuickSortBySize(int first, int last)
{
    // The two parts of a partition are disjoint, so sorting the smaller part first and
    // the larger one in this loop ends in the same order as the plain recursion, with a
    // recursion no deeper than log2 of the count.
    while (first < last) {
        int i = first;
        int j = last;
        const double pivot = Item(int(roundHalfEven((first + last) / 2.0)))->Size;
        while (i <= j) {
            while (Item(i)->Size < pivot && i < last)
                ++i;
            while (pivot < Item(j)->Size && j > first)
                --j;
            if (i > j)
                break;
            exchangeValues(*Item(i), *Item(j));
            ++i;
            --j;
        }
        if (j - first < last - i) {
            if (first < j)
                QuickSortBySize(first, j);
            first = i;
        } else {
            if (i < last)
                QuickSortBySize(i, last);
            last = j;
        }
    }
}
