#pragma once

#include <QIcon>

// The window's icon: three overlapping folder shapes in pale greens on a transparent
// background, drawn at 32 × 32.
QIcon appIcon();
