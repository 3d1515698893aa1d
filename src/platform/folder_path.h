#pragma once

// Every name or path is shown through displayText.
#include "platform/display_text.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

// A folder path names a folder and ends in exactly one separator; a sub-folder's path
// is its parent's path, its name and the separator. Paths are the native bytes.
#if defined(Q_OS_WIN)
inline constexpr char folderSeparator = '\\';
#else
inline constexpr char folderSeparator = '/';
#endif

inline QByteArray subFolderPath(const QByteArray &folderPath, const QByteArray &name)
{
    return folderPath + name + folderSeparator;
}

// The folder that holds a folder: its path less the last name; empty for a path with
// no separator before its last one (the file system root).
inline QByteArray parentFolderPath(const QByteArray &folderPath)
{
    if (folderPath.size() < 2)
        return {};
    const qsizetype last = folderPath.lastIndexOf(folderSeparator, folderPath.size() - 2);
    return last < 0 ? QByteArray() : folderPath.left(last + 1);
}

// A folder's own name: what lies between the last separator before the closing one and
// the closing one. A path with no separator before its final character ("/", "C:\\")
// is its own name.
inline QByteArray folderNameOf(const QByteArray &folderPath)
{
    const qsizetype last = folderPath.size() < 2 ? -1 : folderPath.lastIndexOf(folderSeparator, folderPath.size() - 2);
    return last < 0 ? folderPath : folderPath.mid(last + 1, folderPath.size() - 2 - last);
}

// The folder that holds a path written without a closing separator (a file's path, or
// a folder's as mount tables write it), written the same way: "/" for a name right
// below the root, "." for a bare name.
inline QByteArray parentOfPath(const QByteArray &path)
{
    const qsizetype last = path.lastIndexOf(folderSeparator);
    if (last < 0)
        return QByteArray(".");
    return last == 0 ? QByteArray(1, folderSeparator) : path.left(last);
}

// A folder's path as people and mount tables write it: without the closing separator,
// but for the root.
inline QByteArray withoutClosingSeparator(const QByteArray &folderPath)
{
    return folderPath.size() > 1 && folderPath.endsWith(folderSeparator) ? folderPath.chopped(1) : folderPath;
}

// Whether a path is a folder's own or lies below it.
inline bool isAtOrBelow(const QByteArray &path, const QByteArray &folderPath)
{
    return path.startsWith(folderPath);
}

// The native bytes of a local file URL's path, every percent-encoded byte as it was
// (QUrl::toLocalFile would decode it as UTF-8); empty for any other URL.
inline QByteArray localPathOf(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}
