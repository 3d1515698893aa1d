#include "chart/pie_chart.h"

#include "chart/label_layout.h"
#include "platform/locale_formats.h"
#include "platform/rounding.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A step of Draw that cannot be done. The step is abandoned, whatever it was assigning
// keeps its previous value, and Draw goes on with the next step.
struct StepFailed {
};

template <typename Step>
void skipIfFailing(Step &&step)
{
    try {
        step();
    } catch (const StepFailed &) {
    }
}

qint16 int16(double value)
{
    const std::optional<qint16> fitted = toInt16(value);
    if (!fitted)
        throw StepFailed{};
    return *fitted;
}

std::shared_ptr<cSection> sectionAt(const cSections &sections, int position)
{
    std::shared_ptr<cSection> section = sections.Item(position);
    if (!section)
        throw StepFailed{};
    return section;
}

// Each slice is drawn six times, the right and bottom edges and both rim points moved
// in by these offsets.
constexpr std::array<double, 6> wedgeOffsets = {0, 1, 1.5, 2, 2.5, 3};

} // namespace

cPieChart::cPieChart()
    : m_palette{rgb(120, 150, 150), rgb(120, 200, 150), rgb(120, 250, 150)}
{
}

std::shared_ptr<cSections> cPieChart::Sections()
{
    if (!m_sections)
        m_sections = std::make_shared<cSections>();
    return m_sections;
}

void cPieChart::Draw()
{
    // A chart whose sections were never set or read draws an empty list.
    cSections none;
    cSections &sections = m_sections ? *m_sections : none;

    const int count = sections.Count();
    std::vector<double> share(size_t(count) + 1, 0.0);
    double total = 0;
    for (int i = 1; i <= count; ++i)
        skipIfFailing([&] { total += sectionAt(sections, i)->Size; });
    // A total of 0 divides nothing: every share stays 0 and every section is folded.
    for (int i = 1; i <= count; ++i) {
        skipIfFailing([&] {
            if (total == 0)
                throw StepFailed{};
            share[size_t(i)] = sectionAt(sections, i)->Size / total;
        });
    }
    if (m_listBox)
        m_listBox->clear();

    Geometry geometry;
    skipIfFailing([&] { geometry.cx = int16(double(integerDivide(canvas().scaleWidth(), 2))); });
    skipIfFailing([&] { geometry.cy = int16(double(integerDivide(canvas().scaleHeight(), 2))); });
    skipIfFailing([&] { geometry.rx = int16(geometry.cx * 0.7); });
    skipIfFailing([&] { geometry.ry = int16(geometry.cy * 0.7); });
    skipIfFailing([&] { canvas().cls(); });

    // From the last position to the first, so that the positions not yet visited stay
    // those the shares were computed for.
    cSections others;
    double otherSize = 0;
    for (int i = count; i >= 1; --i) {
        if (!(share[size_t(i)] < foldThreshold))
            continue;
        skipIfFailing([&] {
            const std::shared_ptr<cSection> section = sectionAt(sections, i);
            others.Add(section->Size, section->Color, section->Text, section->Key);
            otherSize += section->Size;
            sections.Remove(i);
        });
    }
    if (others.Count() > 0) {
        sections.Add(otherSize, qint32(otherColour), otherText, QByteArray(""))->Note = foldedNote(others);
        skipIfFailing([&] { ListOtherSections(others); });
    }

    PieFigure figure = layOut(sections, total, geometry);
    // The folded slice knows what it holds, for the pointer, the keyboard and the ear.
    for (PieSlice &slice : figure.slices) {
        if (slice.key.isEmpty()) {
            for (int i = 1; i <= others.Count(); ++i)
                skipIfFailing([&] { slice.foldedKeys.push_back(sectionAt(others, i)->Key); });
        }
    }
    drawSlices(figure);
    drawLabels(figure);
    skipIfFailing([&] { canvas().setFigure(figure); });
}

