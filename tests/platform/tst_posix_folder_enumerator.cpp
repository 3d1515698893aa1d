#include "platform/posix_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"

#include <QMap>

namespace {

// name → "folder" or the size, for comparing a listing whatever its order.
QMap<QByteArray, QByteArray> described(const std::vector<FolderEntry> &entries)
{
    QMap<QByteArray, QByteArray> description;
    for (const FolderEntry &entry : entries)
        description.insert(entry.name, entry.isFolder ? QByteArray("folder") : QByteArray::number(entry.size));
    return description;
}

} // namespace

class TestPosixFolderEnumerator : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

private slots:
    void listsEveryEntryWithoutFollowingLinks()
    {
        FixtureTree tree;
        tree.make({"sub/inner=1", ".dot=3", "file=10", "huge=5368709120", "to-sub->sub", "dangling->nowhere"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        std::vector<FolderEntry> entries;
        QVERIFY(walk->list(tree.path(), EntryDetail::WithSizes, entries));
        QCOMPARE(described(entries), (QMap<QByteArray, QByteArray>{
                                         {"sub", "folder"},
                                         {".dot", "3"},
                                         {"file", "10"},
                                         {"huge", "5368709120"},
                                         {"to-sub", "3"},
                                         {"dangling", "7"},
                                     }));
    }

    void namesAndTypesAlone()
    {
        FixtureTree tree;
        tree.make({"sub/", "file=10", "to-sub->sub"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        std::vector<FolderEntry> entries;
        QVERIFY(walk->list(tree.path(), EntryDetail::NamesAndTypes, entries));
        QMap<QByteArray, bool> folders;
        for (const FolderEntry &entry : entries)
            folders.insert(entry.name, entry.isFolder);
        QCOMPARE(folders, (QMap<QByteArray, bool>{{"sub", true}, {"file", false}, {"to-sub", false}}));
    }

    void whatCannotBeListed_data()
    {
        QTest::addColumn<QByteArray>("relativePath");
        QTest::newRow("missing folder") << QByteArray("missing/");
        QTest::newRow("a file") << QByteArray("file/");
        QTest::newRow("a link to a folder, below the first folder listed") << QByteArray("sub/to-other/");
    }

    void whatCannotBeListed()
    {
        QFETCH(QByteArray, relativePath);
        FixtureTree tree;
        tree.make({"sub/", "other/x=1", "file=1", "sub/to-other->../other"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        std::vector<FolderEntry> entries{{"stale", false, 1}};
        QVERIFY(walk->list(tree.path(), EntryDetail::WithSizes, entries));
        QVERIFY(!walk->list(tree.path() + relativePath, EntryDetail::WithSizes, entries));
        QVERIFY(entries.empty());
        // The walk goes on after a failure.
        QVERIFY(walk->list(tree.path() + "other/", EntryDetail::WithSizes, entries));
        QCOMPARE(entries.size(), size_t(1));
    }

    void listsInAnyOrderWithinOneWalk()
    {
        FixtureTree tree;
        tree.make({"a/b/c/x=1", "d/y=2"});
        const auto walk = m_fileSystem.startWalk(tree.path());
        std::vector<FolderEntry> entries;
        const QList<QByteArray> order = {"a/b/c/", "d/", "", "a/b/c/", "a/", "a/b/c/", "a/b/"};
        for (const QByteArray &relativePath : order) {
            QVERIFY2(walk->list(tree.path() + relativePath, EntryDetail::WithSizes, entries), relativePath.constData());
            QCOMPARE(entries.empty(), false);
        }
    }
};

ZK_TEST_GUILESS_MAIN(TestPosixFolderEnumerator)
#include "tst_posix_folder_enumerator.moc"
