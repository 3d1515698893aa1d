#include "platform/posix_folder_enumerator.h"

#include "platform/folder_path.h"
#include "platform/mount_table.h"

#include <QList>

#include <algorithm>
#include <array>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace {

// Folders kept open on the way down. Deeper folders close the shallowest ones, which
// are opened again through ".." on the way back up.
constexpr int maxOpenFolders = 64;

constexpr int folderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId &) const = default;
};

std::optional<FileId> idOf(int fd)
{
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    return FileId{status.st_dev, status.st_ino};
}

std::optional<FileId> idOf(const QByteArray &path)
{
    struct stat status;
    if (::stat(path.constData(), &status) != 0)
        return std::nullopt;
    return FileId{status.st_dev, status.st_ino};
}

bool isProperAncestor(const QByteArray &ancestor, const QByteArray &path)
{
    return path.size() > ancestor.size() && path.startsWith(ancestor);
}

// A folder path without its final separator, as mount points are written ("/" stays).
QByteArray withoutFinalSeparator(const QByteArray &path)
{
    return path.size() > 1 && path.endsWith(folderSeparator) ? path.chopped(1) : path;
}

// The canonical path of an open folder, as the kernel knows it, ending in "/".
QByteArray canonicalPathOf(int fd)
{
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), buffer, sizeof buffer);
    if (length <= 0)
        return {};
    QByteArray path(buffer, length);
    return path.endsWith(folderSeparator) ? path : path + folderSeparator;
}

// Kernel pseudo file systems, whose files take no disk and whose sizes mean nothing
// (/proc/kcore alone claims 128 TB): their folders count as empty.
bool isOnPseudoFileSystem([[maybe_unused]] int fd)
{
#if defined(__linux__)
    struct statfs info;
    if (::fstatfs(fd, &info) != 0)
        return false;
    static constexpr std::array<unsigned long, 18> pseudo = {
        PROC_SUPER_MAGIC,     SYSFS_MAGIC,        DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC,
        CGROUP2_SUPER_MAGIC,  DEBUGFS_MAGIC,      TRACEFS_MAGIC,      SECURITYFS_MAGIC,
        PSTOREFS_MAGIC,       BPF_FS_MAGIC,       EFIVARFS_MAGIC,     SELINUX_MAGIC,
        SMACK_MAGIC,          BINFMTFS_MAGIC,     FUTEXFS_SUPER_MAGIC, NSFS_MAGIC,
        0x62656570 /* configfs */, 0x65735543 /* fusectl */,
    };
    return std::find(pseudo.begin(), pseudo.end(), static_cast<unsigned long>(info.f_type)) != pseudo.end();
#else
    return false;
#endif
}

// Whether the folder mounted at canonicalPath is one of that path's own ancestors:
// descending into it would go round for ever.
bool leadsBackUp(int fd, const QByteArray &canonicalPath)
{
    const std::optional<FileId> id = idOf(fd);
    if (!id)
        return false;
    QByteArray ancestor = withoutFinalSeparator(canonicalPath);
    while (ancestor != "/") {
        const qsizetype separator = ancestor.lastIndexOf(folderSeparator);
        if (separator < 0)
            break;
        ancestor = separator == 0 ? QByteArray("/") : ancestor.left(separator);
        // An ancestor beyond any path the system takes cannot be asked; it is passed over.
        if (idOf(ancestor) == id)
            return true;
    }
    return false;
}

class PosixFolderWalk final : public FolderWalk
{
public:
    explicit PosixFolderWalk(const QByteArray &rootPath)
        : m_rootPath(rootPath)
    {
    }

    ~PosixFolderWalk() override
    {
        for (const Level &level : m_levels)
            closeIfOpen(level.fd);
    }

    bool list(const QByteArray &folderPath, EntryDetail detail, std::vector<FolderEntry> &entries) override
    {
        entries.clear();
        while (!m_levels.empty() && !isProperAncestor(m_levels.back().path, folderPath))
            leaveLevel();
        if (!descendTo(folderPath))
            return false;
        readEntries(m_levels.back().fd, detail, entries);
        return true;
    }

private:
    // A folder on the way down from the first folder listed to the last one.
    struct Level {
        QByteArray path;
        QByteArray canonicalPath;
        int fd; // -1 while closed to stay within maxOpenFolders
        std::optional<FileId> id; // known once the folder had to be told apart
    };

    static void closeIfOpen(int fd)
    {
        if (fd >= 0)
            ::close(fd);
    }

