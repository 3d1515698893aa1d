#include "ui/import_source.h"

#include <QFileInfo>

QString importSourceName(const QString &fileName, bool nameAlone)
{
    if (fileName == QLatin1String("-"))
        return QStringLiteral("標準入力");
    return nameAlone ? QFileInfo(fileName).fileName() : fileName;
}
