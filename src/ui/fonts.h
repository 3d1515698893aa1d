#pragma once

#include <QString>

// The family every text of the window names.
inline const QString uiFontFamily = QStringLiteral("ＭＳ Ｐゴシック");

// Lets the family resolve to a metric-compatible font of a Debian machine (IPAPGothic
// from fonts-ipafont-gothic), then to Noto Sans CJK JP.
void installFontSubstitutions();
