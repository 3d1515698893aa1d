#include "scan/size_record.h"

#include "platform/number_text.h"

QString sizeRecordText(const SizeRecord &record)
{
    return (record.hasSubFolders ? QLatin1Char('1') : QLatin1Char('0')) + numberText(record.size);
}

std::optional<SizeRecord> readSizeRecord(const QString &text)
{
    if (text.size() < 2 || (text[0] != QLatin1Char('0') && text[0] != QLatin1Char('1')))
        return std::nullopt;
    const std::optional<double> size = numberFromText(text.mid(1));
    if (!size)
        return std::nullopt;
    return SizeRecord{text[0] == QLatin1Char('1'), *size};
}
