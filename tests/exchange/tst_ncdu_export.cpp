#include "exchange/folder_export.h"
#include "exchange/imported_folder_enumerator.h"
#include "exchange/imported_tree.h"
#include "platform/posix_folder_enumerator.h"
#include "scan/folder_scan_job.h"
#include "scan/scan_control.h"
#include "support/child_process.h"
#include "support/export_text.h"
#include "support/faulty_folder_enumerator.h"
#include "support/gated_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/scan_records.h"
#include "support/test_main.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>

#include <atomic>
#include <optional>
#include <utility>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Takes so many bytes, then fails every write, as a full disk or a closed pipe does.
class FillingDevice final : public QIODevice
{
public:
    explicit FillingDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (size > m_room) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_room -= size;
        return size;
    }

private:
    qint64 m_room;
};

// Counts the folders its walks list.
class CountingFolderEnumerator final : public FolderEnumerator
{
public:
    explicit CountingFolderEnumerator(FolderEnumerator &inner) : m_inner(inner) {}

    std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) override
    {
        struct Walk final : FolderWalk {
            std::unique_ptr<FolderWalk> inner;
            std::atomic<int> *listed;
            bool list(const QByteArray &path, EntryDetail detail, FolderListing &listing) override
            {
                ++*listed;
                return inner->list(path, detail, listing);
            }
        };
        auto walk = std::make_unique<Walk>();
        walk->inner = m_inner.startWalk(rootPath);
        walk->listed = &listed;
        return walk;
    }

    std::atomic<int> listed{0};

private:
    FolderEnumerator &m_inner;
};


// What exportFolder wrote, without the time it was written at; empty when it failed.
QByteArray exportedText(FolderEnumerator &fileSystem, const QByteArray &rootPath, ExportWalk walk)
{
    QBuffer exported;
    exported.open(QIODevice::WriteOnly);
    ScanControl control;
    QString error;
    if (!exportFolder(fileSystem, rootPath, exported, control, error, walk))
        return {};
    return undatedExport(exported.data());
}

} // namespace

