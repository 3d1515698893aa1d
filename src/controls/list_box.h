#pragma once

#include <QString>

// A list of text lines: what the pie chart writes its breakdown into.
class ListBox
{
public:
    virtual ~ListBox() = default;
    virtual void clear() = 0;
    virtual void addLine(const QString &line) = 0; // appended as the new last line
};