PieFigure cPieChart::layOut(const cSections &sections, double total, const Geometry &geometry) const
{
    const auto &[cx, cy, rx, ry] = geometry;
    PieFigure figure;
    figure.centre = QPoint(cx, cy);
    figure.radiusX = rx;
    figure.radiusY = ry;
    const int slices = sections.Count();
    const int period = slices % 2 == 1 ? 3 : 2;
    // A step that fails leaves what the slice before had.
    double sliceShare = 0;
    double previousEnd = 0;
    Colour colour = m_palette[0];
    Point pStart;
    Point pEnd;
    qint16 labelRx = 0;
    qint16 labelRy = 0;
    Point label;
    for (int i = 1; i <= slices; ++i) {
        PieSlice slice;
        skipIfFailing([&] {
            const std::shared_ptr<cSection> section = sectionAt(sections, i);
            slice.name = section->Text;
            slice.key = section->Key;
            slice.note = section->Note;
            if (m_sizeText)
                slice.sizeText = m_sizeText(section->Size);
        });
        skipIfFailing([&] {
            if (total == 0)
                throw StepFailed{};
            sliceShare = sectionAt(sections, i)->Size / total;
        });
        slice.share = sliceShare;
        // A pie of one slice is a whole ellipse: it has no angles, and its label sits
        // on the right-hand end of the horizontal axis.
        if (slices > 1) {
            // Slice 1 starts just above the right-hand axis; every later one starts
            // 0.01 radian before the end of the one before, so that no gap shows
            // between them.
            slice.startAngle = previousEnd - 0.01;
            slice.endAngle = sliceShare * fullTurn + previousEnd;
            previousEnd = slice.endAngle;
            skipIfFailing([&] { pStart = PointOnEllipse(slice.startAngle, rx, ry, cx, cy); });
            skipIfFailing([&] { pEnd = PointOnEllipse(slice.endAngle, rx, ry, cx, cy); });
        }
        skipIfFailing([&] {
            const std::shared_ptr<cSection> section = sectionAt(sections, i);
            const Colour ownColour = slices > 1 ? m_palette[size_t(i % period)] : m_palette[0];
            colour = section->Color == -1 ? ownColour : Colour(section->Color);
        });
        slice.colour = colour;
        slice.rimStart = QPoint(pStart.x, pStart.y);
        slice.rimEnd = QPoint(pEnd.x, pEnd.y);
        // The labels sit on the rim itself.
        skipIfFailing([&] { labelRx = int16(rx / 1.0); });
        skipIfFailing([&] { labelRy = int16(ry / 1.0); });
        const double mid = (slice.startAngle + slice.endAngle) / 2.0;
        skipIfFailing([&] { label = PointOnEllipse(mid, labelRx, labelRy, cx, cy); });
        slice.labelCentre = QPoint(label.x, label.y);
        figure.slices.push_back(slice);
    }
    return figure;
}

void cPieChart::drawSlices(const PieFigure &figure)
{
    const int cx = figure.centre.x();
    const int cy = figure.centre.y();
    const int rx = figure.radiusX;
    const int ry = figure.radiusY;
    if (figure.isWholeEllipse()) {
        skipIfFailing([&] { canvas().setFillColor(figure.slices.front().colour); });
        skipIfFailing([&] { canvas().ellipse(int16(cx - rx), int16(cy + ry), int16(cx + rx), int16(cy - ry)); });
        return;
    }
    for (const PieSlice &slice : figure.slices) {
        skipIfFailing([&] { canvas().setFillColor(slice.colour); });
        // The slice runs clockwise from start to end, which is counterclockwise from
        // its end to its start: the end goes first.
        const QPoint pStart = slice.rimStart;
        const QPoint pEnd = slice.rimEnd;
        for (const double d : wedgeOffsets) {
            skipIfFailing([&] {
                const Edges edges{int16(cx - rx), int16(cy + ry), int16((cx + rx) - d), int16((cy - ry) - d)};
                const QPoint from(int16(pEnd.x() - d), int16(pEnd.y() - d));
                const QPoint to(int16(pStart.x() - d), int16(pStart.y() - d));
                drawWedge(edges, from, to, slice.endAngle - slice.startAngle);
            });
        }
        if (m_listBox)
            m_listBox->addLine(slice.name + QLatin1Char(':') + formatPercent(slice.share, 1));
    }
}

// The angle a surface's pie runs through, as the ellipse's own parameter: the wedge
// drawn counterclockwise from the ray through from to the ray through to, which is
// clockwise from to to from; a whole turn when both are one pixel.
double cPieChart::surfaceSweep(const Edges &edges, QPoint from, QPoint to)
{
    if (from == to)
        return fullTurn;
    const double cx = (edges.left + edges.right) / 2.0;
    const double cy = (edges.top + edges.bottom) / 2.0;
    const double rx = std::max(std::abs(edges.right - edges.left) / 2.0, 0.5);
    const double ry = std::max(std::abs(edges.bottom - edges.top) / 2.0, 0.5);
    auto angle = [&](QPoint point) { return std::atan2((point.y() - cy) / ry, (point.x() - cx) / rx); };
    const double sweep = angle(from) - angle(to);
    return sweep > 0 ? sweep : sweep + fullTurn;
}

void cPieChart::drawWedge(const Edges &edges, QPoint from, QPoint to, double sweep)
{
    // Rounded to pixels, the rays of a thin slice can meet, or pass each other, and of
    // a slice that goes all the way round too: the surface would then draw the whole
    // ellipse for the thin one, or a sliver for the whole one. What it would draw is
    // kept when it is within half a turn of what the slice covers; otherwise the slice
    // is drawn as what it is, all or nothing.
    if (std::abs(surfaceSweep(edges, from, to) - sweep) > fullTurn / 2 || sweep >= fullTurn) {
        if (sweep < fullTurn / 2)
            return;
        to = from;
    }
    canvas().pie(edges.left, edges.top, edges.right, edges.bottom, from.x(), from.y(), to.x(), to.y());
}

