#include "platform/mount_table.h"

#include <QFile>

namespace {

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// mountinfo writes space, tab, newline and backslash in paths as \ooo octal escapes.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1])
                            && isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3]);
        if (escape) {
            text += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

} // namespace

MountTable MountTable::read()
{
    MountTable table;
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    // "36 35 98:0 /root /mnt/point rw,noatime master:1 - ext3 /dev/root rw": the
    // mount point is the fifth field.
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 5)
            table.m_mountPoints.insert(unescaped(fields[4]));
    }
    return table;
}
