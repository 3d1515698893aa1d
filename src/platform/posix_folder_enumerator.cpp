#include "platform/posix_folder_enumerator.h"

#include "platform/descriptor_budget.h"
#include "platform/folder_path.h"
#include "platform/mount_table.h"

#include <QSet>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <chrono>
#include <deque>
#include <optional>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Folders a walk keeps open on its way down at most; deeper ones close the shallowest,
// which are opened again through ".." on the way back up.
constexpr int maxOpenFolders = 32;

#if defined(__linux__)
constexpr size_t longestEntry = (offsetof(struct dirent64, d_name) + NAME_MAX + 1 + 7) / 8 * 8;
#endif

constexpr int folderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// Below the root every folder is opened by one name from its open parent, never
// through a link.
constexpr int subFolderOpenFlags = folderOpenFlags | O_NOFOLLOW;

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

// The canonical path of an open folder, as the kernel knows it, ending in "/"; empty
// when it is too long to be told.
QByteArray canonicalPathOf(int fd)
{
    char buffer[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), buffer, sizeof buffer);
    if (length <= 0 || size_t(length) >= sizeof buffer || buffer[0] != '/')
        return {};
    QByteArray path(buffer, length);
    return path.endsWith(folderSeparator) ? path : path + folderSeparator;
}

// Whether the folder mounted at canonicalPath is one of that path's own ancestors:
// descending into it would go round for ever.
bool leadsBackUp(int fd, const QByteArray &canonicalPath)
{
    const std::optional<FileId> id = idOf(fd);
    if (!id)
        return false;
    QByteArray ancestor = withoutClosingSeparator(canonicalPath);
    while (ancestor.size() > 1 && ancestor.contains(folderSeparator)) {
        ancestor = parentOfPath(ancestor);
        // Mount points are short paths: an ancestor of one can always be asked.
        if (idOf(ancestor) == id)
            return true;
    }
    return false;
}

// Opens a folder the long way when its path is longer than the system takes: the
// longest leading part that fits, then one name at a time, never through a link.
int openLongPath(const QByteArray &path)
{
    qsizetype split = path.lastIndexOf(folderSeparator, PATH_MAX - 2);
    if (split <= 0)
        return -1;
    int fd = ::open(path.left(split + 1).constData(), folderOpenFlags);
    for (const QByteArray &name : path.mid(split + 1).split(folderSeparator)) {
        if (fd < 0 || name.isEmpty())
            continue;
        const int next = ::openat(fd, name.constData(), subFolderOpenFlags);
        ::close(fd);
        fd = next;
    }
    return fd;
}

