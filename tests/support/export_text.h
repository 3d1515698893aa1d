#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

// An export without the time it was written at: what two exports of one tree share.
inline QByteArray undatedExport(const QByteArray &exported)
{
    static const QRegularExpression timestamp(QStringLiteral("\"timestamp\":[0-9]+"));
    return QString::fromLatin1(exported).remove(timestamp).toLatin1();
}
