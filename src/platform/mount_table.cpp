#include "platform/mount_table.h"

#include "platform/folder_path.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Kernel pseudo file systems, whose files take no disk and whose sizes mean nothing
// (/proc/kcore alone claims 128 TB): their folders count as empty. devtmpfs says it is
// tmpfs to statfs, so the mount table's type is what tells them apart.
constexpr std::array<std::string_view, 19> pseudoFileSystems = {
    "proc",    "sysfs",      "devtmpfs", "devpts", "cgroup",   "cgroup2",   "debugfs",
    "tracefs", "securityfs", "pstore",   "bpf",    "efivarfs", "selinuxfs", "smackfs",
    "binfmt_misc", "nsfs",   "configfs", "fusectl", "mqueue",
};

// Local file systems whose readdir fills the caller's buffer for as long as entries
// remain; network and FUSE file systems may answer in parts, so they are read to the end.
constexpr std::array<std::string_view, 6> wholeListingFileSystems = {"ext2", "ext3", "ext4", "xfs", "btrfs", "tmpfs"};

template <size_t N>
bool isOneOf(const QByteArray &type, const std::array<std::string_view, N> &types)
{
    const std::string_view name(type.constData(), size_t(type.size()));
    return std::find(types.begin(), types.end(), name) != types.end();
}

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
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

MountTable MountTable::parse(const QByteArray &mountInfo)
{
    MountTable table;
    // "36 35 98:0 /root /mnt/point rw,noatime master:1 - ext3 /dev/root rw": the mount
    // point is the fifth field, the type the first after the optional fields and "-".
    for (const QByteArray &line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-", 5);
        if (fields.size() >= 5)
            table.m_types.insert(unescaped(fields[4]), dash > 0 && dash + 1 < fields.size() ? fields[dash + 1] : QByteArray());
    }
    return table;
}

QList<QByteArray> MountTable::mountPointsBelow(const QByteArray &canonicalFolder) const
{
    const QByteArray prefix = canonicalFolder.endsWith('/') ? canonicalFolder : canonicalFolder + '/';
    QList<QByteArray> below;
    for (auto it = m_types.begin(); it != m_types.end(); ++it) {
        if (it.key().size() > prefix.size() && it.key().startsWith(prefix))
            below << it.key().mid(prefix.size());
    }
    return below;
}

bool MountTable::isPseudoMount(const QByteArray &canonicalPath) const
{
    return isOneOf(m_types.value(canonicalPath), pseudoFileSystems);
}

bool MountTable::isOnPseudoFileSystem(const QByteArray &canonicalPath) const
{
    return isOneOf(typeOf(canonicalPath), pseudoFileSystems);
}

bool MountTable::listsWholeFolders(const QByteArray &canonicalPath) const
{
    return isOneOf(typeOf(canonicalPath), wholeListingFileSystems);
}

QByteArray MountTable::typeOf(const QByteArray &canonicalPath) const
{
    QByteArray path = canonicalPath;
    while (path.size() > 1 && path.startsWith('/') && !isMountPoint(path))
        path = parentOfPath(path);
    return m_types.value(path);
}
