#pragma once

#include <QFontMetrics>
#include <QString>

// A text shortened in the middle, where a path is least telling, to fit a width in
// pixels. A text far longer than could ever show (a path 100,000 folders deep) is cut
// to its ends before it is measured: laying it out whole would take megabytes.
QString elidedInMiddle(const QFontMetrics &metrics, const QString &text, int width);
