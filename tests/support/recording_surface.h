#pragma once

#include "controls/drawing_surface.h"
#include "controls/list_box.h"
#include "controls/pie_figure.h"

#include <QStringList>

// A drawing surface that writes down every call made on it, one line a call, with
// text of a fixed size.
class RecordingSurface final : public DrawingSurface
{
public:
    RecordingSurface(int width, int height) : m_width(width), m_height(height) {}

    QStringList calls;
    PieFigure figure; // the last one told
    int figuresTold = 0;
    double textWidthResult = 40;
    double textHeightResult = 12;

    int scaleWidth() const override { return m_width; }
    int scaleHeight() const override { return m_height; }
    void cls() override { calls << QStringLiteral("cls"); }
    void setFillColor(Colour colour) override { calls << QStringLiteral("fill %1").arg(colour, 0, 16); }
    void setFontSize(double points) override { calls << QStringLiteral("font size %1").arg(points); }
    void setFontName(const QString &name) override { calls << QStringLiteral("font name ") + name; }
    double textWidth(const QString &) const override { return textWidthResult; }
    double textHeight(const QString &) const override { return textHeightResult; }
    void box(int x, int y, int dx, int dy, Colour colour) override { calls << line("box", {x, y, dx, dy}) + QStringLiteral(" %1").arg(colour, 0, 16); }
    void filledBox(int x, int y, int dx, int dy, Colour colour) override { calls << line("filledBox", {x, y, dx, dy}) + QStringLiteral(" %1").arg(colour, 0, 16); }
    void line(int x1, int y1, int x2, int y2, Colour colour) override { calls << line("line", {x1, y1, x2, y2}) + QStringLiteral(" %1").arg(colour, 0, 16); }
    void print(int x, int y, const QString &text) override { calls << line("print", {x, y}) + QLatin1Char(' ') + text; }
    void ellipse(int left, int top, int right, int bottom) override { calls << line("ellipse", {left, top, right, bottom}); }
    void pie(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) override
    {
        calls << line("pie", {left, top, right, bottom, x1, y1, x2, y2});
    }
    void setFigure(const PieFigure &told) override
    {
        figure = told;
        ++figuresTold;
    }

    // The calls whose line begins with a word.
    QStringList callsOf(const QString &word) const
    {
        QStringList found;
        for (const QString &call : calls) {
            if (call.startsWith(word + QLatin1Char(' ')) || call == word)
                found << call;
        }
        return found;
    }

private:
    static QString line(const char *name, std::initializer_list<int> numbers)
    {
        QString text = QLatin1String(name);
        for (int number : numbers)
            text += QLatin1Char(' ') + QString::number(number);
        return text;
    }

    int m_width;
    int m_height;
};

// A list box that keeps its lines.
class RecordingListBox final : public ListBox
{
public:
    QStringList lines{QStringLiteral("line from before")};
    void clear() override { lines.clear(); }
    void addLine(const QString &line) override { lines << line; }
};
