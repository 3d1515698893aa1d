#include "platform/posix_folder_enumerator.h"
#include "populater/sub_folders.h"
#include "support/faulty_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"

using Names = QList<QByteArray>;

class TestSubFolders : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

private slots:
    void sortNames_data()
    {
        QTest::addColumn<Names>("names");
        QTest::addColumn<Names>("sorted");

        QTest::newRow("one") << Names{"only"} << Names{"only"};
        QTest::newRow("two in order") << Names{"a", "b"} << Names{"a", "b"};
        QTest::newRow("two reversed") << Names{"b", "a"} << Names{"a", "b"};
        QTest::newRow("three") << Names{"c", "a", "b"} << Names{"a", "b", "c"};
        QTest::newRow("letter case does not separate") << Names{"beta", "Alpha", "gamma"} << Names{"Alpha", "beta", "gamma"};
        QTest::newRow("already in order") << Names{"a", "B", "c", "D", "e", "F"} << Names{"a", "B", "c", "D", "e", "F"};
        QTest::newRow("descending") << Names{"f", "E", "d", "C", "b", "A"} << Names{"A", "b", "C", "d", "E", "f"};
        // Equal but for case: where they end depends on the middle pivot, rounded half
        // to even, and on the swaps of equal names.
        QTest::newRow("equal but for case") << Names{"b", "B", "a", "A"} << Names{"a", "A", "b", "B"};
        QTest::newRow("digits and Japanese") << Names{"写真", "2024", "Music", "10"} << Names{"10", "2024", "Music", "写真"};
    }

    void sortNames()
    {
        QFETCH(Names, names);
        QFETCH(Names, sorted);
        std::vector<QByteArray> list(names.begin(), names.end());
        SortNames(list, 0, int(list.size()) - 1);
        QCOMPARE(Names(list.begin(), list.end()), sorted);
    }

    void sortNamesIgnoresCaseInTheCLocaleToo()
    {
        QLocale::setDefault(QLocale::c());
        std::vector<QByteArray> list{"gamma", "X11", "beta", "Alpha"};
        SortNames(list, 0, 3);
        pinTestEnvironment();
        QCOMPARE(Names(list.begin(), list.end()), (Names{"Alpha", "beta", "gamma", "X11"}));
    }

    void sortNamesSortsOnlyTheRangeGiven()
    {
        std::vector<QByteArray> list{"z", "c", "b", "a", "y"};
        SortNames(list, 1, 3);
        QCOMPARE(Names(list.begin(), list.end()), (Names{"z", "a", "b", "c", "y"}));
    }

    void getSubFolders_data()
    {
        QTest::addColumn<Names>("layout");
        QTest::addColumn<Names>("listed");

        QTest::newRow("nothing") << Names{} << Names{};
        QTest::newRow("files only") << Names{"a=1", "b=2"} << Names{};
        QTest::newRow("only a dot folder") << Names{".git/", ".x=1"} << Names{};
        QTest::newRow("sorted, links and files left out")
            << Names{"beta/", "Alpha/", "gamma/", "file=1", "link->beta", ".hidden/"} << Names{"Alpha", "beta", "gamma"};
        QTest::newRow("a single sub-folder") << Names{"one/x=1"} << Names{"one"};
    }

    void getSubFolders()
    {
        QFETCH(Names, layout);
        QFETCH(Names, listed);
        FixtureTree tree;
        tree.make(layout);
        std::vector<QByteArray> names;
        QCOMPARE(GetSubFolders(*m_fileSystem.startWalk(tree.path()), tree.path(), names), int(listed.size()));
        QCOMPARE(Names(names.begin(), names.end()), listed);
        QCOMPARE(HoldsSubFolders(*m_fileSystem.startWalk(tree.path()), tree.path()), !listed.isEmpty());
    }

    void aFolderThatCannotBeListedHasNoSubFolders()
    {
        FixtureTree tree;
        tree.make({"a/", "b/"});
        FaultyFolderEnumerator faulty(m_fileSystem, {tree.path()});
        std::vector<QByteArray> names;
        QCOMPARE(GetSubFolders(*faulty.startWalk(tree.path()), tree.path(), names), 0);
        QVERIFY(names.empty());
        QVERIFY(!HoldsSubFolders(*faulty.startWalk(tree.path()), tree.path()));
    }
};

ZK_TEST_GUILESS_MAIN(TestSubFolders)
#include "tst_sub_folders.moc"
