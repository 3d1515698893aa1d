#pragma once

#include "platform/byte_count.h"

#include <QTest>

// Byte counts in a failed comparison, as digits.
namespace QTest {
template<>
inline char *toString(const ByteCount &count)
{
    return qstrdup(byteCountText(count).constData());
}
} // namespace QTest
