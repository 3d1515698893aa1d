#pragma once

#include <QByteArray>

// A sum of byte counts that does not wrap. The lengths of one folder's files can add up
// past 2^64 (five sparse files of 4 EiB on tmpfs), and a tree's again; 128 bits hold
// more than any file system can.
__extension__ using ByteCount = unsigned __int128;

// The sum as decimal digits.
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
