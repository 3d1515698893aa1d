#pragma once

#include <QIcon>

// The window's icon: three overlapping folder shapes in pale greens on a transparent
// background, the same PNGs, 16 to 256 pixels, that the icon theme gets.
QIcon appIcon();
