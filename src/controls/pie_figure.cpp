#include "controls/pie_figure.h"

#include <cmath>

namespace {

constexpr double centreRadius = 3;

} // namespace

int PieFigure::sliceAt(QPointF point) const
{
    // Labels are drawn after all the slices, each over the ones before it.
    for (int i = int(slices.size()) - 1; i >= 0; --i) {
        if (slices[size_t(i)].labelBox.contains(point.toPoint()))
            return i;
    }
    if (slices.empty() || radiusX <= 0 || radiusY <= 0)
        return -1;
    const double across = (point.x() - centre.x()) / radiusX;
    const double down = (point.y() - centre.y()) / radiusY;
    if (across * across + down * down > 1)
        return -1;
    if (isWholeEllipse())
        return 0;
    // Where every slice meets, no one slice is meant.
    if (std::hypot(point.x() - centre.x(), point.y() - centre.y()) < centreRadius)
        return -1;
    // The ellipse's own parameter, which is how the slices' angles were laid out.
    const double angle = std::atan2(down, across);
    for (int i = int(slices.size()) - 1; i >= 0; --i) {
        const PieSlice &slice = slices[size_t(i)];
        double turned = angle;
        while (turned < slice.startAngle)
            turned += fullTurn;
        while (turned - fullTurn >= slice.startAngle)
            turned -= fullTurn;
        if (turned <= slice.endAngle)
            return i;
    }
    return -1;
}
