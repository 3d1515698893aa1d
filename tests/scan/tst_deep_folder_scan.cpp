#include "exchange/folder_export.h"
#include "exchange/import_job.h"
#include "platform/posix_folder_enumerator.h"
#include "scan/scan_control.h"
#include "support/child_process.h"
#include "support/fixture_tree.h"
#include "support/scan_records.h"
#include "support/test_main.h"

#include <QTemporaryFile>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records under full paths. Hashed: deep paths share long beginnings, which makes
// ordered comparisons slow.
using FullRecords = QHash<QByteArray, QString>;

// A chain of folders made by FixtureTree::makeDeepChain below a folder of the tree.
struct Chain {
    QByteArray folder; // relative to the tree, ending in "/"
    int depth;
    QByteArray name;
    quint64 bottom;
    quint64 along;

    quint64 total() const { return bottom + along * quint64(depth); }

    void addRecords(FullRecords &records, const QByteArray &root) const
    {
        QByteArray path = root + folder;
        records.insert(path, "1" + QString::number(total()));
        for (int level = 1; level <= depth; ++level) {
            path += name + '/';
            const quint64 below = bottom + along * quint64(depth - level + 1);
            records.insert(path, (level < depth ? "1" : "0") + QString::number(below));
        }
    }
};

using Chains = QList<Chain>;

FullRecords expectedRecords(const Chains &chains, const QByteArray &root)
{
    FullRecords records;
    quint64 total = 0;
    for (const Chain &chain : chains) {
        chain.addRecords(records, root);
        total += chain.total();
    }
    records.insert(root, (chains.isEmpty() ? "0" : "1") + QString::number(total));
    return records;
}

bool sameRecords(const SizeCache &cache, const FullRecords &expected)
{
    if (cache.count() != expected.size())
        return false;
    for (int position = 1; position <= cache.count(); ++position) {
        if (expected.value(cache.keyAt(position)) != *cache.itemAt(position))
            return false;
    }
    return true;
}

// What differs between a cache and the records of a chain `depth` deep named "d" below
// root + "chain/", with a file of 7 bytes at its bottom; empty when nothing does. The
// records come deepest first, as a scan stores them, so each one's text is known by its
// position; paths are checked at a spread of positions, each as the deepest path cut
// after its level, and looked up by path there too.
QByteArray chainMismatch(const SizeCache &cache, const QByteArray &root, int depth)
{
    const int count = depth + 2; // the levels, "chain" and the root
    if (cache.count() != count)
        return "records: " + QByteArray::number(cache.count());
    const auto expectedAt = [](int position) { return position == 1 ? QStringLiteral("07") : QStringLiteral("17"); };
    for (int position = 1; position <= count; ++position) {
        if (cache.itemAt(position) != expectedAt(position))
            return "the record at " + QByteArray::number(position);
    }
    QByteArray deepest = root + "chain/";
    for (int level = 0; level < depth; ++level)
        deepest += "d/";
    for (int position = 1; position <= count; position += position < count - 3 ? 997 : 1) {
        const QByteArray path = position == count ? root : deepest.left(deepest.size() - 2 * (position - 1));
        if (cache.keyAt(position) != path)
            return "the path at " + QByteArray::number(position);
        if (cache.item(path) != expectedAt(position))
            return "the record found by the path at " + QByteArray::number(position);
    }
    return {};
}

Chains manyChains(int count, int depth)
{
    Chains chains;
    for (int i = 0; i < count; ++i)
        chains << Chain{"c" + QByteArray::number(i) + "/", depth, "d", 7, 1};
    return chains;
}

} // namespace

Q_DECLARE_METATYPE(Chains)

// Trees deeper and with longer paths than the system takes, scanned at several thread
// counts and again and again: every run leaves the same, exact records.
class TestDeepFolderScan : public QObject
{
    Q_OBJECT

private slots:
    void exactAtAnyDepthAndThreadCount_data()
    {
        QTest::addColumn<Chains>("chains");
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("descriptorLimit"); // 0: the process's own

        const Chains longPaths{{"long/", 50, QByteArray(200, 'n'), 100, 3}, {"short/", 3, "s", 1, 2}};
        const Chains deep{{"chain/", 5000, "d", 42, 0}};
        const Chains many = manyChains(24, 150);
        for (const int threads : {1, 4, 32}) {
            const QByteArray suffix = threads == 1 ? QByteArray(", one thread") : ", " + QByteArray::number(threads) + " threads";
            QTest::newRow("paths of 10,000 bytes" + suffix) << longPaths << threads << 0;
            QTest::newRow("a chain 5,000 deep" + suffix) << deep << threads << 0;
            QTest::newRow("24 chains under a limit of 64 descriptors" + suffix) << many << threads << 64;
        }
    }

