#pragma once

#include <QByteArray>
#include <QString>

// One row of a report-style list.
class ListRow
{
public:
    // Column index + 1 of sub-item index: 1 is the second column, 2 the third.
    virtual void setSubItem(int index, const QString &text) = 0;
    // The size the row stands for: what the size and share columns sort by.
    virtual void setSortSize(double size) = 0;

protected:
    ~ListRow() = default;
};

// The operations the folder graph relies on of its breakdown list. Row keys compare as
// folder paths do.
class ListView
{
public:
    virtual ~ListView() = default;
    virtual void clearRows() = 0;
    // A new last row showing text in its first column, stored under key; null when a
    // row already has that key.
    virtual ListRow *addRow(const QByteArray &key, const QString &text) = 0;
};
