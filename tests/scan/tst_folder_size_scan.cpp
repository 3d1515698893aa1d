#include "platform/mount_table.h"
#include "platform/posix_folder_enumerator.h"
#include "scan/folder_size_scan.h"
#include "scan/parallel_folder_size_scan.h"
#include "support/child_process.h"
#include "support/faulty_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/pseudo_file_systems.h"
#include "support/scan_records.h"
#include "support/test_main.h"

#include <QMap>
#include <QProcess>

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The scan under test: the single-threaded one, or the parallel one with that many
// threads. Both must leave the same records.
double runScan(FolderEnumerator &enumerator, SizeCache &cache, const QByteArray &root, bool &hasSubFolders)
{
    QFETCH_GLOBAL(int, threads);
    if (threads == 1)
        return FolderSizeScan(enumerator, cache).GetFolderSize(root, hasSubFolders);
    return ParallelFolderSizeScan(enumerator, cache, threads).GetFolderSize(root, hasSubFolders);
}

struct ScanResult {
    double total = 0;
    bool hasSubFolders = false;
    Records records;
    QList<QByteArray> order; // the cache's keys by position
};

ScanResult scan(FolderEnumerator &enumerator, const QByteArray &root)
{
    SizeCache cache(pathKeyComparison);
    ScanResult result;
    result.total = runScan(enumerator, cache, root, result.hasSubFolders);
    result.records = recordsBelow(cache, root);
    for (int position = 1; position <= cache.count(); ++position)
        result.order << cache.keyAt(position);
    return result;
}

// The total and the records, for passing out of a child process.
QByteArray serialized(const ScanResult &result)
{
    return QByteArray::number(qint64(result.total)) + '\n' + serialized(result.records);
}

// Lists through the real file system, and right after listing one folder removes one
// of its sub-folders: a folder that disappears while the scan is under way.
class VanishingFolderEnumerator final : public FolderEnumerator
{
public:
    VanishingFolderEnumerator(FolderEnumerator &real, QByteArray parent, QByteArray victim)
        : m_real(real), m_parent(std::move(parent)), m_victim(std::move(victim))
    {
    }

    std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) override
    {
        return std::make_unique<Walk>(*this, m_real.startWalk(rootPath));
    }

private:
    class Walk final : public FolderWalk
    {
    public:
        Walk(VanishingFolderEnumerator &owner, std::unique_ptr<FolderWalk> real) : m_owner(owner), m_real(std::move(real)) {}

        bool list(const QByteArray &folderPath, EntryDetail detail, FolderListing &listing) override
        {
            const bool listed = m_real->list(folderPath, detail, listing);
            if (folderPath == m_owner.m_parent)
                QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QString::fromLocal8Bit(m_owner.m_victim)});
            return listed;
        }

    private:
        VanishingFolderEnumerator &m_owner;
        std::unique_ptr<FolderWalk> m_real;
    };

    FolderEnumerator &m_real;
    QByteArray m_parent;
    QByteArray m_victim;
};

} // namespace

