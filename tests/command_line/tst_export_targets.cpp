#include "support/allocation_limit.h"
#include "support/export_text.h"
#include "support/child_process.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The program run with arguments; what it writes to standard output comes back unless
// it is sent to a file.
Run run(const QStringList &arguments, const QString &outputFile = QString(),
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile, QIODevice::Append);
    process.start(QStringLiteral(ZK_PROGRAM), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// A shell line run by bash, with the program as $0 and the arguments as $1, $2, ...
Run runInShell(const QString &line, const QStringList &arguments)
{
    QProcess shell;
    shell.start(QStringLiteral("bash"), QStringList{QStringLiteral("-c"), line, QStringLiteral(ZK_PROGRAM)} + arguments);
    if (!shell.waitForFinished(120000) || shell.exitStatus() != QProcess::NormalExit)
        return {};
    return {shell.exitCode(), shell.readAllStandardOutput(), shell.readAllStandardError()};
}

QByteArray contents(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isExport(const QByteArray &text)
{
    return text.startsWith("[1,2,{\"progname\":\"zorvik-kavrona\"") && text.endsWith("]\n");
}

// A folder whose export takes about `files` times 130 bytes.
void makeManyFiles(FixtureTree &fixture, int files)
{
    QList<QByteArray> layout;
    for (int file = 0; file < files; ++file)
        layout << "many/" + QByteArray(100, 'n') + QByteArray::number(file) + "=1";
    fixture.make(layout);
}

// The program run in a forked child with standard output on `output` (none: a pipe
// nobody reads is not wanted, so /dev/null), standard error collected; "exit N\n" and
// what it said.
std::optional<QByteArray> runForked(const QList<QByteArray> &arguments, const QByteArray &output)
{
    int errors[2];
    if (::pipe(errors) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(output.isEmpty() ? "/dev/null" : output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(errors[1], STDERR_FILENO);
        std::vector<char *> argv{const_cast<char *>(ZK_PROGRAM)};
        for (const QByteArray &argument : arguments)
            argv.push_back(const_cast<char *>(argument.constData()));
        argv.push_back(nullptr);
        ::execv(ZK_PROGRAM, argv.data());
        ::_exit(127);
    }
    ::close(errors[1]);
    QByteArray said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(errors[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, n);
    ::close(errors[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return "exit " + QByteArray::number(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) + "\n" + said;
}

} // namespace

// Where --export writes, and what it says when the writing fails: run as a person or a
// script runs it, against real devices, FIFOs, pipes, links and full file systems.
class TestExportTargets : public QObject
{
    Q_OBJECT

private:
    FixtureTree m_fixture;
    QString m_folder;

    QString path(const QByteArray &relative) const { return QString::fromLocal8Bit(m_fixture.path() + relative); }

private slots:
    void initTestCase()
    {
        m_fixture.make({"Data/a=3000", "Data/sub/b=100", "own=5"});
        m_folder = path("Data");
    }

    // A device, a FIFO, a pipe: written into as `ncdu -o` writes, and left what it was.
    void anythingButARegularFileIsWrittenInto_data()
    {
        QTest::addColumn<QString>("target"); // "%1": a fresh temporary folder
        QTest::addColumn<QString>("made"); // "fifo", "device" or empty
        QTest::addColumn<bool>("readBack");  // its reader sees the export on standard output
        QTest::newRow("a FIFO") << "%1/fifo" << "fifo" << false;
        // Made here, as /dev/null is: a test of a program that would replace it must not
        // replace the machine's own.
        QTest::newRow("a character device") << "%1/null" << "device" << false;
        QTest::newRow("/dev/stdout on a pipe") << "/dev/stdout" << QString() << true;
        QTest::newRow("/dev/fd/1 on a pipe") << "/dev/fd/1" << QString() << true;
        QTest::newRow("- on a pipe") << "-" << QString() << true;
    }

    void anythingButARegularFileIsWrittenInto()
    {
        QFETCH(QString, target);
        QFETCH(QString, made);
        QFETCH(bool, readBack);
        QTemporaryDir folder;
        target.replace(QStringLiteral("%1"), folder.path());
        const QByteArray name = QFile::encodeName(target);
        if (made == "fifo")
            QVERIFY(::mkfifo(name.constData(), 0644) == 0);
        if (made == "device" && ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device needs root");
        struct stat before {};
        QVERIFY(target == "-" || ::stat(name.constData(), &before) == 0);

        QProcess reader;
        if (made == "fifo") {
            reader.start(QStringLiteral("cat"), {target});
            QVERIFY(reader.waitForStarted());
        }
        const Run exported = run({QStringLiteral("--export"), target, m_folder});
        QCOMPARE(exported.err, QByteArray());
        QCOMPARE(exported.exitCode, 0);
        if (made == "fifo") {
            QVERIFY(reader.waitForFinished());
            QVERIFY(isExport(reader.readAllStandardOutput()));
        }
        if (readBack)
            QVERIFY(isExport(exported.out));
        if (target != "-") {
            struct stat after {};
            QVERIFY(::stat(name.constData(), &after) == 0);
            QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
            QCOMPARE(after.st_rdev, before.st_rdev);
        }
    }

    // Standard output on a file is the shell's to place: appended to, it keeps what it held.
    void standardOutputOnAFileIsWrittenInto()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("out.json"));
        {
            QFile before(file);
            QVERIFY(before.open(QIODevice::WriteOnly));
            before.write("before\n");
        }
        const Run exported = runInShell(QStringLiteral("exec \"$0\" --export - \"$1\" >> \"$2\""), {m_folder, file});
        QCOMPARE(exported.err, QByteArray());
        QCOMPARE(exported.exitCode, 0);
        const QByteArray written = contents(QFile::encodeName(file));
        QVERIFY(written.startsWith("before\n"));
        QVERIFY(isExport(written.mid(7)));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.json"});
    }

    // A link another user left in a sticky folder such as /tmp is not followed, whether
    // the kernel protects such links or not: root's export does not replace its target.
    void aLinkInAStickyFolderIsFollowedOnlyFromItsOwner_data()
    {
        QTest::addColumn<bool>("byAnotherUser");
        QTest::newRow("a link made by another user") << true;
        QTest::newRow("a link made by the caller") << false;
    }

    void aLinkInAStickyFolderIsFollowedOnlyFromItsOwner()
    {
        QFETCH(bool, byAnotherUser);
        if (::geteuid() != 0)
            QSKIP("another user's link needs root to make");
        FixtureTree fixture;
        const QByteArray shared = fixture.path() + "shared";
        const QByteArray secret = fixture.path() + "secret";
        const QByteArray link = shared + "/out.json";
        QVERIFY(::mkdir(shared.constData(), 0777) == 0 && ::chmod(shared.constData(), 01777) == 0);
        {
            QFile file(QFile::decodeName(secret));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("secret\n");
        }
        QVERIFY(::chmod(secret.constData(), 0600) == 0);
        const auto makeLink = [&] { return ::symlink(secret.constData(), link.constData()) == 0 ? std::optional<QByteArray>("") : std::nullopt; };
        if (byAnotherUser) {
            QVERIFY(runInChild([&]() -> std::optional<QByteArray> {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    return std::nullopt;
                return makeLink();
            }));
        } else {
            QVERIFY(makeLink());
        }

        const Run exported = run({QStringLiteral("--export"), QFile::decodeName(link), m_folder});
        struct stat status {};
        QVERIFY(::stat(secret.constData(), &status) == 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0600));
        if (byAnotherUser) {
            QCOMPARE(exported.exitCode, 1);
            QCOMPARE(exported.err, "zorvik-kavrona: cannot write " + link
                                       + ": a link made by another user in a folder that user does not own is not followed\n");
            QCOMPARE(contents(secret), QByteArray("secret\n"));
            return;
        }
        QCOMPARE(exported.exitCode, 0);
        QVERIFY(isExport(contents(secret)));
        QFileInfo stillALink(QFile::decodeName(link));
        QVERIFY(stillALink.isSymLink());
    }

    // A file replaced keeps its owner, group and mode; one with other names is written
    // into, so that every name sees the export.
    void aReplacedFileKeepsItsOwnerModeAndNames_data()
    {
        QTest::addColumn<int>("names");
        QTest::newRow("one name") << 1;
        QTest::newRow("two names") << 2;
    }

    void aReplacedFileKeepsItsOwnerModeAndNames()
    {
        QFETCH(int, names);
        FixtureTree fixture;
        const QByteArray file = fixture.path() + "out.json";
        const QByteArray other = fixture.path() + "other.json";
        {
            QFile old(QFile::decodeName(file));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old\n");
        }
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::chown(file.constData(), 1234, 5678) == 0);
        QVERIFY(::chmod(file.constData(), 0640) == 0);
        if (names == 2)
            QVERIFY(::link(file.constData(), other.constData()) == 0);
        struct stat before {};
        QVERIFY(::stat(file.constData(), &before) == 0);

        const Run exported = run({QStringLiteral("--export"), QFile::decodeName(file), m_folder});
        QCOMPARE(exported.err, QByteArray());
        QCOMPARE(exported.exitCode, 0);
        struct stat after {};
        QVERIFY(::stat(file.constData(), &after) == 0);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode, before.st_mode);
        QVERIFY(isExport(contents(file)));
        if (names == 2) {
            QCOMPARE(after.st_ino, before.st_ino);
            QCOMPARE(after.st_nlink, nlink_t(2));
            QCOMPARE(contents(other), contents(file));
        }
        // Nothing else is left beside it.
        QCOMPARE(QDir(QFile::decodeName(fixture.path())).entryList(QDir::Files | QDir::Hidden).size(), names);
    }

    // Every write, the flush and the close are checked: a failure names the output and
    // exits with 1, however small the export.
    void aFailedWriteIsToldAndExitsWithOne_data()
    {
        QTest::addColumn<QString>("shellLine"); // $0 the program, $1 the folder, $2 a device made as /dev/full
        QTest::addColumn<QByteArray>("said");   // "%2": $2
        QTest::newRow("a full device as the file") << "exec \"$0\" --export \"$2\" \"$1\""
                                                   << QByteArray("zorvik-kavrona: cannot write %2: No space left on device\n");
        QTest::newRow("standard output on /dev/full") << "exec \"$0\" --export - \"$1\" > /dev/full"
                                                      << QByteArray("zorvik-kavrona: cannot write standard output: No space left on device\n");
        QTest::newRow("standard output closed") << "exec \"$0\" --export - \"$1\" >&-"
                                                << QByteArray("zorvik-kavrona: cannot write standard output: it is closed\n");
        QTest::newRow("a folder for the file") << "exec \"$0\" --export / \"$1\""
                                               << QByteArray("zorvik-kavrona: cannot write /: Is a directory\n");
    }

    void aFailedWriteIsToldAndExitsWithOne()
    {
        QFETCH(QString, shellLine);
        QFETCH(QByteArray, said);
        QTemporaryDir folder;
        const QString full = folder.filePath(QStringLiteral("full"));
        if (shellLine.contains(QStringLiteral("$2")) && ::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            QSKIP("making a device needs root");
        said.replace("%2", QFile::encodeName(full));
        const Run exported = runInShell(shellLine, {m_folder, full});
        QCOMPARE(exported.err, said);
        QCOMPARE(exported.exitCode, 1);
    }

    // With SIGPIPE ignored, the first write into a pipe whose reader has gone ends the
    // export and says so.
    void aClosedPipeEndsTheExport()
    {
        FixtureTree fixture;
        makeManyFiles(fixture, 2000);
        const Run exported = runInShell(QStringLiteral("trap '' PIPE; \"$0\" --export - \"$1\" | head -c 100 > /dev/null; exit ${PIPESTATUS[0]}"),
                                        {QString::fromLocal8Bit(fixture.path() + "many")});
        QCOMPARE(exported.err, QByteArray("zorvik-kavrona: cannot write standard output: Broken pipe\n"));
        QCOMPARE(exported.exitCode, 1);
    }

    // A file system that fills up during the export, as a file or through standard
    // output: told, and no file left half-written.
    void aFullFileSystem_data()
    {
        QTest::addColumn<bool>("throughOutput");
        QTest::newRow("the file named") << false;
        QTest::newRow("standard output") << true;
    }

    void aFullFileSystem()
    {
        QFETCH(bool, throughOutput);
        FixtureTree fixture;
        makeManyFiles(fixture, 1000);
        const QByteArray small = fixture.path() + "small";
        QVERIFY(::mkdir(small.constData(), 0755) == 0);
        const QByteArray output = small + "/out.json";
        const std::optional<QByteArray> result = runInChild([&]() -> std::optional<QByteArray> {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || ::mount("tmpfs", small.constData(), "tmpfs", 0, "size=32k") != 0)
                return QByteArray("skip: ") + std::strerror(errno);
            const QList<QByteArray> arguments{"--export", throughOutput ? "-" : output, fixture.path() + "many"};
            std::optional<QByteArray> said = runForked(arguments, throughOutput ? output : QByteArray());
            if (said && !throughOutput)
                *said += "left: " + QDir(QFile::decodeName(small)).entryList(QDir::Files | QDir::Hidden).join(u' ').toLocal8Bit() + "\n";
            return said;
        });
        QVERIFY(result);
        if (result->startsWith("skip: "))
            QSKIP(qPrintable("no private tmpfs here: " + *result));
        const QByteArray named = throughOutput ? QByteArray("standard output") : output;
        QByteArray expected = "exit 1\nzorvik-kavrona: cannot write " + named + ": No space left on device\n";
        if (!throughOutput)
            expected += "left: \n";
        QCOMPARE(*result, expected);
    }

    // Out of memory is an error like any other: told, exit 1, nothing left behind.
    void runningOutOfMemory_data()
    {
        QTest::addColumn<QString>("what"); // "export" or "import"
        QTest::newRow("an export") << "export";
        QTest::newRow("an import") << "import";
    }

    void runningOutOfMemory()
    {
        QFETCH(QString, what);
        FixtureTree fixture;
        const QString file = QString::fromLocal8Bit(fixture.path()) + "out.json";
        const QProcessEnvironment limited = AllocationLimit::environment(1 << 20);
        if (what == "export") {
            // One folder's listing of 40,000 names takes more than a megabyte.
            makeManyFiles(fixture, 40000);
            const Run exported = run({QStringLiteral("--export"), file, QString::fromLocal8Bit(fixture.path() + "many")}, {}, limited);
            QCOMPARE(exported.err, "zorvik-kavrona: export of " + fixture.path() + "many/ failed: not enough memory\n");
            QCOMPARE(exported.exitCode, 1);
            QVERIFY(!QFile::exists(file));
            return;
        }
        // 100,000 folders take more than a megabyte to hold.
        QVERIFY(writeWideExport(file, 100000));
        const Run imported = run({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--import"), file}, {}, limited);
        QCOMPARE(imported.err, "zorvik-kavrona: " + file.toLocal8Bit() + ": not enough memory to import it\n");
        QCOMPARE(imported.exitCode, 1);
    }
};

ZK_TEST_GUILESS_MAIN(TestExportTargets)
#include "tst_export_targets.moc"
