#pragma once

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Where the slices' labels go. Each label is a framed box centred on a point; it stands
// on the rim at the middle of its slice whenever it fits there, inside the chart and
// clear of the labels already placed. One that does not fit is moved along the rim and
// out from it, and its name shortened with "…" if need be, until it fits; a moved label
// is joined to its slice by a leader line. Labels are placed largest slice first, so
// the small ones move. A label that fits nowhere, even as "…" alone, is left out: its
// slice still tells its name to the pointer and to assistive technology.
struct LabelRequest {
    QString text;
    QPoint rimPoint;    // the middle of the slice's arc, where the label would stand
    double angle = 0;   // of that point, clockwise from the right-hand axis
    double weight = 0;  // the slice's share: the larger keeps its place
};

struct LabelPlacement {
    QString text;  // as shown: the name, or its shortened form; empty when left out
    QPoint centre;
    QRect box;     // the frame, as the label's drawing leaves it
    QLine leader;  // from the rim to the box; null for a label on the rim
};

class LabelLayout
{
public:
    // The framed box of a text of the given size centred on a point, exactly as the
    // label's drawing makes it.
    static QRect frameAround(QPoint centre, QSize textSize);

    // area: the chart's drawing area; centre and radii: the pie's. measure: a text's
    // width and height in the labels' font.
    LabelLayout(QRect area, QPoint centre, int radiusX, int radiusY, std::function<QSize(const QString &)> measure);

    std::vector<LabelPlacement> place(const std::vector<LabelRequest> &requests) const;

    static inline const QString ellipsis = QStringLiteral("…");

private:
    bool fits(const QRect &box, const std::vector<QRect> &placed) const;
    QString shortened(const QString &text, int width) const;
    std::optional<LabelPlacement> moved(const LabelRequest &request, const std::vector<QRect> &placed) const;

    QRect m_area;
    QPoint m_centre;
    int m_radiusX;
    int m_radiusY;
    std::function<QSize(const QString &)> m_measure;
};
