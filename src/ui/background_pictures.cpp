#include "ui/background_pictures.h"

#include <functional>

namespace {

QImage striped(int width, int height, const std::function<bool(int x, int y)> &isLine)
{
    QImage image(width, height, QImage::Format_RGB32);
    const QRgb line = backgroundLineColor.rgb();
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = isLine(x, y) ? line : white;
    }
    return image;
}

} // namespace

QImage windowBackground()
{
    return striped(885, 678, [](int x, int y) {
        const bool inBlock = x < 192 && y < 364;
        if (!inBlock)
            return y % 3 == 0;
        return y % 2 == 1 && !(x == 0 && y >= 192);
    });
}

QImage chartBackground()
{
    return striped(624, 587, [](int, int y) { return y % 3 == 0; });
}
