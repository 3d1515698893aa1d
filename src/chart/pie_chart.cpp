#include "chart/pie_chart.h"

#include "platform/locale_formats.h"
#include "platform/rounding.h"

#include <cmath>

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

constexpr double fullTurn = 6.28318530717959;

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
    geometry.start.assign(size_t(count) + 2, 0.0);
    geometry.end.assign(size_t(count) + 2, 0.0);
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
        sections.Add(otherSize, qint32(otherColour), otherText, QByteArray(""));
        skipIfFailing([&] { ListOtherSections(others); });
    }

    if (sections.Count() == 1) {
        const auto &[cx, cy, rx, ry, start, end] = geometry;
        skipIfFailing([&] {
            const std::shared_ptr<cSection> section = sectionAt(sections, 1);
            canvas().setFillColor(section->Color == -1 ? m_palette[0] : Colour(section->Color));
        });
        skipIfFailing([&] { canvas().ellipse(int16(cx - rx), int16(cy + ry), int16(cx + rx), int16(cy - ry)); });
    } else {
        drawSlices(sections, total, geometry);
    }
    drawLabels(sections, geometry);
}

void cPieChart::drawSlices(cSections &sections, double total, Geometry &geometry)
{
    const auto &[cx, cy, rx, ry, start, end] = geometry;
    const int slices = sections.Count();
    const int period = slices % 2 == 1 ? 3 : 2;
    double sliceShare = 0;
    Point pStart;
    Point pEnd;
    for (int i = 1; i <= slices; ++i) {
        const size_t at = size_t(i);
        skipIfFailing([&] {
            if (total == 0)
                throw StepFailed{};
            sliceShare = sectionAt(sections, i)->Size / total;
        });
        // Slice 1 starts just above the right-hand axis; every later one starts 0.01
        // radian before the end of the one before, so that no gap shows between them.
        geometry.start[at] = geometry.end[at - 1] - 0.01;
        geometry.end[at] = sliceShare * fullTurn + geometry.end[at - 1];
        skipIfFailing([&] { pStart = PointOnEllipse(start[at], rx, ry, cx, cy); });
        skipIfFailing([&] { pEnd = PointOnEllipse(end[at], rx, ry, cx, cy); });
        skipIfFailing([&] {
            const std::shared_ptr<cSection> section = sectionAt(sections, i);
            canvas().setFillColor(section->Color == -1 ? m_palette[size_t(i % period)] : Colour(section->Color));
        });
        // The slice runs clockwise from start to end, which is counterclockwise from
        // its end to its start: the end goes first.
        for (const double d : wedgeOffsets) {
            skipIfFailing([&] {
                canvas().pie(int16(cx - rx), int16(cy + ry), int16((cx + rx) - d), int16((cy - ry) - d),
                             int16(pEnd.x - d), int16(pEnd.y - d), int16(pStart.x - d), int16(pStart.y - d));
            });
        }
        skipIfFailing([&] {
            if (m_listBox)
                m_listBox->addLine(sectionAt(sections, i)->Text + QLatin1Char(':') + formatPercent(sliceShare, 1));
        });
    }
}

void cPieChart::drawLabels(cSections &sections, const Geometry &geometry)
{
    const auto &[cx, cy, rx, ry, start, end] = geometry;
    const int slices = sections.Count();
    qint16 labelRx = 0;
    qint16 labelRy = 0;
    Point p;
    for (int i = 1; i <= slices; ++i) {
        const size_t at = size_t(i);
        // The labels sit on the rim itself.
        skipIfFailing([&] { labelRx = int16(rx / 1.0); });
        skipIfFailing([&] { labelRy = int16(ry / 1.0); });
        const double mid = (start[at] + end[at]) / 2.0;
        skipIfFailing([&] { p = PointOnEllipse(mid, labelRx, labelRy, cx, cy); });
        skipIfFailing([&] { DrawLabel(sectionAt(sections, i)->Text, p.x, p.y); });
    }
}

cPieChart::Point cPieChart::PointOnEllipse(double angle, qint16 rx, qint16 ry, qint16 cx, qint16 cy) const
{
    return {int16(cx + rx * std::cos(angle)), int16(cy + ry * std::sin(angle))};
}

void cPieChart::ListOtherSections(const cSections &others)
{
    if (!m_listBox)
        return;
    for (int i = 1; i <= others.Count(); ++i)
        m_listBox->addLine(otherText + QStringLiteral(" - ") + sectionAt(others, i)->Text);
}

void cPieChart::DrawLabel(const QString &text, qint16 x, qint16 y)
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
}

DrawingSurface &cPieChart::canvas() const
{
    if (!m_canvas)
        throw StepFailed{};
    return *m_canvas;
}
