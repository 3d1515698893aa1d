#include "ui/fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions()
{
    QFont::insertSubstitutions(uiFontFamily, QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
}
