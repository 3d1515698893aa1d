#include "exchange/export_target.h"

#include "platform/folder_path.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Where the kernel found an open file, as its own table names it.
QByteArray pathOfOpenFile(int descriptor)
{
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
    QByteArray path(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(link.constData(), path.data(), size_t(path.size()));
    if (length <= 0 || length >= path.size() || path.front() != '/')
        return {};
    path.truncate(length);
    return path;
}

bool writeAll(int descriptor, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Writes straight into a file descriptor: each write whole, or failed with the reason.
class DescriptorDevice final : public QIODevice
{
public:
    explicit DescriptorDevice(int descriptor) : m_descriptor(descriptor) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (writeAll(m_descriptor, data, size))
            return size;
        setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }

private:
    int m_descriptor;
};

// A link another user made in a folder that user does not own, such as /tmp, is not
// followed, whatever the kernel's fs.protected_symlinks says.
bool mayFollow(const QByteArray &linkPath, const struct stat &link)
{
    struct stat folder {};
    if (::lstat(parentOfPath(linkPath).constData(), &folder) != 0)
        return false;
    return link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// How a name that may be a link is opened: a link only when it may be followed, and
// anything else so that a link put there meanwhile is not followed.
int openFollowingOnlyAllowedLinks(const QByteArray &name, int flags, bool &refused)
{
    struct stat link {};
    const bool isLink = ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode);
    refused = isLink && !mayFollow(name, link);
    if (refused)
        return -1;
    return ::open(name.constData(), flags | (isLink ? 0 : O_NOFOLLOW), 0666);
}

void closeKeepingErrno(int &descriptor)
{
    if (descriptor < 0)
        return;
    const int saved = errno;
    ::close(descriptor);
    descriptor = -1;
    errno = saved;
}

} // namespace

ExportTarget::~ExportTarget()
{
    discard();
}

bool ExportTarget::open(const QByteArray &name)
{
    m_name = name;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    m_newFileMode = 0666 & ~mask;
    if (name == "-") {
        if (::fcntl(STDOUT_FILENO, F_GETFD) == -1)
            return fail();
        m_target = STDOUT_FILENO;
    } else {
        bool refused = false;
        m_target = openFollowingOnlyAllowedLinks(name, O_WRONLY | O_NOCTTY | O_CLOEXEC, refused);
        if (refused)
            return refuseLink();
        if (m_target < 0 && errno != ENOENT)
            return fail();
    }
    if (m_target < 0) {
        // Nothing there yet: the file is made beside where the name says.
        m_kind = Kind::NewFile;
        if (!makeTemporary(parentOfPath(name)))
            return fail();
    } else if (::fstat(m_target, &m_targetStatus) != 0) {
        return fail();
    } else if (!S_ISREG(m_targetStatus.st_mode) || m_target == STDOUT_FILENO) {
        // Standard output is the caller's to place, appended to or not: written into.
        m_kind = Kind::Stream;
    } else {
        m_targetPath = pathOfOpenFile(m_target);
        m_kind = m_targetStatus.st_nlink == 1 && !m_targetPath.isEmpty() && makeTemporary(parentOfPath(m_targetPath))
            ? Kind::Replace
            : Kind::InPlace;
        // In place, the export waits whole in a file of no name until it is copied in.
        if (m_kind == Kind::InPlace) {
            if (!makeTemporary(QFile::encodeName(QDir::tempPath())))
                return fail();
            ::unlink(m_temporaryName.constData());
            m_temporaryName.clear();
        }
    }
    m_out = std::make_unique<DescriptorDevice>(m_kind == Kind::Stream ? m_target : m_temporary);
    return true;
}

bool ExportTarget::makeTemporary(const QByteArray &folder)
{
    QByteArray name = folder + (folder.endsWith('/') ? "" : "/") + ".zorvik-kavrona-XXXXXX";
    m_temporary = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_temporary < 0)
        return false;
    m_temporaryName = name;
    return true;
}

bool ExportTarget::commit()
{
    if (m_kind == Kind::Stream) {
        const int target = std::exchange(m_target, -1);
        if (::close(target) != 0 && errno != EINTR)
            return fail();
        return true;
    }
    const bool done = commitFile();
    if (!done)
        discard();
    return done;
}

bool ExportTarget::commitFile()
{
    if (m_kind == Kind::InPlace) {
        const bool copied = copyInto(m_target);
        closeKeepingErrno(m_temporary);
        return copied;
    }
    if (m_kind == Kind::Replace) {
        // Its owner and group where this user may give them, then its mode, which a
        // change of owner may have cut down.
        if (::fchown(m_temporary, m_targetStatus.st_uid, m_targetStatus.st_gid) != 0)
            (void)::fchown(m_temporary, uid_t(-1), m_targetStatus.st_gid);
        if (::fchmod(m_temporary, m_targetStatus.st_mode & 07777) != 0)
            return fail();
    } else if (::fchmod(m_temporary, m_newFileMode) != 0) {
        return fail();
    }
    if (::fsync(m_temporary) != 0)
        return fail();
    if (m_kind == Kind::Replace) {
        struct stat now {};
        // Renamed over only if the name still leads to the file opened at the start.
        if (::stat(m_targetPath.constData(), &now) != 0 || now.st_dev != m_targetStatus.st_dev || now.st_ino != m_targetStatus.st_ino) {
            if (!copyInto(m_target))
                return false;
        } else if (::rename(m_temporaryName.constData(), m_targetPath.constData()) != 0) {
            return fail();
        }
    } else if (::renameat2(AT_FDCWD, m_temporaryName.constData(), AT_FDCWD, m_name.constData(), RENAME_NOREPLACE) != 0) {
        if (errno != EEXIST)
            return fail();
        // Something took the name meanwhile, or it is a link to a file still to be
        // made: written into what opening the name gives.
        bool refused = false;
        m_target = openFollowingOnlyAllowedLinks(m_name, O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, refused);
        if (refused)
            return refuseLink();
        if (m_target < 0 || !copyInto(m_target))
            return fail();
        ::unlink(m_temporaryName.constData());
    }
    m_temporaryName.clear();
    closeKeepingErrno(m_temporary);
    const int target = std::exchange(m_target, -1);
    if (target >= 0 && ::close(target) != 0 && errno != EINTR)
        return fail();
    return true;
}

bool ExportTarget::copyInto(int destination)
{
    if (::lseek(m_temporary, 0, SEEK_SET) != 0 || ::ftruncate(destination, 0) != 0 || ::lseek(destination, 0, SEEK_SET) != 0)
        return fail();
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const ssize_t read = ::read(m_temporary, buffer.data(), size_t(buffer.size()));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0 || (read > 0 && !writeAll(destination, buffer.constData(), read)))
            return fail();
        if (read == 0)
            break;
    }
    if (::fsync(destination) != 0)
        return fail();
    return true;
}

void ExportTarget::discard()
{
    if (!m_temporaryName.isEmpty())
        ::unlink(m_temporaryName.constData());
    m_temporaryName.clear();
    closeKeepingErrno(m_temporary);
    // Standard output is left open for whatever the program still says.
    if (m_target != STDOUT_FILENO)
        closeKeepingErrno(m_target);
    m_target = -1;
}

bool ExportTarget::refuseLink()
{
    m_error = QStringLiteral("a link made by another user in a folder that user does not own is not followed");
    return false;
}

bool ExportTarget::fail()
{
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}
