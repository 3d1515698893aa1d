#pragma once

#include "platform/byte_count.h"

#include <QByteArray>
#include <QTest>

// A byte count as decimal digits.
inline QByteArray byteCountText(ByteCount count)
{
    char digits[40];
    char *at = digits + sizeof digits;
    do {
        *--at = char('0' + int(count % 10));
        count /= 10;
    } while (count != 0);
    return QByteArray(at, qsizetype(digits + sizeof digits - at));
}

// Byte counts in a failed comparison, as digits.
namespace QTest {
template<>
inline char *toString(const ByteCount &count)
{
    return qstrdup(byteCountText(count).constData());
}
} // namespace QTest
