#pragma once

#include "platform/keyed_collection.h"

#include <QByteArray>
#include <QString>

#include <memory>

// One slice of a pie: its size in bytes, its fill colour (an RGB value, or -1 to take
// one from the chart's palette), its label, and the folder path it stands for ("" for
// the slice of the small ones), with a note of what its size leaves out (empty for most).
class cSection
{
public:
    double Size = 0;
    qint32 Color = 0;
    QString Text;
    QByteArray Key;
    QString Note;
};

// The ordered list of a pie's sections, each stored under its key (keys compare as
// folder paths). Sections are shared: whoever holds one from Add or Item sees the
// changes made through any other holder.
class cSections
{
public:
    explicit cSections(KeyComparison comparison = pathKeyComparison) : m_sections(comparison) {}

    // Appends a new section. A key already present stores nothing and reports nothing;
    // the new section is returned all the same.
    std::shared_ptr<cSection> Add(double Size, qint32 Color, const QString &Text, const QByteArray &Key);

    // eOrder 1: ascending by size, the smallest first. Any other order changes nothing.
    // The sort exchanges the values of sections, not the objects: each object stays at
    // its position and under the key it was stored with.
    void Sort(qint32 eOrder);

    // By position (1 to Count()) or by key; null when there is none.
    std::shared_ptr<cSection> Item(int position) const;
    std::shared_ptr<cSection> Item(const QByteArray &key) const;

    int Count() const { return m_sections.count(); }

    // Later sections move down by one. False, with nothing removed, when there is none.
    bool Remove(int position);
    bool Remove(const QByteArray &key);

private:
    void QuickSortBySize(int first, int last);

    KeyedCollection<std::shared_ptr<cSection>> m_sections;
};
