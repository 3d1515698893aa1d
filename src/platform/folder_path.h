#pragma once

#include <QByteArray>

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
