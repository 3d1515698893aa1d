#include "ui/app_icon.h"

#include <QDirIterator>

QIcon appIcon()
{
    QIcon icon;
    QDirIterator pictures(QStringLiteral(":/hicolor"), {QStringLiteral("*.png")}, QDir::Files,
                          QDirIterator::Subdirectories);
    while (pictures.hasNext())
        icon.addFile(pictures.next());
    return icon;
}