// Adds one entry of a listing to what the listing counts, and asks for its status only
// when its length or its type is needed.
void countEntry(int fd, const char *name, unsigned char type, EntryDetail detail, FolderListing &listing)
{
    if (name[0] == '.') {
        if (!(name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            listing.hiddenNames = true;
        return;
    }
    if (type == DT_DIR) {
        listing.subFolders.append(name);
        return;
    }
    if (type == DT_UNKNOWN || detail != EntryDetail::NamesAndTypes) {
        struct stat status;
        // An entry that vanished since the listing is passed over.
        if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        if (S_ISDIR(status.st_mode)) {
            listing.subFolders.append(name);
            return;
        }
        listing.fileBytes += quint64(status.st_size);
        if (detail == EntryDetail::WithFileNames)
            listing.namedFiles.push_back({name, quint64(status.st_size), quint64(status.st_blocks) * 512, quint64(status.st_ino),
                                          quint64(status.st_nlink)});
    }
    ++listing.files;
}

class PosixFolderWalk final : public FolderWalk
{
public:
    explicit PosixFolderWalk(const QByteArray &rootPath)
        : m_rootPath(rootPath)
    {
        DescriptorBudget::process().reserve(DescriptorBudget::walkMinimum);
    }

    ~PosixFolderWalk() override
    {
        for (const Level &level : m_levels) {
            if (level.fd >= 0)
                ::close(level.fd);
        }
        DescriptorBudget::process().give(m_descriptors);
    }

    bool list(const QByteArray &folderPath, EntryDetail detail, FolderListing &listing) override
    {
        listing.clear();
        m_openError = 0;
        if (!reach(folderPath)) {
            listing.unreadable = isReadError(m_openError);
            return false;
        }
        Level &level = m_levels.back();
        // Listed before in this walk: read from the start again.
        if (level.listed && ::lseek(level.fd, 0, SEEK_SET) != 0) {
            listing.unreadable = true;
            return false;
        }
        level.listed = true;
        readEntries(level, detail, listing);
        return true;
    }

    bool reachable(const QByteArray &folderPath) override { return reach(folderPath); }

private:
    // A folder on the way down from the root to the folder listed last. Its name is the
    // part of m_path between the level before it and pathLength.
    // Kept to 32 bytes: a walk down a chain 100,000 folders deep holds one a level.
    struct Level {
        qsizetype pathLength;
        FileId id{}; // known once it was closed, to tell it again
        int fd;      // -1 while closed
        bool hasId = false;
        bool listsWhole = false; // on a file system whose short read is the listing's end
        bool listed = false;
    };

    bool reach(const QByteArray &folderPath)
    {
        if (m_levels.empty() && !openRoot())
            return false;
        if (!folderPath.startsWith(m_rootPath))
            return false;
        while (m_levels.size() > 1 && !folderPath.startsWith(m_path))
            leaveLevel();
        if (!ensureTopOpen())
            return false;
        qsizetype start = m_path.size();
        while (start < folderPath.size()) {
            const qsizetype end = folderPath.indexOf(folderSeparator, start);
            if (end < 0)
                return false;
            // Copied into room kept for it: a name a folder, without an allocation each.
            m_name.resize(end - start);
            std::memcpy(m_name.data(), folderPath.constData() + start, size_t(end - start));
            // "." and ".." would lead elsewhere than below the root.
            if (m_name == "." || m_name == ".." || (!m_name.isEmpty() && !enter(m_name)))
                return false;
            start = end + 1;
        }
        return true;
    }

    bool openRoot()
    {
        const int fd = m_rootPath.size() < PATH_MAX ? ::open(m_rootPath.constData(), folderOpenFlags) : openLongPath(m_rootPath);
        if (fd < 0) {
            m_openError = errno;
            return false;
        }
        const MountTable mounts = MountTable::read();
        m_canonicalRoot = canonicalPathOf(fd);
        // The root may lie inside a pseudo file system without being its mount point
        // (/proc/self/).
        if (!m_canonicalRoot.isEmpty() && mounts.isOnPseudoFileSystem(withoutClosingSeparator(m_canonicalRoot))) {
            ::close(fd);
            return false;
        }
        m_mounts = mounts;
        if (!m_canonicalRoot.isEmpty()) {
            for (const QByteArray &below : mounts.mountPointsBelow(withoutClosingSeparator(m_canonicalRoot)))
                m_mountPointsBelowRoot.insert(below);
        }
        m_path = m_rootPath;
        const bool listsWhole = !m_canonicalRoot.isEmpty() && mounts.listsWholeFolders(withoutClosingSeparator(m_canonicalRoot));
        m_levels.push_back({.pathLength = m_path.size(), .fd = fd, .listsWhole = listsWhole});
        m_open = 1;
        return true;
    }

    // Opens the sub-folder name of the deepest level and goes down into it.
    bool enter(const QByteArray &name)
    {
        const int fd = openAt(m_levels.size() - 1, name.constData());
        if (fd < 0)
            return false;
        const qsizetype parentLength = m_path.size();
        m_path += name;
        m_path += folderSeparator;
        bool listsWhole = m_levels.back().listsWhole;
        // Only at a mount point can the file system change or a bind mount lead back up;
        // everywhere else the folder is taken as it is, without a status call.
        if (!m_mountPointsBelowRoot.isEmpty()) {
            const QByteArray below = withoutClosingSeparator(m_path.mid(m_rootPath.size()));
            if (m_mountPointsBelowRoot.contains(below)) {
                // The canonical root ends in its separator, "/" included.
                const QByteArray canonical = m_canonicalRoot + below;
                if (m_mounts.isPseudoMount(canonical) || leadsBackUp(fd, canonical)) {
                    ::close(fd);
                    m_path.truncate(parentLength);
                    return false;
                }
                listsWhole = m_mounts.listsWholeFolders(canonical);
            }
        }
        m_levels.push_back({.pathLength = m_path.size(), .fd = fd, .listsWhole = listsWhole});
        ++m_open;
        return true;
    }

    // A folder that is gone, or is no longer a folder, is not a read error; anything else
    // the system refused is.
    static bool isReadError(int error) { return error != 0 && error != ENOENT && error != ENOTDIR && error != ELOOP; }

    // Opens name relative to the open folder of a level, making room within the budget
    // first. When the process has no descriptor left, the walk lets go of what it can
    // and waits: a folder is never passed over for want of one.
    int openAt(size_t from, const char *name)
    {
        for (int attempt = 0;; ++attempt) {
            makeRoom(from);
            const int fd = ::openat(m_levels[from].fd, name, subFolderOpenFlags);
            if (fd < 0)
                m_openError = errno;
            if (fd >= 0 || (errno != EMFILE && errno != ENFILE) || attempt == 1000)
                return fd;
            closeShallowest(from);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Room for one more open folder: a descriptor from the budget, or else one of the
    // walk's own let go.
    void makeRoom(size_t keep)
    {
        while (m_open + 1 > m_descriptors) {
            if (m_descriptors < maxOpenFolders && DescriptorBudget::process().tryTake())
                ++m_descriptors;
            else if (!closeShallowest(keep))
                return;
        }
    }

    // Closes the shallowest open level but the root and keep. The search starts where
    // the last one ended: down a chain deeper than the descriptors allow, every level
    // entered closes one, and the closed ones above are not looked at again.
    bool closeShallowest(size_t keep)
    {
        bool passedKept = false;
        for (size_t index = std::max<size_t>(m_shallowestOpen, 1); index < m_levels.size(); ++index) {
            Level &level = m_levels[index];
            if (level.fd < 0 || index == keep) {
                passedKept = passedKept || level.fd >= 0;
                if (!passedKept)
                    m_shallowestOpen = index + 1;
                continue;
            }
            // Its identity tells, when it is opened again, that it is still the same folder.
            const std::optional<FileId> id = idOf(level.fd);
            level.hasId = id.has_value();
            level.id = id.value_or(FileId{});
            ::close(level.fd);
            level.fd = -1;
            --m_open;
            if (!passedKept)
                m_shallowestOpen = index + 1;
            return true;
        }
        return false;
    }

    void leaveLevel()
    {
        Level &left = m_levels.back();
        Level &parent = m_levels[m_levels.size() - 2];
        if (left.fd >= 0) {
            if (parent.fd < 0 && parent.hasId) {
                makeRoom(m_levels.size() - 1);
                adopt(m_levels.size() - 2, ::openat(left.fd, "..", folderOpenFlags));
            }
            ::close(left.fd);
            --m_open;
        }
        m_levels.pop_back();
        m_shallowestOpen = std::min(m_shallowestOpen, m_levels.size());
        m_path.truncate(m_levels.back().pathLength);
    }

    // Takes fd as the folder of the level at index if it still is the same folder.
    bool adopt(size_t index, int fd)
    {
        if (fd < 0)
            return false;
        Level &level = m_levels[index];
        if (level.hasId && idOf(fd) != level.id) {
            ::close(fd);
            return false;
        }
        level.fd = fd;
        level.listed = false;
        ++m_open;
        m_shallowestOpen = std::min(m_shallowestOpen, index);
        return true;
    }

    // The deepest level open, opened again one name at a time from the deepest open
    // level above it where it was closed. Levels that can no longer be reached, or that
    // now are other folders, are left.
    bool ensureTopOpen()
    {
        size_t open = m_levels.size() - 1;
        while (m_levels[open].fd < 0)
            --open;
        for (size_t index = open + 1; index < m_levels.size(); ++index) {
            const qsizetype start = m_levels[index - 1].pathLength;
            const QByteArray name = m_path.mid(start, m_levels[index].pathLength - 1 - start);
            if (!adopt(index, openAt(index - 1, name.constData()))) {
                m_levels.resize(index);
                m_shallowestOpen = std::min(m_shallowestOpen, m_levels.size());
                m_path.truncate(m_levels.back().pathLength);
                return false;
            }
        }
        return true;
    }

    void readEntries(const Level &level, EntryDetail detail, FolderListing &listing)
    {
        const int fd = level.fd;
#if defined(__linux__)
        for (;;) {
            const ssize_t filled = ::getdents64(fd, m_buffer.data(), m_buffer.size());
            // A listing that fails halfway keeps what was read, and says it is not whole.
            if (filled < 0)
                listing.unreadable = true;
            if (filled <= 0)
                break;
            for (ssize_t offset = 0; offset < filled;) {
                const auto *record = reinterpret_cast<const struct dirent64 *>(m_buffer.data() + offset);
                offset += record->d_reclen;
                countEntry(fd, record->d_name, record->d_type, detail, listing);
            }
            // Room was left for the longest entry there can be: the listing is whole, and
            // the read that would say so is saved.
            if (level.listsWhole && size_t(filled) + longestEntry <= m_buffer.size())
                break;
        }
#else
        DIR *stream = ::fdopendir(::dup(fd));
        if (!stream)
            return;
        while (const struct dirent *record = ::readdir(stream))
            countEntry(fd, record->d_name, record->d_type, detail, listing);
        ::closedir(stream);
#endif
    }

    QByteArray m_rootPath;
    QByteArray m_canonicalRoot; // empty where it cannot be told
    MountTable m_mounts;
    QSet<QByteArray> m_mountPointsBelowRoot; // relative to the root, without the final separator
    QByteArray m_path; // of the deepest level, written as the caller writes it
    QByteArray m_name; // the name being entered
    std::deque<Level> m_levels; // grows without copying, however deep
    int m_open = 0;
    size_t m_shallowestOpen = 1; // no level above it but the root is open
    int m_descriptors = DescriptorBudget::walkMinimum; // taken from the budget
    std::vector<char> m_buffer = std::vector<char>(64 * 1024);
    int m_openError = 0; // why the last folder could not be opened, from the system
};

} // namespace

std::unique_ptr<FolderWalk> PosixFolderEnumerator::startWalk(const QByteArray &rootPath)
{
    return std::make_unique<PosixFolderWalk>(rootPath);
}
