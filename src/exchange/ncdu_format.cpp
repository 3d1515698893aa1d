#include "exchange/ncdu_format.h"

namespace NcduFormat {

FormatError::FormatError(qint64 at, QString wanted, QString instead)
    : offset(at)
    , expected(std::move(wanted))
    , found(std::move(instead))
    , m_what(message().toUtf8())
{
}

QString FormatError::message() const
{
    return QStringLiteral("エクスポートファイルを読めません: %1 バイト目に%2が必要ですが、%3があります。")
        .arg(offset)
        .arg(expected, found);
}

} // namespace NcduFormat
