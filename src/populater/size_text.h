#pragma once

#include <QByteArray>
#include <QString>

// The size text of a size in bytes: below 1024 the number itself and " バイト"; below
// 1000 KB the kilobytes as "#,##0.0" and " KB"; from there on megabytes and " MB".
// The switch to MB happens at 1000 KB, before rounding: 1023949 bytes are "1,000.0 KB".
QString FormatSize(double size);

// The last component of a folder path: everything between the last separator before
// the path's final character and that final character. A path with no separator before
// its final character ("/", "C:\") is its own name.
QByteArray GetFolderName(const QByteArray &folderPath);

// The short words that tell, beside a folder's size, what the size leaves out: marks
// are bits of FolderMark. Empty when there is nothing to tell.
QString MarkText(quint8 marks);
