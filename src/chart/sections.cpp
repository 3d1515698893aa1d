#include "chart/sections.h"

#include "platform/middle_pivot_sort.h"

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
    middlePivotQuickSort(
        first, last, [this](int position) { return Item(position)->Size; },
        [this](int position, double pivot) {
            const double size = Item(position)->Size;
            return size < pivot ? -1 : pivot < size ? 1 : 0;
        },
        [this](int a, int b) { exchangeValues(*Item(a), *Item(b)); });
}
