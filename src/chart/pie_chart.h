#pragma once

#include "chart/sections.h"
#include "controls/drawing_surface.h"
#include "controls/list_box.h"
#include "controls/pie_figure.h"

#include <QtGlobal>

#include <array>
#include <functional>
#include <memory>

// Draws an ordered list of sections as a pie: the sections under 3 % of the total are
// folded into one slice "その他", slices without a colour of their own take one from a
// palette of three, each slice is drawn as six stacked wedges clockwise from just above
// the right-hand axis, and each slice's name is written in a box on the rim. A text
// breakdown goes into the list box it is given. The figure is laid out first, then
// painted, then handed to the surface as data.
class cPieChart
{
public:
    cPieChart();

    // Created empty on the first read when none was set.
    std::shared_ptr<cSections> Sections();
    void setSections(std::shared_ptr<cSections> sections) { m_sections = std::move(sections); }

    DrawingSurface *Canvas() const { return m_canvas; }
    void setCanvas(DrawingSurface *canvas) { m_canvas = canvas; }

    // Where the breakdown lines go; none: they are not written.
    void setListBox(ListBox *listBox) { m_listBox = listBox; }

    // How a slice's size in bytes reads in the figure; none: slices carry no size text.
    void setSizeText(std::function<QString(double)> sizeText) { m_sizeText = std::move(sizeText); }

    // Folds, clears and draws, writes the breakdown, then the labels. Every step that
    // fails (no canvas, a coordinate outside 16 bits, ...) is skipped and the next runs;
    // nothing is reported.
    void Draw();

    static inline const QString otherText = QStringLiteral("その他");
    static constexpr Colour otherColour = rgb(40, 120, 40);
    static constexpr double foldThreshold = 3.0 / 100;

private:
    struct Point {
        qint16 x = 0;
        qint16 y = 0;
    };

    // The centre and radii of one Draw.
    struct Geometry {
        qint16 cx = 0, cy = 0, rx = 0, ry = 0;
    };

    Point PointOnEllipse(double angle, qint16 rx, qint16 ry, qint16 cx, qint16 cy) const;
    void ListOtherSections(const cSections &others);
    // What the folded slice holds, told beside its size: names and sizes, largest first.
    QString foldedNote(const cSections &others) const;
    static constexpr size_t foldedNoteEntries = 10;
    // Returns the label's framed box.
    QRect DrawLabel(const QString &text, qint16 x, qint16 y);
    PieFigure layOut(const cSections &sections, double total, const Geometry &geometry) const;
    // The edges of a pie's ellipse, as the surface takes them: in either order, the
    // right and bottom ones excluded.
    struct Edges {
        int left = 0, top = 0, right = 0, bottom = 0;
    };

    void drawSlices(const PieFigure &figure);
    // One wedge of a slice that runs clockwise through sweep radians from the ray
    // through to to the ray through from.
    void drawWedge(const Edges &edges, QPoint from, QPoint to, double sweep);
    static double surfaceSweep(const Edges &edges, QPoint from, QPoint to);
    void drawLabels(PieFigure &figure);
    DrawingSurface &canvas() const;

    std::array<Colour, 3> m_palette;
    std::shared_ptr<cSections> m_sections;
    DrawingSurface *m_canvas = nullptr;
    ListBox *m_listBox = nullptr;
    std::function<QString(double)> m_sizeText;
};
