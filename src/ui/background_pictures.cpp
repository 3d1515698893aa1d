#include "ui/background_pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// The logical pixel in which the centre of each device pixel lies.
std::vector<int> logicalPixels(int logicalCount, qreal devicePixelRatio)
{
    std::vector<int> logical(size_t(std::ceil(logicalCount * devicePixelRatio)));
    for (size_t device = 0; device < logical.size(); ++device)
        logical[device] = std::min(int(std::floor((double(device) + 0.5) / devicePixelRatio)), logicalCount - 1);
    return logical;
}

QImage striped(int width, int height, qreal devicePixelRatio, const std::function<bool(int x, int y)> &isLine)
{
    const std::vector<int> xs = logicalPixels(width, devicePixelRatio);
    const std::vector<int> ys = logicalPixels(height, devicePixelRatio);
    QImage image(int(xs.size()), int(ys.size()), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    const QRgb line = backgroundLineColor.rgb();
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = isLine(xs[size_t(x)], ys[size_t(y)]) ? line : white;
    }
    return image;
}

} // namespace

QImage windowBackground(qreal devicePixelRatio, QSize covering)
{
    const QSize size = covering.expandedTo(QSize(885, 678));
    return striped(size.width(), size.height(), devicePixelRatio, [](int x, int y) {
        const bool inBlock = x < 192 && y < 364;
        if (!inBlock)
            return y % 3 == 0;
        return y % 2 == 1 && !(x == 0 && y >= 192);
    });
}

QImage chartBackground(qreal devicePixelRatio, QSize covering)
{
    const QSize size = covering.expandedTo(QSize(624, 587));
    return striped(size.width(), size.height(), devicePixelRatio, [](int, int y) { return y % 3 == 0; });
}
