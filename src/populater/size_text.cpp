#include "populater/size_text.h"

#include "platform/folder_path.h"
#include "platform/locale_formats.h"
#include "platform/number_text.h"
#include "scan/size_record.h"

#include <QStringList>

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
    return folderNameOf(folderPath);
}

QString MarkText(quint8 marks)
{
    QStringList words;
    if (marks & unreadableMark)
        words << QStringLiteral("［読み取り不可］");
    if (marks & hiddenNamesMark)
        words << QStringLiteral("［隠し項目は除外］");
    return words.join(QString());
}
