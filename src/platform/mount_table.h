#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>

// The mount points this process sees, with the type of file system mounted at each. Only
// at a mount point can a folder lie on another file system or lead back to one of its
// own ancestors (a bind mount), so only there does a walk look closer.
class MountTable
{
public:
    // Read from /proc/self/mountinfo; empty where there is no such file.
    static MountTable read();
    // From the text of a mountinfo file.
    static MountTable parse(const QByteArray &mountInfo);

    // Canonical paths are written without a trailing separator, except for "/".
    bool isMountPoint(const QByteArray &canonicalPath) const { return m_types.contains(canonicalPath); }

    // The mount points strictly below a folder, as paths relative to it.
    QList<QByteArray> mountPointsBelow(const QByteArray &canonicalFolder) const;

    // Whether what is mounted at the mount point is a kernel pseudo file system.
    bool isPseudoMount(const QByteArray &canonicalPath) const;

    // Whether the folder lies on a kernel pseudo file system: its nearest mount point at
    // or above it is one.
    bool isOnPseudoFileSystem(const QByteArray &canonicalPath) const;

    // Whether the file system that holds the folder is one known to return a folder's
    // whole listing in one read whenever it fits the buffer: a shorter read is its end.
    bool listsWholeFolders(const QByteArray &canonicalPath) const;

private:
    QByteArray typeOf(const QByteArray &canonicalPath) const;

    QHash<QByteArray, QByteArray> m_types; // mount point → file system type, the last mount on top
};
