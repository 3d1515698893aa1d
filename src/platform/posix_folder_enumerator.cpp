#include "platform/posix_folder_enumerator.h"

#include "platform/folder_path.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
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

bool isProperAncestor(const QByteArray &ancestor, const QByteArray &path)
{
    return path.size() > ancestor.size() && path.startsWith(ancestor);
}

// Kernel pseudo file systems: their files report sizes that occupy no disk at all
// (/proc/kcore alone claims 128 TB), so their folders count as empty.
bool isPseudoFileSystem([[maybe_unused]] int fd)
{
#if defined(__linux__)
    struct statfs info;
    if (fstatfs(fd, &info) != 0)
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

class PosixFolderWalk final : public FolderWalk
{
public:
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
        int fd; // -1 while closed to stay within maxOpenFolders
        dev_t device;
        ino_t inode;
    };

    static void closeIfOpen(int fd)
    {
        if (fd >= 0)
            ::close(fd);
    }

    bool descendTo(const QByteArray &folderPath)
    {
        if (m_levels.empty())
            return enter(folderPath, ::open(folderPath.constData(), folderOpenFlags));

        const QByteArray below = folderPath.mid(m_levels.back().path.size());
        for (const QByteArray &name : below.split(folderSeparator)) {
            if (name.isEmpty())
                continue;
            const int parentFd = openFd(m_levels.back());
            if (parentFd < 0)
                return false;
            const int fd = ::openat(parentFd, name.constData(), folderOpenFlags | O_NOFOLLOW);
            if (!enter(subFolderPath(m_levels.back().path, name), fd))
                return false;
        }
        return true;
    }

    // Makes fd the deepest level, unless it cannot be listed or must count as empty.
    bool enter(const QByteArray &path, int fd)
    {
        if (fd < 0)
            return false;
        struct stat status;
        if (::fstat(fd, &status) != 0 || isOnTheWayDown(status) || (crossesMount(status) && isPseudoFileSystem(fd))) {
            ::close(fd);
            return false;
        }
        m_levels.push_back({path, fd, status.st_dev, status.st_ino});
        ++m_openCount;
        while (m_openCount > maxOpenFolders) {
            Level &oldest = m_levels[m_oldestOpen++];
            if (oldest.fd >= 0) {
                ::close(oldest.fd);
                oldest.fd = -1;
                --m_openCount;
            }
        }
        return true;
    }

    bool isOnTheWayDown(const struct stat &status) const
    {
        return std::any_of(m_levels.begin(), m_levels.end(), [&](const Level &level) {
            return level.device == status.st_dev && level.inode == status.st_ino;
        });
    }

    bool crossesMount(const struct stat &status) const
    {
        return m_levels.empty() || m_levels.back().device != status.st_dev;
    }

    void leaveLevel()
    {
        Level left = m_levels.back();
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
        struct stat status;
        if (fd < 0 || ::fstat(fd, &status) != 0 || status.st_dev != level.device || status.st_ino != level.inode) {
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

    std::vector<Level> m_levels;
    size_t m_oldestOpen = 0; // levels before this one are closed
    int m_openCount = 0;
    std::vector<char> m_buffer = std::vector<char>(64 * 1024);
};

} // namespace

std::unique_ptr<FolderWalk> PosixFolderEnumerator::startWalk()
{
    return std::make_unique<PosixFolderWalk>();
}
