#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

// An export without the time it was written at: what two exports of one tree share.
inline QByteArray undatedExport(const QByteArray &exported)
{
    static const QRegularExpression timestamp(QStringLiteral("\"timestamp\":[0-9]+"));
    return QString::fromLatin1(exported).remove(timestamp).toLatin1();
}

// An export of one folder holding `folders` empty sub-folders, written to a file: more
// than a small allocation limit lets an import hold. False when it could not be written.
inline bool writeWideExport(const QString &file, int folders)
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write("[1,2,{},[{\"name\":\"/big\"}");
    for (int folder = 0; folder < folders; ++folder)
        out.write(",[{\"name\":\"d" + QByteArray::number(folder) + "\"}]");
    out.write("]]");
    return out.flush();
}

// Data compressed by gzip itself, as exports are often kept.
inline QByteArray gzipped(const QByteArray &data)
{
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c")});
    gzip.write(data);
    gzip.closeWriteChannel();
    gzip.waitForFinished();
    return gzip.readAllStandardOutput();
}

// Japanese or other CJK text: what the command line's messages must not hold.
inline bool holdsJapanese(const QString &text)
{
    static const QRegularExpression japanese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return japanese.match(text).hasMatch();
}
