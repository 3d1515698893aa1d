#include "chart/label_layout.h"

#include "controls/pie_figure.h"
#include "platform/rounding.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// How far a moved label may go: along the rim in steps of this angle, first within the
// nearer reaches and at last up to half a turn either way, and out from the rim by these
// parts of the radii.
constexpr double angleStep = 0.02;
constexpr double nearFirst[] = {0.3, 1.0, fullTurn / 2};
constexpr double outward[] = {1.0, 1.12, 1.25, 1.4, 1.55};

// The point of the box's frame nearest to a point outside it, where a leader meets it.
QPoint nearestOnFrame(const QRect &box, QPoint from)
{
    return QPoint(std::clamp(from.x(), box.left(), box.right()), std::clamp(from.y(), box.top(), box.bottom()));
}

} // namespace

QRect LabelLayout::frameAround(QPoint centre, QSize textSize)
{
    const int w = textSize.width();
    const int h = textSize.height();
    const int left = centre.x() - integerDivide(w, 2);
    const int top = centre.y() - integerDivide(h, 2);
    return QRect(left - 6, top - 6, w + 12, h + 12);
}

LabelLayout::LabelLayout(QRect area, QPoint centre, int radiusX, int radiusY, std::function<QSize(const QString &)> measure)
    : m_area(area)
    , m_centre(centre)
    , m_radiusX(radiusX)
    , m_radiusY(radiusY)
    , m_measure(std::move(measure))
{
}

std::vector<LabelPlacement> LabelLayout::place(const std::vector<LabelRequest> &requests) const
{
    std::vector<size_t> order(requests.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return requests[a].weight > requests[b].weight; });

    std::vector<LabelPlacement> placements(requests.size());
    std::vector<QRect> placed;
    for (const size_t index : order) {
        const LabelRequest &request = requests[index];
        const QRect onRim = frameAround(request.rimPoint, m_measure(request.text));
        if (fits(onRim, placed)) {
            placements[index] = {request.text, request.rimPoint, onRim, QLine()};
        } else if (std::optional<LabelPlacement> elsewhere = moved(request, placed)) {
            placements[index] = *elsewhere;
        } else {
            continue;
        }
        placed.push_back(placements[index].box);
    }
    return placements;
}

bool LabelLayout::fits(const QRect &box, const std::vector<QRect> &placed) const
{
    if (!m_area.contains(box))
        return false;
    return std::none_of(placed.begin(), placed.end(), [&](const QRect &other) { return other.intersects(box); });
}

QString LabelLayout::shortened(const QString &text, int width) const
{
    // The longest beginning of the name that, with "…", is no wider than width.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (m_measure(text.left(middle) + ellipsis).width() <= width)
            low = middle;
        else
            high = middle - 1;
    }
    // A surrogate pair is never cut in two.
    if (low > 0 && low < text.size() && text.at(low - 1).isHighSurrogate())
        --low;
    return text.left(low) + ellipsis;
}

std::optional<LabelPlacement> LabelLayout::moved(const LabelRequest &request, const std::vector<QRect> &placed) const
{
    // The name as it is, then shorter and shorter, down to "…" alone.
    std::vector<QString> texts{request.text};
    const int fullWidth = m_measure(request.text).width();
    for (const int share : {2, 3, 4, 6, 10}) {
        const int width = m_area.width() / share;
        if (width < fullWidth && texts.back() != ellipsis)
            texts.push_back(shortened(request.text, width));
    }
    if (texts.back() != ellipsis)
        texts.push_back(ellipsis);

    // Near the slice first, shortening the name before going farther, so that one long
    // name does not take the room of many.
    const double cx = m_centre.x();
    const double cy = m_centre.y();
    // Each reach tries only the steps beyond the nearer one: those were tried already.
    int firstStep = 0;
    for (const double window : nearFirst) {
        const int lastStep = int(window / angleStep + 1e-9);
        for (const QString &text : texts) {
            const QSize size = m_measure(text);
            for (const double out : outward) {
                for (int step = firstStep; step <= lastStep; ++step) {
                    for (const double sign : {1.0, -1.0}) {
                        if (step == 0 && sign < 0)
                            continue;
                        const double angle = request.angle + sign * step * angleStep;
                        const QPoint centre(int(std::lround(cx + out * m_radiusX * std::cos(angle))),
                                            int(std::lround(cy + out * m_radiusY * std::sin(angle))));
                        const QRect box = frameAround(centre, size);
                        if (!fits(box, placed))
                            continue;
                        // A label still over its own point of the rim needs no leader.
                        const QLine leader = box.contains(request.rimPoint) ? QLine() : QLine(request.rimPoint, nearestOnFrame(box, request.rimPoint));
                        return LabelPlacement{text, centre, box, leader};
                    }
                }
            }
        }
        firstStep = lastStep + 1;
    }
    return std::nullopt;
}