// Scan here, view elsewhere: what the export writes reads back as the same tree, here
// and in ncdu.
class TestNcduExport : public QObject
{
    Q_OBJECT

private slots:
    // However many threads list, and however little they may hold ahead of the writing,
    // the export is the one a single thread writes, byte for byte.
    void theThreadsChangeNothing_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<qsizetype>("heldBytes");
        QTest::newRow("4 threads") << 4 << (qsizetype(64) << 20);
        QTest::newRow("16 threads") << 16 << (qsizetype(64) << 20);
        QTest::newRow("16 threads holding one file at most") << 16 << qsizetype(1);
        QTest::newRow("3 threads holding a few files") << 3 << qsizetype(1000);
    }

    void theThreadsChangeNothing()
    {
        QFETCH(int, threads);
        QFETCH(qsizetype, heldBytes);
        FixtureTree fixture;
        QList<QByteArray> layout{"own=7", ".hidden/x=3", "link->a"};
        for (int a = 0; a < 6; ++a) {
            for (int b = 0; b < 6; ++b) {
                for (int c = 0; c < 4; ++c)
                    layout << "a" + QByteArray::number(a) + "/b" + QByteArray::number(b) + "/c" + QByteArray::number(c)
                            + "/f" + QByteArray::number(a * 100 + b * 10 + c) + "=" + QByteArray::number(a * b + c);
                layout << "a" + QByteArray::number(a) + "/b" + QByteArray::number(b) + "/g=" + QByteArray::number(b);
            }
        }
        fixture.make(layout);
        fixture.makeDeepChain("deep", 300, 11, "d", 2);
        PosixFolderEnumerator here;
        FaultyFolderEnumerator source(here, {fixture.path() + "a2/", fixture.path() + "a4/b1/c3/"});

        const QByteArray single = exportedText(source, fixture.path(), {1});
        QVERIFY(single.contains("\"read_error\":true"));
        QVERIFY(single.contains("{\"name\":\"f543\",\"asize\":23,"));
        for (int run = 0; run < 3; ++run)
            QCOMPARE(exportedText(source, fixture.path(), {threads, heldBytes}), single);
    }

    // A stop asked for while the threads list ends the export as not written.
    void aStopEndsTheThreadedExport()
    {
        FixtureTree fixture;
        fixture.make({"a/x=1", "b/c/y=2", "b/d/z=3", "e/w=4"});
        PosixFolderEnumerator here;
        GatedFolderEnumerator gated(here, fixture.path() + "b/d/");
        QBuffer exported;
        exported.open(QIODevice::WriteOnly);
        ScanControl control;
        QString error;
        bool written = true;
        std::thread exporting([&] { written = exportFolder(gated, fixture.path(), exported, control, error, {8}); });
        QTRY_VERIFY(gated.reached());
        control.requestCancel();
        gated.open();
        exporting.join();
        QVERIFY(!written);
        QCOMPARE(error, QStringLiteral("中止しました"));
    }

    void aRoundTripGivesTheScansRecords_data()
    {
        QTest::addColumn<QList<QByteArray>>("layout");
        QTest::addColumn<QByteArrayList>("unreadable");
        QTest::newRow("a name that is not UTF-8") << QList<QByteArray>{"caf\xe9/n\xff=12", "a\"quote\\back/x=1", "tab\tname=3"} << QByteArrayList();
        QTest::newRow("a hard link") << QList<QByteArray>{"docs/d=5000"} << QByteArrayList();
        QTest::newRow("a symbolic link") << QList<QByteArray>{"Data/x=100", "link->Data"} << QByteArrayList();
        QTest::newRow("dot names") << QList<QByteArray>{".hidden/x=77", ".dot=5", "shown=2"} << QByteArrayList();
        QTest::newRow("an empty folder") << QList<QByteArray>{"empty/", "full/x=1"} << QByteArrayList();
        QTest::newRow("an unreadable folder") << QList<QByteArray>{"locked/x=9", "open/y=4"} << QByteArrayList{"locked/"};
    }

    void aRoundTripGivesTheScansRecords()
    {
        QFETCH(QList<QByteArray>, layout);
        QFETCH(QByteArrayList, unreadable);
        FixtureTree fixture;
        fixture.make(layout);
        if (QTest::currentDataTag() == QByteArrayView("a hard link"))
            QVERIFY(::link((fixture.path() + "docs/d").constData(), (fixture.path() + "docs/hard").constData()) == 0);
        PosixFolderEnumerator here;
        QByteArrayList failing;
        for (const QByteArray &relative : unreadable)
            failing << fixture.path() + relative;
        FaultyFolderEnumerator source(here, failing);

        QBuffer exported;
        exported.open(QIODevice::WriteOnly);
        ScanControl control;
        QString error;
        QVERIFY2(exportFolder(source, fixture.path(), exported, control, error), qPrintable(error));
        exported.close();
        exported.open(QIODevice::ReadOnly);
        const ImportedTree::Outcome outcome = ImportedTree::read(exported);
        QVERIFY2(outcome.tree, outcome.error ? qPrintable(outcome.error->message()) : "no tree");
        ImportedFolderEnumerator imported(*outcome.tree);
        QCOMPARE(serialized(scanRecords(imported, fixture.path(), 1)), serialized(scanRecords(source, fixture.path(), 1)));
    }

    // What ncdu and gdu read of a file's disk usage and hard links in our export is what
    // they find on disk themselves: ncdu writes each file again exactly as its own scan
    // does, and gdu shows the same total disk usage as its own scan.
    void thePeersReadDiskUsageAsTheirOwnScanFindsIt()
    {
        FixtureTree fixture;
        fixture.make({"tree/docs/", "tree/media/sparse=3000000", "tree/empty/"});
        const QByteArray tree = fixture.path() + "tree/";
        for (const auto &[name, bytes] : {std::pair{"docs/a", 5000}, {"docs/b", 20000}, {"media/c", 70000}}) {
            QFile file(QString::fromLocal8Bit(tree + name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(bytes, 'x')) == bytes);
        }
        QVERIFY(::link((tree + "docs/a").constData(), (tree + "docs/a-again").constData()) == 0);
        QVERIFY(::link((tree + "docs/b").constData(), (tree + "media/b-elsewhere").constData()) == 0);
        const QString ours = QString::fromLocal8Bit(fixture.path()) + "ours.json";
        QProcess program;
        program.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), ours, QString::fromLocal8Bit(tree)});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);

        // A file's line as ncdu writes it, whoever wrote the export ncdu read.
        const auto ncduFileLines = [](const QStringList &arguments) {
            QProcess ncdu;
            ncdu.start(QStringLiteral("ncdu"), arguments + QStringList{QStringLiteral("-o"), QStringLiteral("-")});
            ncdu.waitForFinished(60000);
            QStringList files;
            for (const QByteArray &line : ncdu.readAllStandardOutput().split('\n')) {
                const QByteArray item = line.trimmed().startsWith(',') ? line.trimmed().mid(1) : line.trimmed();
                if (item.startsWith("{\"name\""))
                    files << QString::fromUtf8(item.left(item.indexOf('}') + 1));
            }
            files.sort();
            return files;
        };
        const QStringList fromOurs = ncduFileLines({QStringLiteral("-f"), ours});
        QCOMPARE(fromOurs.size(), 6);
        QCOMPARE(fromOurs, ncduFileLines({QString::fromLocal8Bit(tree)}));

        struct stat folder {};
        QVERIFY(::stat(tree.constData(), &folder) == 0);
        // gdu takes a folder missing from an export for 4 KiB, as a folder takes on most
        // disks; its own scan counts the folders' own blocks.
        if (folder.st_blocks * 512 != 4096)
            QSKIP("folders here do not take 4 KiB, as gdu takes them to in an export");
        // The total: which folder of two a hard link counts in is, on gdu's own scan, up to
        // which of its threads comes first.
        const auto gduShows = [](const QStringList &arguments) {
            QProcess gdu;
            gdu.start(QStringLiteral("gdu"), arguments + QStringList{QStringLiteral("-n"), QStringLiteral("-p"), QStringLiteral("-s")});
            gdu.waitForFinished(60000);
            return gdu.readAllStandardOutput();
        };
        const QByteArray shown = gduShows({QStringLiteral("-f"), ours});
        QVERIFY2(!shown.isEmpty() && !shown.contains(" 0 B "), shown.constData());
        QCOMPARE(shown, gduShows({QString::fromLocal8Bit(tree)}));
    }

    // Five sparse files of 4 EiB in one folder (tmpfs takes them) add up to 20 EiB, past
    // 2^64: the scans at one thread and at four, and the import of the export, all say
    // 20 EiB, and the export gives each file its own length.
    void filesAddingUpPast2To64KeepTheirTotal()
    {
        FixtureTree fixture;
        const QByteArray root = fixture.path();
        const std::optional<QByteArray> output = runInChild([&]() -> std::optional<QByteArray> {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || ::mount("tmpfs", root.constData(), "tmpfs", 0, nullptr) != 0)
                return QByteArray("unsupported");
            fixture.make({"big/", "empty/"});
            for (int file = 0; file < 5; ++file) {
                const int fd = ::creat((root + "big/f" + QByteArray::number(file)).constData(), 0644);
                const bool sized = fd >= 0 && ::ftruncate(fd, qint64(1) << 62) == 0;
                if (fd >= 0)
                    ::close(fd);
                if (!sized)
                    return QByteArray("unsupported");
            }
            PosixFolderEnumerator here;
            QBuffer exported;
            exported.open(QIODevice::WriteOnly);
            ScanControl control;
            QString error;
            if (!exportFolder(here, root, exported, control, error))
                return "export failed: " + error.toUtf8();
            QBuffer written(&exported.buffer());
            written.open(QIODevice::ReadOnly);
            const ImportedTree::Outcome outcome = ImportedTree::read(written);
            if (!outcome.tree)
                return "import failed: " + (outcome.error ? outcome.error->message().toUtf8() : QByteArray());
            ImportedFolderEnumerator imported(*outcome.tree);
            return serialized(scanRecords(here, root, 1)) + '\n' + serialized(scanRecords(here, root, 4)) + '\n'
                + serialized(scanRecords(imported, root, 1)) + '\n'
                + QByteArray::number(exported.buffer().count("\"asize\":4611686018427387904"));
        });
        QVERIFY(output);
        if (*output == "unsupported")
            QSKIP("no tmpfs mounting here (needs root)");
        const QByteArray records = "=123058430092136939520\nbig/=023058430092136939520\nempty/=00\n";
        QCOMPARE(*output, records + '\n' + records + '\n' + records + "\n5");
    }

    // ncdu loads what the program writes, and reads it out again the same.
    void ncduLoadsTheExport()
    {
        FixtureTree fixture;
        fixture.make({"Data/photos/p=300000", "Data/big=2925738803", "docs/d=5000", "own=1536", "caf\xe9/n\xff=12"});
        const QString file = QString::fromLocal8Bit(fixture.path()) + "ours.json";
        QProcess program;
        program.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), file, QString::fromLocal8Bit(fixture.path() + "Data")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QProcess ncdu;
        const QString again = QString::fromLocal8Bit(fixture.path()) + "again.json";
        ncdu.start(QStringLiteral("ncdu"), {QStringLiteral("-f"), file, QStringLiteral("-o"), again});
        QVERIFY(ncdu.waitForFinished(60000));
        QCOMPARE(ncdu.exitCode(), 0);
        // ncdu ends its run with a bare newline on standard error, and nothing else.
        QVERIFY2(ncdu.readAllStandardError().trimmed().isEmpty(), "ncdu complained");
        QFile ours(file);
        QFile theirs(again);
        QVERIFY(ours.open(QIODevice::ReadOnly) && theirs.open(QIODevice::ReadOnly));
        const ImportedTree::Outcome fromUs = ImportedTree::read(ours);
        const ImportedTree::Outcome fromNcdu = ImportedTree::read(theirs);
        QVERIFY(fromUs.tree && fromNcdu.tree);
        ImportedFolderEnumerator usWalk(*fromUs.tree);
        ImportedFolderEnumerator ncduWalk(*fromNcdu.tree);
        QCOMPARE(serialized(scanRecords(ncduWalk, fixture.path() + "Data/", 1)), serialized(scanRecords(usWalk, fixture.path() + "Data/", 1)));
        QCOMPARE(fromUs.tree->rootPath(), fixture.path() + "Data/");
    }

    // An export that cannot be written leaves nothing behind; one that can leaves only itself.
    void theFileAppearsWholeOrNotAtAll()
    {
        FixtureTree fixture;
        fixture.make({"in/x=1", "out/"});
        const QString failing = QString::fromLocal8Bit(fixture.path()) + "missing/folder/ours.json";
        QProcess program;
        program.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), failing, QString::fromLocal8Bit(fixture.path() + "in")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(!QFile::exists(failing));

        const QString written = QString::fromLocal8Bit(fixture.path()) + "out/ours.json";
        program.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), written, QString::fromLocal8Bit(fixture.path() + "in")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QDir(QString::fromLocal8Bit(fixture.path()) + "out").entryList(QDir::Files | QDir::Hidden), QStringList{"ours.json"});
    }

    // The first write that fails ends the walk: nothing more is listed for an output
    // that takes nothing.
    void aFailedWriteEndsTheWalk_data()
    {
        QTest::addColumn<qint64>("room");
        QTest::newRow("nothing written") << qint64(0);
        QTest::newRow("the first buffer written") << qint64(1 << 16);
    }

    void aFailedWriteEndsTheWalk()
    {
        QFETCH(qint64, room);
        FixtureTree fixture;
        QList<QByteArray> layout;
        const QByteArray longName(100, 'n');
        for (int folder = 0; folder < 200; ++folder) {
            for (int file = 0; file < 40; ++file)
                layout << "f" + QByteArray::number(folder) + "/" + longName + QByteArray::number(file) + "=1";
        }
        fixture.make(layout);
        PosixFolderEnumerator here;
        CountingFolderEnumerator counting(here);
        FillingDevice full(room);
        ScanControl control;
        QString error;
        QVERIFY(!exportFolder(counting, fixture.path(), full, control, error, {1}));
        QCOMPARE(error, QStringLiteral("No space left on device"));
        // A buffer holds a dozen of these folders; the walk went on by one at most.
        QVERIFY2(counting.listed < 40, qPrintable(QString::number(counting.listed)));
    }
};

ZK_TEST_GUILESS_MAIN(TestNcduExport)
#include "tst_ncdu_export.moc"