void cPieChart::drawLabels(PieFigure &figure)
{
    std::vector<LabelPlacement> placements;
    skipIfFailing([&] {
        DrawingSurface &surface = canvas();
        const LabelLayout layout(QRect(0, 0, surface.scaleWidth(), surface.scaleHeight()), figure.centre, figure.radiusX,
                                 figure.radiusY, [&](const QString &text) {
                                     return QSize(int16(surface.textWidth(text) + 2), int16(surface.textHeight(text)));
                                 });
        std::vector<LabelRequest> requests;
        for (const PieSlice &slice : figure.slices)
            requests.push_back({slice.name, slice.labelCentre, (slice.startAngle + slice.endAngle) / 2.0, slice.share});
        placements = layout.place(requests);
    });
    // Without a layout every label stands on the rim, whatever it covers.
    if (placements.size() != figure.slices.size()) {
        for (PieSlice &slice : figure.slices)
            skipIfFailing([&] { slice.labelBox = DrawLabel(slice.name, qint16(slice.labelCentre.x()), qint16(slice.labelCentre.y())); });
        return;
    }
    // The leaders first, so that the boxes lie over their ends.
    for (const LabelPlacement &placement : placements) {
        if (!placement.leader.isNull())
            skipIfFailing([&] { canvas().line(placement.leader.x1(), placement.leader.y1(), placement.leader.x2(), placement.leader.y2(), windowTextColour); });
    }
    for (size_t i = 0; i < placements.size(); ++i) {
        PieSlice &slice = figure.slices[i];
        const LabelPlacement &placement = placements[i];
        slice.labelLeader = placement.leader;
        slice.labelText = placement.text;
        if (placement.text.isEmpty())
            continue;
        slice.labelCentre = placement.centre;
        skipIfFailing([&] { slice.labelBox = DrawLabel(placement.text, qint16(placement.centre.x()), qint16(placement.centre.y())); });
    }
}

cPieChart::Point cPieChart::PointOnEllipse(double angle, qint16 rx, qint16 ry, qint16 cx, qint16 cy) const
{
    return {int16(cx + rx * std::cos(angle)), int16(cy + ry * std::sin(angle))};
}

QString cPieChart::foldedNote(const cSections &others) const
{
    // The largest first, a handful of them: a folder of thousands of small sub-folders
    // folds them all.
    std::vector<std::shared_ptr<cSection>> held;
    for (int i = 1; i <= others.Count(); ++i) {
        if (std::shared_ptr<cSection> section = others.Item(i))
            held.push_back(std::move(section));
    }
    std::stable_sort(held.begin(), held.end(), [](const auto &a, const auto &b) { return a->Size > b->Size; });
    QStringList parts;
    for (size_t i = 0; i < held.size() && i < foldedNoteEntries; ++i)
        parts << (m_sizeText ? held[i]->Text + QLatin1Char(' ') + m_sizeText(held[i]->Size) : held[i]->Text);
    QString note = QStringLiteral("（") + parts.join(QStringLiteral("、"));
    if (held.size() > foldedNoteEntries)
        note += QStringLiteral("、ほか %1 件").arg(held.size() - foldedNoteEntries);
    return note + QStringLiteral("）");
}

void cPieChart::ListOtherSections(const cSections &others)
{
    if (!m_listBox)
        return;
    for (int i = 1; i <= others.Count(); ++i)
        m_listBox->addLine(otherText + QStringLiteral(" - ") + sectionAt(others, i)->Text);
}

QRect cPieChart::DrawLabel(const QString &text, qint16 x, qint16 y)
{
    DrawingSurface &surface = canvas();
    const qint16 w = int16(surface.textWidth(text) + 2);
    const qint16 h = int16(surface.textHeight(text));
    const qint16 left = int16(x - integerDivide(w, 2));
    const qint16 top = int16(y - integerDivide(h, 2));
    // A frame in the colour of the last slice, then the box over it, then the text.
    surface.box(int16(left - 6), int16(top - 6), int16(w + 12), int16(h + 12), windowTextColour);
    surface.filledBox(int16(left - 5), int16(top - 5), int16(w + 9), int16(h + 9), highlight3DColour);
    surface.print(left, top, text);
    return QRect(left - 6, top - 6, w + 12, h + 12);
}

DrawingSurface &cPieChart::canvas() const
{
    if (!m_canvas)
        throw StepFailed{};
    return *m_canvas;
}