    bool descendTo(const QByteArray &folderPath)
    {
        if (m_levels.empty()) {
            const int fd = ::open(folderPath.constData(), folderOpenFlags);
            if (fd < 0)
                return false;
            const QByteArray canonical = canonicalPathOf(fd);
            const bool isRoot = folderPath == m_rootPath;
            // The first folder may lie inside a pseudo file system without being its mount
            // point (/proc/self/), so its file system is always asked.
            if (isOnPseudoFileSystem(fd) || (!isRoot && isMountPoint(canonical) && leadsBackUp(fd, canonical))) {
                ::close(fd);
                return false;
            }
            push({folderPath, canonical, fd, {}});
            return true;
        }

        const QByteArray below = folderPath.mid(m_levels.back().path.size());
        for (const QByteArray &name : below.split(folderSeparator)) {
            if (name.isEmpty())
                continue;
            const int parentFd = openFd(m_levels.back());
            if (parentFd < 0)
                return false;
            const int fd = ::openat(parentFd, name.constData(), folderOpenFlags | O_NOFOLLOW);
            if (fd < 0)
                return false;
            const Level &parent = m_levels.back();
            Level level{subFolderPath(parent.path, name), subFolderPath(parent.canonicalPath, name), fd, {}};
            // Only at a mount point can the file system change or a bind mount lead back
            // up; everywhere else the folder is taken as it is, without a status call.
            if (isMountPoint(level.canonicalPath) && (isOnPseudoFileSystem(fd) || leadsBackUp(fd, level.canonicalPath))) {
                ::close(fd);
                return false;
            }
            push(std::move(level));
        }
        return true;
    }

    // Read when the walk first goes below a folder: a walk that lists one folder alone
    // does without.
    const MountTable &mounts()
    {
        if (!m_mounts)
            m_mounts = MountTable::read();
        return *m_mounts;
    }

    bool isMountPoint(const QByteArray &canonicalPath) { return mounts().isMountPoint(withoutFinalSeparator(canonicalPath)); }

    void push(Level level)
    {
        m_levels.push_back(std::move(level));
        ++m_openCount;
        while (m_openCount > maxOpenFolders) {
            Level &oldest = m_levels[m_oldestOpen++];
            if (oldest.fd >= 0) {
                // Its identity tells, on the way back up, that ".." still leads to it.
                oldest.id = idOf(oldest.fd);
                ::close(oldest.fd);
                oldest.fd = -1;
                --m_openCount;
            }
        }
    }

    void leaveLevel()
    {
        Level left = std::move(m_levels.back());
        m_levels.pop_back();
        if (left.fd >= 0)
            --m_openCount;
        if (!m_levels.empty() && m_levels.back().fd < 0 && left.fd >= 0)
            reopen(m_levels.back(), ::openat(left.fd, "..", folderOpenFlags));
        closeIfOpen(left.fd);
        m_oldestOpen = std::min(m_oldestOpen, m_levels.size());
    }

    // The open folder of a level; a closed one is opened again by its path.
    int openFd(Level &level)
    {
        if (level.fd < 0)
            reopen(level, ::open(level.path.constData(), folderOpenFlags));
        return level.fd;
    }

    // Takes fd as the level's folder only if it still is the same folder.
    void reopen(Level &level, int fd)
    {
        if (fd < 0 || !level.id || idOf(fd) != level.id) {
            closeIfOpen(fd);
            return;
        }
        level.fd = fd;
        ++m_openCount;
        m_oldestOpen = std::min(m_oldestOpen, size_t(&level - m_levels.data()));
    }

    void readEntries(int fd, EntryDetail detail, std::vector<FolderEntry> &entries)
    {
#if defined(__linux__)
        for (;;) {
            const ssize_t filled = ::getdents64(fd, m_buffer.data(), m_buffer.size());
            // A listing that fails halfway keeps what was read.
            if (filled <= 0)
                break;
            for (ssize_t offset = 0; offset < filled;) {
                const auto *record = reinterpret_cast<const struct dirent64 *>(m_buffer.data() + offset);
                offset += record->d_reclen;
                addEntry(fd, record->d_name, record->d_type, detail, entries);
            }
        }
#else
        DIR *stream = ::fdopendir(::dup(fd));
        if (!stream)
            return;
        while (const struct dirent *record = ::readdir(stream))
            addEntry(fd, record->d_name, record->d_type, detail, entries);
        ::closedir(stream);
#endif
    }

    static void addEntry(int fd, const char *name, unsigned char type, EntryDetail detail, std::vector<FolderEntry> &entries)
    {
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            return;
        FolderEntry entry{QByteArray(name), type == DT_DIR, 0};
        if (type == DT_UNKNOWN || (type != DT_DIR && detail == EntryDetail::WithSizes)) {
            struct stat status;
            // An entry that vanished since the listing is passed over.
            if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                return;
            entry.isFolder = S_ISDIR(status.st_mode);
            if (!entry.isFolder)
                entry.size = quint64(status.st_size);
        }
        entries.push_back(std::move(entry));
    }

    QByteArray m_rootPath;
    std::optional<MountTable> m_mounts;
    std::vector<Level> m_levels;
    size_t m_oldestOpen = 0; // levels before this one are closed
    int m_openCount = 0;
    std::vector<char> m_buffer = std::vector<char>(64 * 1024);
};

} // namespace

std::unique_ptr<FolderWalk> PosixFolderEnumerator::startWalk(const QByteArray &rootPath)
{
    return std::make_unique<PosixFolderWalk>(rootPath);
}
