#include "populater/size_text.h"

#include "platform/folder_path.h"
#include "platform/locale_formats.h"
#include "platform/number_text.h"

QString FormatSize(double size)
{
    if (size < 1024)
        return numberText(size) + QStringLiteral(" バイト");
    const double kilobytes = size / 1024;
    if (kilobytes < 1000)
        return formatGroupedOneDecimal(kilobytes) + QStringLiteral(" KB");
    return formatGroupedOneDecimal(kilobytes / 1024) + QStringLiteral(" MB");
}

QByteArray GetFolderName(const QByteArray &folderPath)
{
    const qsizetype last = folderPath.size() - 1;
    // The final character is never looked at: it is the separator that ends the path.
    for (qsizetype i = last - 1; i >= 0; --i) {
        if (folderPath[i] == folderSeparator)
            return folderPath.mid(i + 1, last - (i + 1));
    }
    return folderPath;
}
