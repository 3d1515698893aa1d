#pragma once

#include <QByteArray>
#include <QSet>

// The mount points this process sees. Only at a mount point can a folder lie on another
// file system or lead back to one of its own ancestors (a bind mount), so only there
// does a walk look closer.
class MountTable
{
public:
    // Read from /proc/self/mountinfo; empty where there is no such file.
    static MountTable read();

    // canonicalPath is written without a trailing separator, except for "/".
    bool isMountPoint(const QByteArray &canonicalPath) const { return m_mountPoints.contains(canonicalPath); }

private:
    QSet<QByteArray> m_mountPoints;
};
