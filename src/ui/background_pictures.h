#pragma once

#include <QColor>
#include <QImage>

// The two background pictures, made from their rules: white, with rows of the line
// colour. Each is drawn unscaled from its control's top-left corner.
inline const QColor backgroundLineColor(85, 234, 201);

// 885 × 678. Outside the top-left block (x < 192, y < 364) every row whose y is a
// multiple of 3 is a line; inside it every odd row is, except at x = 0 in rows 192 to
// 363.
QImage windowBackground();

// 624 × 587: every row whose y is a multiple of 3 is a line.
QImage chartBackground();
