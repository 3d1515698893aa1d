#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

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

// A name or path as shown: the native bytes decoded, anything undecodable replaced.
inline QString displayText(const QByteArray &native)
{
    return QFile::decodeName(native);
}
