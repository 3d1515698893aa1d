#include "ui/elided_text.h"

QString elidedInMiddle(const QFontMetrics &metrics, const QString &text, int width)
{
    // No character is narrower than a pixel, so no more than the width's worth of
    // characters can show at either end.
    const qsizetype end = qMax(width, 1);
    if (text.size() <= 2 * end + 1)
        return metrics.elidedText(text, Qt::ElideMiddle, width);
    return metrics.elidedText(text.first(end) + QChar(0x2026) + text.last(end), Qt::ElideMiddle, width);
}
