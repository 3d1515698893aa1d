#pragma once

#include <QByteArray>
#include <QHash>

// The mount points this process sees, with the type of the file system mounted on
// each. Only at a mount point can a folder lie on another file system or lead back to
// one of its own ancestors (a bind mount), so only there does a walk look closer.
class MountTable
{
public:
    // Read from /proc/self/mountinfo; empty where there is no such file.
    static MountTable read();

    // The file system type mounted at a canonical path (without a trailing separator,
    // except for "/"); null when nothing is mounted there.
    const QByteArray *typeAt(const QByteArray &canonicalPath) const;

    // Kernel pseudo file systems, whose files take no disk and whose sizes mean
    // nothing (/proc/kcore alone claims 128 TB).
    static bool isPseudoFileSystem(const QByteArray &type);

private:
    QHash<QByteArray, QByteArray> m_types;
};
