#pragma once

#include <QColor>
#include <QImage>

// The two background pictures, made from their rules: white, with rows of the line
// colour. Each is drawn unscaled from its control's top-left corner. Sizes and rows are
// logical pixels; at a device pixel ratio other than 1 each device pixel takes the
// colour of the logical pixel its centre lies in, so a line is whole device pixels and
// the lines differ in thickness by one at most.
inline const QColor backgroundLineColor(85, 234, 201);

// 885 × 678, or larger to cover a larger control, the rows going on by the same rule.

// Outside the top-left block (x < 192, y < 364) every row whose y is a multiple of 3 is
// a line; inside it every odd row is, except at x = 0 in rows 192 to 363.
QImage windowBackground(qreal devicePixelRatio = 1, QSize covering = {});

// Every row whose y is a multiple of 3 is a line: 624 × 587 at the least.
QImage chartBackground(qreal devicePixelRatio = 1, QSize covering = {});
