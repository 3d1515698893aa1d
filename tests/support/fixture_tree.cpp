#include "support/fixture_tree.h"

#include <QProcess>
#include <QTest>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FixtureTree::FixtureTree()
{
    m_directory.setAutoRemove(false);
    m_path = QFile::encodeName(m_directory.path()) + '/';
    // Readable to everyone, so that a test may scan it under another user.
    ::chmod(m_path.constData(), 0755);
}

FixtureTree::~FixtureTree()
{
    // rm copes with trees deeper than any path and, after chmod, with locked folders.
    QProcess::execute(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+rwx"), m_directory.path()});
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), m_directory.path()});
}

void FixtureTree::makeFolder(const QByteArray &relativePath)
{
    // Byte by byte, so that names that are not valid UTF-8 arrive as given.
    QByteArray path = m_path;
    for (const QByteArray &name : relativePath.split('/')) {
        if (name.isEmpty())
            continue;
        path += name + '/';
        QVERIFY2(::mkdir(path.constData(), 0755) == 0 || errno == EEXIST, path.constData());
    }
}

static void makeParent(FixtureTree &tree, const QByteArray &relativePath)
{
    const qsizetype slash = relativePath.lastIndexOf('/');
    if (slash > 0)
        tree.makeFolder(relativePath.left(slash));
}

void FixtureTree::makeFile(const QByteArray &relativePath, quint64 size)
{
    makeParent(*this, relativePath);
    const QByteArray path = m_path + relativePath;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QVERIFY(::ftruncate(fd, off_t(size)) == 0);
    ::close(fd);
}

void FixtureTree::makeLink(const QByteArray &relativePath, const QByteArray &target)
{
    makeParent(*this, relativePath);
    QVERIFY(::symlink(target.constData(), (m_path + relativePath).constData()) == 0);
}

void FixtureTree::make(const QList<QByteArray> &layout)
{
    for (const QByteArray &line : layout) {
        if (const qsizetype arrow = line.indexOf("->"); arrow > 0)
            makeLink(line.left(arrow), line.mid(arrow + 2));
        else if (const qsizetype equals = line.lastIndexOf('='); equals > 0)
            makeFile(line.left(equals), line.mid(equals + 1).toULongLong());
        else
            makeFolder(line);
    }
}

static void makeFileAt(int folder, const char *name, quint64 size)
{
    const int file = ::openat(folder, name, O_WRONLY | O_CREAT, 0644);
    QVERIFY(file >= 0);
    QVERIFY(::ftruncate(file, off_t(size)) == 0);
    ::close(file);
}

void FixtureTree::makeDeepChain(const QByteArray &relativePath, int depth, quint64 fileSize, const QByteArray &name,
                                quint64 fileAlongTheWay)
{
    makeFolder(relativePath);
    int fd = ::open((m_path + relativePath).constData(), O_RDONLY | O_DIRECTORY);
    QVERIFY(fd >= 0);
    for (int level = 0; level < depth; ++level) {
        QVERIFY(::mkdirat(fd, name.constData(), 0755) == 0);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        QVERIFY(fd >= 0);
        if (fileAlongTheWay != 0)
            makeFileAt(fd, "along", fileAlongTheWay);
    }
    makeFileAt(fd, "bottom", fileSize);
    ::close(fd);
}