class TestFolderSizeScan : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("three threads") << 3;
    }

    void addsUpTheTree_data()
    {
        QTest::addColumn<QList<QByteArray>>("layout");
        QTest::addColumn<double>("total");
        QTest::addColumn<Records>("records");

        QTest::newRow("empty folder") << QList<QByteArray>{} << 0.0 << Records{{"", "00"}};
        QTest::newRow("files only") << QList<QByteArray>{"a=100", "b=200", "c=300"} << 600.0 << Records{{"", "0600"}};
        QTest::newRow("only an empty sub-folder") << QList<QByteArray>{"sub/"} << 0.0 << Records{{"", "10"}, {"sub/", "00"}};
        QTest::newRow("nested")
            << QList<QByteArray>{"a/x=1000", "a/b/y=24", "z=3"} << 1027.0
            << Records{{"", "11027"}, {"a/", "11024"}, {"a/b/", "024"}};
        QTest::newRow("a dot file adds nothing") << QList<QByteArray>{".hidden=500", "a=10"} << 10.0 << Records{{"", "010"}};
        QTest::newRow("a dot folder adds nothing and leaves the flag 0")
            << QList<QByteArray>{".git/objects/x=1000", ".git/y=5"} << 0.0 << Records{{"", "00"}};
        QTest::newRow("dot folder beside a real one")
            << QList<QByteArray>{".cache/x=1000", "real/y=5"} << 5.0 << Records{{"", "15"}, {"real/", "05"}};
        QTest::newRow("sparse files of 3,000,000,000 and 5,368,709,120 bytes")
            << QList<QByteArray>{"a/big=3000000000", "b/huge=5368709120"} << 8368709120.0
            << Records{{"", "18368709120"}, {"a/", "03000000000"}, {"b/", "05368709120"}};
        QTest::newRow("a link back to its parent counts as a file of its own length, never followed")
            << QList<QByteArray>{"a/x=1", "a/up->.."} << 3.0 << Records{{"", "13"}, {"a/", "03"}};
        QTest::newRow("a link to a folder is no sub-folder")
            << QList<QByteArray>{"real/x=7", "link->real"} << 11.0 << Records{{"", "111"}, {"real/", "07"}};
        QTest::newRow("Data and data are siblings with a record each")
            << QList<QByteArray>{"Data/x=1", "data/y=20"} << 21.0 << Records{{"", "121"}, {"Data/", "01"}, {"data/", "020"}};
        QTest::newRow("a name that is not UTF-8")
            << QList<QByteArray>{"caf\xe9/menu=7", "\xff\xfe=1"} << 8.0 << Records{{"", "18"}, {"caf\xe9/", "07"}};
    }

    void addsUpTheTree()
    {
        QFETCH(QList<QByteArray>, layout);
        QFETCH(double, total);
        QFETCH(Records, records);

        FixtureTree tree;
        tree.make(layout);
        const ScanResult result = scan(m_fileSystem, tree.path());
        QCOMPARE(result.total, total);
        QCOMPARE(result.records, records);
        QCOMPARE(result.hasSubFolders, records.value("").startsWith('1'));
        // Key for key and position for position, whichever scan ran.
        SizeCache singleThreaded(pathKeyComparison);
        bool hasSubFolders = false;
        FolderSizeScan(m_fileSystem, singleThreaded).GetFolderSize(tree.path(), hasSubFolders);
        for (int position = 1; position <= singleThreaded.count(); ++position)
            QCOMPARE(result.order.value(position - 1), singleThreaded.keyAt(position));
    }

    void storesEachFolderAfterTheFoldersBelowIt()
    {
        FixtureTree tree;
        tree.make({"a/b/c/x=1", "a/d/y=2", "e/z=3"});
        SizeCache cache(pathKeyComparison);
        bool hasSubFolders = false;
        QCOMPARE(runScan(m_fileSystem, cache, tree.path(), hasSubFolders), 6.0);

        QMap<QByteArray, int> position;
        for (int i = 1; i <= cache.count(); ++i)
            position[cache.keyAt(i).mid(tree.path().size())] = i;
        QCOMPARE(position.size(), 6);
        QCOMPARE(position[""], 6);
        QVERIFY(position["a/b/c/"] < position["a/b/"]);
        QVERIFY(position["a/b/"] < position["a/"]);
        QVERIFY(position["a/d/"] < position["a/"]);
        QVERIFY(position["e/"] < position[""]);
    }

    void aFolderThatCannotBeListedCountsAsEmpty()
    {
        FixtureTree tree;
        tree.make({"ok/a=5", "locked/b=100", "locked/inner/c=1000"});
        FaultyFolderEnumerator faulty(m_fileSystem, {tree.path() + "locked/"});
        const ScanResult result = scan(faulty, tree.path());
        QCOMPARE(result.total, 5.0);
        // The parent still saw a folder: its flag is 1 and it adds 0 for it.
        QCOMPARE(result.records, (Records{{"", "15"}, {"ok/", "05"}, {"locked/", "00"}}));
    }

    void aFolderWithoutReadPermissionCountsAsEmpty()
    {
        FixtureTree tree;
        tree.make({"ok/a=5", "locked/b=100"});
        QVERIFY(::chmod((tree.path() + "locked").constData(), 0) == 0);
        const QByteArray root = tree.path();
        // Root reads every folder, so the scan runs as nobody in a child process.
        const std::optional<QByteArray> output = runAsNobodyInChild([&]() -> QByteArray {
            PosixFolderEnumerator fileSystem;
            return serialized(scan(fileSystem, root));
        });
        QVERIFY(output);
        QCOMPARE(*output, QByteArray("5\n=15\nlocked/=00\nok/=05\n"));
    }

    void aFolderThatDisappearsDuringTheScan()
    {
        FixtureTree tree;
        tree.make({"keep/a=5", "gone/b=100", "gone/deeper/c=1000"});
        VanishingFolderEnumerator vanishing(m_fileSystem, tree.path(), tree.path() + "gone");
        const ScanResult result = scan(vanishing, tree.path());
        QCOMPARE(result.total, 5.0);
        QCOMPARE(result.records, (Records{{"", "15"}, {"keep/", "05"}, {"gone/", "00"}}));
    }

    void countsTheFilesItAddsUp()
    {
        FixtureTree tree;
        tree.make({"a=1", ".hidden=1", "b/c=1", "b/d/e=1", "link->a"});
        SizeCache one(pathKeyComparison);
        SizeCache many(pathKeyComparison);
        FolderSizeScan single(m_fileSystem, one);
        ParallelFolderSizeScan parallel(m_fileSystem, many, 3);
        bool hasSubFolders = false;
        single.GetFolderSize(tree.path(), hasSubFolders);
        parallel.GetFolderSize(tree.path(), hasSubFolders);
        QCOMPARE(single.filesCounted(), 4);
        QCOMPARE(parallel.filesCounted(), 4);
    }

    void aRootThatCannotBeListed()
    {
        FixtureTree tree;
        const QByteArray missing = tree.path() + "missing/";
        const ScanResult result = scan(m_fileSystem, missing);
        QCOMPARE(result.total, 0.0);
        QVERIFY(!result.hasSubFolders);
        QCOMPARE(result.records, (Records{{"", "00"}}));
    }

    void aRepeatedPathKeepsItsFirstRecord()
    {
        FixtureTree tree;
        tree.make({"a=10"});
        SizeCache cache(pathKeyComparison);
        bool hasSubFolders = false;
        QCOMPARE(runScan(m_fileSystem, cache, tree.path(), hasSubFolders), 10.0);
        tree.make({"b=20"});
        QCOMPARE(runScan(m_fileSystem, cache, tree.path(), hasSubFolders), 30.0);
        QCOMPARE(cache.count(), 1);
        QCOMPARE(*cache.item(tree.path()), QStringLiteral("010"));
    }

    void aVeryDeepTree()
    {
        // Deeper than any path the system takes and than the folders a process may
        // keep open at once.
        constexpr int depth = 5000;
        FixtureTree tree;
        tree.makeDeepChain("chain", depth, 42);
        SizeCache cache(pathKeyComparison);
        bool hasSubFolders = false;
        QCOMPARE(runScan(m_fileSystem, cache, tree.path(), hasSubFolders), 42.0);
        QVERIFY(hasSubFolders);
        QCOMPARE(cache.count(), depth + 2);
        QCOMPARE(*cache.itemAt(1), QStringLiteral("042"));
        QCOMPARE(*cache.item(tree.path() + "chain/"), QStringLiteral("142"));
    }

    void aDeepTreeWithFilesBesideEveryLevel()
    {
        // Going back up past folders closed on the way down, each level still has a
        // sibling to add up.
        constexpr int depth = 300;
        FixtureTree tree;
        QByteArray level;
        for (int i = 0; i < depth; ++i) {
            tree.make({level + "leaf/x=1", level + "y=2"});
            level += "deeper/";
        }
        tree.makeFolder(level);
        const ScanResult result = scan(m_fileSystem, tree.path());
        QCOMPARE(result.total, 3.0 * depth);
        QCOMPARE(result.records.size(), 2 * depth + 1);
        QCOMPARE(result.records.value(""), QString("1" + QString::number(3 * depth)));
    }

    void aBindMountLoopCountsAsEmpty()
    {
        FixtureTree tree;
        tree.make({"a/x=5", "a/loop/"});
        const QByteArray root = tree.path();
        // The loop lives in a private mount namespace, gone when the child ends.
        const std::optional<QByteArray> output = runInChild([&]() -> std::optional<QByteArray> {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return QByteArray("unsupported");
            if (::mount(root.constData(), (root + "a/loop").constData(), nullptr, MS_BIND, nullptr) != 0)
                return QByteArray("unsupported");
            PosixFolderEnumerator fileSystem;
            // Chosen as the root itself, the bind mount is scanned like any folder.
            return serialized(scan(fileSystem, root)) + "\n" + serialized(scan(fileSystem, root + "a/loop/"));
        });
        QVERIFY(output);
        if (*output == "unsupported")
            QSKIP("no bind mounts here (needs root)");
        QCOMPARE(*output, QByteArray("5\n=15\na/=15\na/loop/=00\n\n5\n=15\na/=15\na/loop/=00\n"));
    }

    void kernelPseudoFileSystemsCountAsEmpty_data()
    {
        addPseudoFileSystemRows();
    }

    void kernelPseudoFileSystemsCountAsEmpty()
    {
        QFETCH(QByteArray, folder);
        if (!MountTable::read().isOnPseudoFileSystem(folder.chopped(1)))
            QSKIP("no kernel pseudo file system there on this machine");
        const ScanResult result = scan(m_fileSystem, folder);
        QCOMPARE(result.total, 0.0);
        QCOMPARE(result.records, (Records{{"", "00"}}));
    }
};

ZK_TEST_GUILESS_MAIN(TestFolderSizeScan)
#include "tst_folder_size_scan.moc"
