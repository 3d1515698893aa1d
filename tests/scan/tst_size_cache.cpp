#include "scan/size_cache.h"
#include "support/test_main.h"

// The size cache keeps a folder as its name below its parent; to whoever reads it, it is
// still a collection of record texts under paths exactly as they were given.
class TestSizeCache : public QObject
{
    Q_OBJECT

private:
    static QStringList contents(const SizeCache &cache)
    {
        QStringList lines;
        for (int position = 1; position <= cache.count(); ++position)
            lines << QString::fromUtf8(cache.keyAt(position)) + '=' + *cache.itemAt(position);
        return lines;
    }

private slots:
    void pathsAreKeptExactlyAsGiven_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("the root") << QByteArray("/");
        QTest::newRow("a folder") << QByteArray("/home/a/");
        QTest::newRow("a doubled separator") << QByteArray("/home//a/");
        QTest::newRow("no closing separator") << QByteArray("/home/a");
        QTest::newRow("relative") << QByteArray("a/b/");
        QTest::newRow("not UTF-8") << QByteArray("/h\xff\xfe/");
    }

    void pathsAreKeptExactlyAsGiven()
    {
        QFETCH(QByteArray, path);
        SizeCache cache(KeyComparison::Exact);
        // Neighbours that share every part but one, or differ by the closing separator.
        QVERIFY(cache.add("/home/a/b/", {false, 1}));
        QVERIFY(cache.add(path, {true, 4096}, unreadableMark));
        QCOMPARE(cache.keyAt(2), path);
        QCOMPARE(cache.item(path), QStringLiteral("14096"));
        QCOMPARE(cache.marks(path), quint8(unreadableMark));
        QVERIFY(!cache.add(path, {false, 7}));
        QCOMPARE(cache.item(path), QStringLiteral("14096"));
        QCOMPARE(cache.count(), 2);
    }

    void lookupsFindOnlyWhatHasARecord_data()
    {
        QTest::addColumn<int>("comparison");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("found"); // empty: nothing
        const int exact = int(KeyComparison::Exact);
        const int folded = int(KeyComparison::CaseInsensitive);
        QTest::newRow("the path") << exact << QByteArray("/Data/Sub/") << "0600";
        QTest::newRow("another case, exactly") << exact << QByteArray("/data/sub/") << "";
        QTest::newRow("another case, without regard to it") << folded << QByteArray("/DATA/sub/") << "0600";
        QTest::newRow("Unicode case, without regard to it") << folded << QByteArray("/Data/Sub/Ä/") << "00";
        QTest::newRow("a part on the way, without a record") << exact << QByteArray("/Data/") << "";
        QTest::newRow("without the closing separator") << exact << QByteArray("/Data/Sub") << "";
        QTest::newRow("below a record") << exact << QByteArray("/Data/Sub/x/") << "";
        QTest::newRow("empty") << exact << QByteArray() << "";
    }

    void lookupsFindOnlyWhatHasARecord()
    {
        QFETCH(int, comparison);
        QFETCH(QByteArray, path);
        QFETCH(QString, found);
        SizeCache cache{KeyComparison(comparison)};
        QVERIFY(cache.add("/Data/Sub/", {false, 600}));
        QVERIFY(cache.add("/Data/Sub/ä/", {false, 0}));
        QCOMPARE(cache.item(path).value_or(QString()), found);
        QCOMPARE(cache.record(path).has_value(), !found.isEmpty());
    }

    void aRescanReplacesWhatLiesAtOrBelowItsFolder()
    {
        SizeCache cache(KeyComparison::Exact);
        for (const char *path : {"/r/a/x/", "/r/a/", "/r/ab/", "/r/b/", "/r/"})
            QVERIFY(cache.add(path, {false, 1}, hiddenNamesMark));
        SizeCache fresh(KeyComparison::Exact);
        QVERIFY(fresh.add("/r/a/y/", {false, 5}));
        QVERIFY(fresh.add("/r/a/", {true, 5}));

        // "/r/ab/" shares the text "/r/a" but is not below "/r/a/".
        QCOMPARE(cache.removeAtOrBelow("/r/a/"), 2);
        QCOMPARE(cache.marks("/r/a/x/"), quint8(0));
        cache.addAll(fresh);
        QVERIFY(cache.update("/r/", {true, 10}));
        QVERIFY(!cache.update("/r/a/x/", {true, 10}));
        QCOMPARE(contents(cache), (QStringList{"/r/ab/=01", "/r/b/=01", "/r/=110", "/r/a/y/=05", "/r/a/=15"}));
        QCOMPARE(cache.removeAtOrBelow("/nowhere/"), 0);
    }

    // A folder's own files are kept as its scan counted them, whatever happens to the
    // total: a rescan below updates the total, not them.
    void ownFilesAreKeptAsCounted()
    {
        SizeCache cache(KeyComparison::Exact);
        const SizeCache::Folder root = cache.folder("/r/");
        QVERIFY(cache.addRecord(cache.subFolder(root, "leaf"), {false, 5}, 0, 5.0));
        QVERIFY(cache.addRecord(cache.subFolder(root, "bare"), {true, 0}, 0, 0.0));
        QVERIFY(cache.addRecord(root, {true, 8}, 0, 3.0));
        QVERIFY(cache.add("/told/", {true, 9}));
        QCOMPARE(cache.ownFilesSize("/r/leaf/"), std::optional<double>(5));
        QCOMPARE(cache.ownFilesSize("/r/bare/"), std::optional<double>(0));
        QCOMPARE(cache.ownFilesSize("/r/"), std::optional<double>(3));
        QCOMPARE(cache.ownFilesSize("/told/"), std::nullopt);
        QCOMPARE(cache.ownFilesSize("/nowhere/"), std::nullopt);

        QVERIFY(cache.update("/r/", {true, 100}));
        QCOMPARE(cache.ownFilesSize("/r/"), std::optional<double>(3));
        SizeCache apart(KeyComparison::Exact);
        apart.addAll(cache);
        QCOMPARE(apart.ownFilesSize("/r/"), std::optional<double>(3));
        QCOMPARE(apart.ownFilesSize("/told/"), std::nullopt);
        QCOMPARE(cache.removeAtOrBelow("/r/"), 3);
        QCOMPARE(cache.ownFilesSize("/r/"), std::nullopt);
    }

    // A baseline and a current scan keep their records apart over one set of names: a
    // name made by either is there once, and has a record only where one was added.
    void twoCachesShareNamesAndNothingElse()
    {
        auto names = std::make_shared<FolderNames>(KeyComparison::Exact);
        SizeCache baseline(names);
        SizeCache current(names);
        QVERIFY(baseline.add("/r/gone/", {false, 7}));
        QVERIFY(baseline.add("/r/", {true, 7}));
        QVERIFY(current.add("/r/new/", {false, 9}));
        QVERIFY(current.add("/r/", {true, 12}));
        // "", "r", "gone" and "new": the root's part is the empty name before "/".
        QCOMPARE(names->count(), size_t(4));

        QCOMPARE(baseline.item("/r/"), QStringLiteral("17"));
        QCOMPARE(current.item("/r/"), QStringLiteral("112"));
        QVERIFY(!current.item("/r/gone/"));
        QVERIFY(!baseline.item("/r/new/"));
        QCOMPARE(contents(current), (QStringList{"/r/new/=09", "/r/=112"}));

        // A rescan in one leaves the other as it was; records come across by name.
        QCOMPARE(current.removeAtOrBelow("/r/"), 2);
        QCOMPARE(contents(baseline), (QStringList{"/r/gone/=07", "/r/=17"}));
        current.addAll(baseline);
        QCOMPARE(contents(current), contents(baseline));
        SizeCache apart(KeyComparison::Exact);
        apart.addAll(current);
        QCOMPARE(contents(apart), contents(baseline));
        QCOMPARE(names->count(), size_t(4));
    }
};

ZK_TEST_GUILESS_MAIN(TestSizeCache)
#include "tst_size_cache.moc"
