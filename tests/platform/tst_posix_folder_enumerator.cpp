#include "platform/mount_table.h"
#include "platform/posix_folder_enumerator.h"
#include "support/child_process.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"

#include <QDir>
#include <QSet>

#include <grp.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QSet<QByteArray> subFolderNames(const FolderListing &listing)
{
    return QSet<QByteArray>(listing.subFolders.begin(), listing.subFolders.end());
}

} // namespace

class TestPosixFolderEnumerator : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

private slots:
    void countsEveryEntryWithoutFollowingLinks()
    {
        FixtureTree tree;
        tree.make({"sub/inner=1", ".dot=3", ".dotted/x=1", "file=10", "huge=5368709120", "to-sub->sub", "dangling->nowhere"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        FolderListing listing;
        QVERIFY(walk->list(tree.path(), EntryDetail::WithSizes, listing));
        QCOMPARE(subFolderNames(listing), (QSet<QByteArray>{"sub"}));
        // The links count at their own lengths (3 and 7); the dot names not at all.
        QCOMPARE(listing.files, 4);
        QCOMPARE(listing.fileBytes, 10 + 5368709120ULL + 3 + 7);
    }

    void namesAndTypesAlone()
    {
        FixtureTree tree;
        tree.make({"sub/", "file=10", "to-sub->sub", ".dotted/"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        FolderListing listing;
        QVERIFY(walk->list(tree.path(), EntryDetail::NamesAndTypes, listing));
        QCOMPARE(subFolderNames(listing), (QSet<QByteArray>{"sub"}));
        QCOMPARE(listing.files, 2);
        QCOMPARE(listing.fileBytes, 0ULL);
    }

    void whatCannotBeListed_data()
    {
        QTest::addColumn<QByteArray>("relativePath");
        QTest::newRow("missing folder") << QByteArray("missing/");
        QTest::newRow("a file") << QByteArray("file/");
        QTest::newRow("a link to a folder, below the first folder listed") << QByteArray("sub/to-other/");
        QTest::newRow("a folder below a link") << QByteArray("sub/to-other/deeper/");
        QTest::newRow("above the root") << QByteArray("../");
        QTest::newRow("above the root from below it") << QByteArray("sub/../../");
    }

    void whatCannotBeListed()
    {
        QFETCH(QByteArray, relativePath);
        FixtureTree tree;
        tree.make({"sub/", "other/x=1", "other/deeper/", "file=1", "sub/to-other->../other"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        FolderListing listing;
        QVERIFY(walk->list(tree.path(), EntryDetail::WithSizes, listing));
        QVERIFY(!walk->list(tree.path() + relativePath, EntryDetail::WithSizes, listing));
        QVERIFY(listing.subFolders.empty());
        QCOMPARE(listing.files, 0);
        // The walk goes on after a failure.
        QVERIFY(walk->list(tree.path() + "other/", EntryDetail::WithSizes, listing));
        QCOMPARE(listing.files, 1);
    }

    void aFolderOutsideTheRoot()
    {
        FixtureTree tree;
        tree.make({"root/a/", "beside/x=1"});
        const auto walk = m_fileSystem.startWalk(tree.path() + "root/");
        FolderListing listing;
        QVERIFY(!walk->list(tree.path() + "beside/", EntryDetail::WithSizes, listing));
        QVERIFY(walk->list(tree.path() + "root/", EntryDetail::WithSizes, listing));
        QCOMPARE(subFolderNames(listing), (QSet<QByteArray>{"a"}));
    }

    void listsInAnyOrderWithinOneWalk()
    {
        FixtureTree tree;
        tree.make({"a/b/c/x=1", "d/y=2"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        FolderListing listing;
        const QList<QByteArray> order = {"a/b/c/", "d/", "", "", "a/b/c/", "a/", "a/b/c/", "a/b/"};
        for (const QByteArray &relativePath : order) {
            QVERIFY2(walk->list(tree.path() + relativePath, EntryDetail::WithSizes, listing), relativePath.constData());
            QCOMPARE(listing.files + qint64(listing.subFolders.size()), 1 + qint64(relativePath.isEmpty()));
        }
    }

    void pathsLongerThanTheSystemTakes()
    {
        // 50 levels of 200-byte names: 10,000 bytes of path, made one level at a time.
        FixtureTree tree;
        const QByteArray name(200, 'n');
        tree.makeDeepChain("deep", 50, 9, name);
        QByteArray path = tree.path() + "deep/";
        for (int level = 0; level < 50; ++level)
            path += name + '/';
        QVERIFY(path.size() > PATH_MAX);
        FolderListing listing;
        const auto fromAbove = m_fileSystem.startWalk(tree.path());
        QVERIFY(fromAbove->list(path, EntryDetail::WithSizes, listing));
        QCOMPARE(listing.fileBytes, 9ULL);
        // Chosen as the root itself, such a folder is opened the long way.
        const auto fromThere = m_fileSystem.startWalk(path);
        QVERIFY(fromThere->list(path, EntryDetail::WithSizes, listing));
        QCOMPARE(listing.fileBytes, 9ULL);
    }

    void pseudoFileSystemsFromTheMountTable()
    {
        const MountTable mounts = MountTable::parse(
            "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
            "23 22 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw,size=8g\n"
            "24 23 0:6 / /dev/shm rw shared:3 - tmpfs tmpfs rw\n"
            "25 22 0:7 / /proc rw shared:4 master:9 - proc proc rw\n"
            "26 22 0:8 / /mnt/with\\040space rw - ext4 /dev/sdb1 rw\n");
        QVERIFY(mounts.isPseudoMount("/dev"));
        QVERIFY(mounts.isPseudoMount("/proc"));
        QVERIFY(!mounts.isPseudoMount("/dev/shm"));
        QVERIFY(!mounts.isPseudoMount("/"));
        QVERIFY(mounts.isOnPseudoFileSystem("/dev/block"));
        QVERIFY(mounts.isOnPseudoFileSystem("/proc/self"));
        QVERIFY(!mounts.isOnPseudoFileSystem("/dev/shm/x"));
        QVERIFY(!mounts.isOnPseudoFileSystem("/home/user"));
        QVERIFY(mounts.isMountPoint("/mnt/with space"));
        QVERIFY(mounts.listsWholeFolders("/home/user"));
        QVERIFY(mounts.listsWholeFolders("/dev/shm/x"));
        QVERIFY(!mounts.listsWholeFolders("/proc/self"));
        const QList<QByteArray> below = mounts.mountPointsBelow("/dev");
        QCOMPARE(QSet<QByteArray>(below.begin(), below.end()), (QSet<QByteArray>{"shm"}));
    }

    // What a listing tells beside its figures: whether the system refused to read the
    // folder, and whether dot-names were passed over. Root reads every folder, so the
    // listing runs as nobody in a child process.
    void aListingTellsWhatItLeftOut_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("told"); // listed, unreadable, hidden names: "1/0"
        QTest::newRow("plain") << QByteArray("plain/") << QByteArray("100");
        QTest::newRow("dot-names") << QByteArray("dotted/") << QByteArray("101");
        QTest::newRow("only a dot-folder") << QByteArray("dotfolder/") << QByteArray("101");
        QTest::newRow("empty: . and .. are no dot-names") << QByteArray("empty/") << QByteArray("100");
        QTest::newRow("no read permission") << QByteArray("locked/") << QByteArray("010");
        QTest::newRow("below a folder without permission") << QByteArray("locked/inner/") << QByteArray("010");
        QTest::newRow("gone") << QByteArray("gone/") << QByteArray("000");
        QTest::newRow("a file, not a folder") << QByteArray("file/") << QByteArray("000");
        QTest::newRow("a link to a folder") << QByteArray("link/") << QByteArray("000");
    }

    void aListingTellsWhatItLeftOut()
    {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, told);
        FixtureTree tree;
        tree.make({"plain/a=1", "dotted/.a=1", "dotted/b=1", "dotfolder/.git/x=1", "empty/", "locked/inner/x=1", "file=1",
                   "link->plain"});
        QVERIFY(::chmod((tree.path() + "locked").constData(), 0) == 0);
        const QByteArray root = tree.path();
        const std::optional<QByteArray> output = runInChild([&]() -> std::optional<QByteArray> {
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0))
                return std::nullopt;
            PosixFolderEnumerator fileSystem;
            const auto walk = fileSystem.startWalk(root);
            FolderListing listing;
            const bool listed = walk->list(root + folder, EntryDetail::WithSizes, listing);
            return QByteArray::number(listed) + QByteArray::number(listing.unreadable) + QByteArray::number(listing.hiddenNames);
        });
        QVERIFY(::chmod((tree.path() + "locked").constData(), 0700) == 0);
        QVERIFY(output);
        QCOMPARE(*output, told);
    }
};

ZK_TEST_GUILESS_MAIN(TestPosixFolderEnumerator)
#include "tst_posix_folder_enumerator.moc"
