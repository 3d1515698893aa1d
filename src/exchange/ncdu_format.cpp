#include "exchange/ncdu_format.h"

namespace NcduFormat {

FormatError::FormatError(qint64 at, Wording wanted, Wording instead)
    : offset(at)
    , expected(std::move(wanted.japanese))
    , found(std::move(instead.japanese))
    , expectedInEnglish(std::move(wanted.english))
    , foundInEnglish(std::move(instead.english))
    , m_what(commandLineMessage(QString()).toUtf8())
{
}

// The offset counts the bytes before the fault, as `head -c` and `dd skip=` count, so
// that the first byte is "0 bytes from the start".
QString FormatError::message(const QString &source) const
{
    const QString where = source.isEmpty() ? QString() : QStringLiteral("「%1」の").arg(source);
    return QStringLiteral("エクスポートファイルを読めません: %1%2先頭から %3 バイトの位置に%4が必要ですが、%5があります。")
        .arg(where, decompressed ? QStringLiteral("gzip を展開した内容の") : QString())
        .arg(offset)
        .arg(expected, found);
}

QString FormatError::commandLineMessage(const QString &source) const
{
    return QStringLiteral("%1not an export: %2 bytes from the start%3, expected %4 but found %5")
        .arg(source.isEmpty() ? QString() : source + QStringLiteral(": "))
        .arg(offset)
        .arg(decompressed ? QStringLiteral(" of its decompressed content") : QString(), expectedInEnglish, foundInEnglish);
}

} // namespace NcduFormat