    void exactAtAnyDepthAndThreadCount()
    {
        QFETCH(Chains, chains);
        QFETCH(int, threads);
        QFETCH(int, descriptorLimit);

        FixtureTree tree;
        for (const Chain &chain : chains)
            tree.makeDeepChain(chain.folder.chopped(1), chain.depth, chain.bottom, chain.name, chain.along);
        const QByteArray root = tree.path();
        const FullRecords expected = expectedRecords(chains, root);

        // Says "same" when every run left the expected records, else which did not.
        auto scanFiveTimes = [&]() -> std::optional<QByteArray> {
            if (descriptorLimit > 0) {
                const struct rlimit limit{rlim_t(descriptorLimit), rlim_t(descriptorLimit)};
                if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
                    return std::nullopt;
            }
            PosixFolderEnumerator fileSystem;
            for (int run = 1; run <= 5; ++run) {
                SizeCache cache(pathKeyComparison);
                scanInto(fileSystem, cache, root, threads);
                if (!sameRecords(cache, expected))
                    return "run " + QByteArray::number(run) + " differs";
            }
            return QByteArray("same");
        };
        const std::optional<QByteArray> runs = descriptorLimit > 0 ? runInChild(scanFiveTimes) : scanFiveTimes();
        QVERIFY(runs);
        QCOMPARE(*runs, QByteArray("same"));
    }

    void aChain100000DeepScansAndImportsExactly_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("16 threads") << 16;
    }

    // As deep as real Linux trees go: scanned, exported and imported again, every level
    // keeps its exact record.
    void aChain100000DeepScansAndImportsExactly()
    {
        QFETCH(int, threads);
        constexpr int depth = 100000;
        FixtureTree tree;
        tree.makeDeepChain("chain", depth, 7);
        const QByteArray root = tree.path();
        PosixFolderEnumerator fileSystem;

        SizeCache scanned(pathKeyComparison);
        scanInto(fileSystem, scanned, root, threads);
        QCOMPARE(chainMismatch(scanned, root, depth), QByteArray());

        QTemporaryFile exported;
        QVERIFY(exported.open());
        ScanControl control;
        QString error;
        QVERIFY2(exportFolder(fileSystem, root, exported, control, error, {threads}), qPrintable(error));
        QVERIFY(exported.seek(0));
        ImportJob import(exported, exported.fileName().toLocal8Bit());
        import.run();
        QVERIFY2(import.completed(), qPrintable(import.commandLineMessage(exported.fileName())));
        ImportedRoot imported = import.takeRoot();
        QCOMPARE(imported.rootPath(), root);
        QCOMPARE(imported.total, 7.0);
        QCOMPARE(chainMismatch(imported.records, root, depth), QByteArray());
    }

    void foldersSwappedForLinksDuringParallelScans()
    {
        // Outside the tree: a folder whose bytes and sub-folder would show at once.
        FixtureTree outside;
        outside.make({"huge=1000000000000", "elsewhere/more=1000000000000"});
        FixtureTree tree;
        constexpr int folders = 16;
        for (int i = 0; i < folders; ++i)
            tree.make({"f" + QByteArray::number(i) + "/in/x=10", "f" + QByteArray::number(i) + "/y=5"});
        const QByteArray target = outside.path().chopped(1);

        // Swaps folders for links to the outside folder and back, as fast as it can.
        std::atomic<bool> stop{false};
        std::atomic<int> swaps{0};
        std::thread swapper([&] {
            const int rootFd = ::open(tree.path().constData(), O_RDONLY | O_DIRECTORY);
            for (int round = 0; !stop; ++round) {
                const QByteArray name = "f" + QByteArray::number(round % folders);
                const QByteArray aside = "." + name;
                if (::renameat(rootFd, name.constData(), rootFd, aside.constData()) != 0)
                    continue;
                ::symlinkat(target.constData(), rootFd, name.constData());
                std::this_thread::yield();
                ::unlinkat(rootFd, name.constData(), 0);
                ::renameat(rootFd, aside.constData(), rootFd, name.constData());
                ++swaps;
            }
            ::close(rootFd);
        });

        PosixFolderEnumerator fileSystem;
        const quint64 inside = folders * 15 + folders * quint64(target.size());
        for (int scan = 0; scan < 40; ++scan) {
            const Records records = scanRecords(fileSystem, tree.path(), scan % 2 == 0 ? 4 : 32);
            const quint64 total = records.value("").mid(1).toULongLong();
            QVERIFY2(total <= inside, qPrintable(QString("scan %1 counted %2 bytes").arg(scan).arg(total)));
            for (auto it = records.begin(); it != records.end(); ++it)
                QVERIFY2(!it.key().contains("elsewhere"), it.key().constData());
        }
        stop = true;
        swapper.join();
        QVERIFY(swaps > 0);
    }
};

ZK_TEST_GUILESS_MAIN(TestDeepFolderScan)
#include "tst_deep_folder_scan.moc"
