#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/operation_error.h"
#include "platform/posix_folder_enumerator.h"
#include "populater/node_populater.h"
#include "support/faulty_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/recording_surface.h"
#include "support/test_main.h"
#include "support/tree_texts.h"

#include <cstdio>

// A fixture folder and a tree set up on it as the main window does: SetRoot on the
// folder (or a folder below it), then the root's children at once.
struct RootedTree {
    RootedTree(FolderEnumerator &fileSystem, const QList<QByteArray> &layout, const QByteArray &root = {})
        : populater(fileSystem)
    {
        fixture.make(layout);
        populater.setOTreeView(&tree);
        populater.SetRoot(fixture.path() + root);
        populater.PopulateNode(fixture.path() + root);
    }

    FixtureTree fixture;
    FolderTreeWidget tree;
    cNodePopulater populater;
};

class TestNodePopulater : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

    // A tree on `root` as the main window sets it up, for the cases that need their own
    // enumerator or several populaters on one tree.
    static void setUp(cNodePopulater &populater, FolderTreeWidget &tree, const QByteArray &root)
    {
        populater.setOTreeView(&tree);
        populater.SetRoot(root);
        populater.PopulateNode(root);
    }

private slots:
    void theRootShowsItsNameAndTotal()
    {
        RootedTree rooted(m_fileSystem, {"Data/a=1000", "Data/b=536"}, "Data/");
        auto &[fixture, tree, populater] = rooted;

        QCOMPARE(tree.topLevelItemCount(), 1);
        TreeNode *root = tree.node(fixture.path() + "Data/");
        QVERIFY(root);
        QCOMPARE(root->text(), QStringLiteral("Data 【1.5 KB】"));
        QCOMPARE(root->tag(), QStringLiteral("1536"));
        QCOMPARE(root->children(), 0);
        QVERIFY(!FolderTreeWidget::itemOf(root)->isExpanded());
    }

    void theFileSystemRootNamesItself()
    {
        // Listing "/" is made to fail, so the test does not add up the whole machine.
        FaultyFolderEnumerator faulty(m_fileSystem, {"/"});
        FolderTreeWidget tree;
        cNodePopulater populater(faulty);
        setUp(populater, tree, "/");
        QCOMPARE(tree.node("/")->text(), QStringLiteral("/ 【0 バイト】 ［読み取り不可］"));
        QCOMPARE(tree.node("/")->tag(), QStringLiteral("0"));
    }

    void childrenInNameOrderWithPlaceholdersWhereTheyHaveSubFolders()
    {
        RootedTree rooted(m_fileSystem, {"gamma/g=2048", "Alpha/inner/x=10", "beta/", "beta/.hidden/y=5", "FILLER/z=1", "own=7"});
        auto &[fixture, tree, populater] = rooted;

        TreeNode *root = tree.node(fixture.path());
        QCOMPARE(childTexts(root), (QStringList{"Alpha 【10 バイト】", "beta 【0 バイト】 ［隠し項目は除外］", "FILLER 【1 バイト】", "gamma 【2.0 KB】"}));
        QCOMPARE(tree.node(fixture.path() + "gamma/")->tag(), QStringLiteral("2048"));
        QCOMPARE(childTexts(tree.node(fixture.path() + "Alpha/")), (QStringList{"FILLER"}));
        // A dot folder is no sub-folder: nothing to open.
        QCOMPARE(tree.node(fixture.path() + "beta/")->children(), 0);
        QCOMPARE(tree.node(fixture.path() + "FILLER/")->children(), 0);
        QCOMPARE(tree.node(fixture.path() + "gamma/")->children(), 0);
    }

    void expandingReplacesThePlaceholderOnce()
    {
        RootedTree rooted(m_fileSystem, {"a/b/c/x=3", "a/d/y=4"});
        auto &[fixture, tree, populater] = rooted;

        TreeNode *a = tree.node(fixture.path() + "a/");
        populater.ExpandNode(*a);
        QCOMPARE(childTexts(a), (QStringList{"b 【3 バイト】", "d 【4 バイト】"}));
        QCOMPARE(childTexts(tree.node(fixture.path() + "a/b/")), (QStringList{"FILLER"}));

        // Again, and PopulateNode directly: nothing removed, nothing added.
        populater.ExpandNode(*a);
        populater.PopulateNode(fixture.path() + "a/");
        QCOMPARE(childTexts(a), (QStringList{"b 【3 バイト】", "d 【4 バイト】"}));
        // A node without children is left alone.
        populater.ExpandNode(*tree.node(fixture.path() + "a/d/"));
        QCOMPARE(tree.node(fixture.path() + "a/d/")->children(), 0);
    }

    void expandingThroughTheTreeControl()
    {
        RootedTree rooted(m_fileSystem, {"a/b/x=3"});
        auto &[fixture, tree, populater] = rooted;
        tree.setExpandHandler([&](TreeNode &node) { populater.ExpandNode(node); });
        tree.show();

        QTreeWidgetItem *a = FolderTreeWidget::itemOf(tree.node(fixture.path() + "a/"));
        tree.expandItem(a);
        QVERIFY(a->isExpanded());
        QCOMPARE(childTexts(tree.node(fixture.path() + "a/")), (QStringList{"b 【3 バイト】"}));
    }

    void unknownPathsAreLeftAlone()
    {
        RootedTree rooted(m_fileSystem, {"a/b/"});
        auto &[fixture, tree, populater] = rooted;
        // a/b/ has a record but no node yet; the other path has neither.
        populater.PopulateNode(fixture.path() + "a/b/");
        populater.PopulateNode("/nowhere/");
        QCOMPARE(tree.node(fixture.path() + "a/b/"), nullptr);
        QCOMPARE(childTexts(tree.node(fixture.path() + "a/")), (QStringList{"FILLER"}));
    }

    void dataAndDataAreSiblingsWithTheirOwnSizes()
    {
        RootedTree rooted(m_fileSystem, {"Data/x=1", "data/y=2048"});
        auto &[fixture, tree, populater] = rooted;
        QCOMPARE(tree.node(fixture.path() + "Data/")->text(), QStringLiteral("Data 【1 バイト】"));
        QCOMPARE(tree.node(fixture.path() + "data/")->text(), QStringLiteral("data 【2.0 KB】"));
        QCOMPARE(tree.node(fixture.path())->children(), 2);
    }

    void aNameThatIsNotUtf8()
    {
        RootedTree rooted(m_fileSystem, {"caf\xe9/sub/x=5"});
        auto &[fixture, tree, populater] = rooted;
        TreeNode *cafe = tree.node(fixture.path() + "caf\xe9/");
        QVERIFY(cafe);
        QCOMPARE(cafe->text(), QStringLiteral("caf\uFFFD 【5 バイト】"));
        populater.ExpandNode(*cafe);
        QCOMPARE(childTexts(cafe), (QStringList{"sub 【5 バイト】"}));
    }

    void foldersMadeAfterTheScan()
    {
        FixtureTree fixture;
        fixture.make({"old/x=10"});
        FolderTreeWidget tree;
        cNodePopulater populater(m_fileSystem);
        populater.setOTreeView(&tree);
        populater.SetRoot(fixture.path());
        fixture.make({"newer/inner/y=99", "newest/z=5"});
        populater.PopulateNode(fixture.path());

        // No record: 0 bytes, never a sibling's size, and openable only if it holds a
        // sub-folder.
        QCOMPARE(childTexts(tree.node(fixture.path())), (QStringList{"newer 【0 バイト】", "newest 【0 バイト】", "old 【10 バイト】"}));
        QCOMPARE(tree.node(fixture.path() + "newer/")->tag(), QStringLiteral("0"));
        QCOMPARE(childTexts(tree.node(fixture.path() + "newer/")), (QStringList{"FILLER"}));
        QCOMPARE(tree.node(fixture.path() + "newest/")->children(), 0);
        populater.ExpandNode(*tree.node(fixture.path() + "newer/"));
        QCOMPARE(childTexts(tree.node(fixture.path() + "newer/")), (QStringList{"inner 【0 バイト】"}));
    }

    void openingTheDeepestNodesOneByOne()
    {
        // 50 levels of 200-byte names, 3 bytes of files at each level and 100 at the
        // bottom: paths of 10,000 bytes, more than the system takes.
        constexpr int depth = 50;
        const QByteArray name(200, 'n');
        FixtureTree fixture;
        fixture.makeDeepChain("deep", depth, 100, name, 3);
        FolderTreeWidget tree;
        BreakdownListWidget breakdown;
        breakdown.setColumnCount(3);
        RecordingListBox lines;
        cNodePopulater populater(m_fileSystem);
        populater.setBreakdownList(&breakdown);
        populater.setChartLines(&lines);
        setUp(populater, tree, fixture.path());
        tree.setExpandHandler([&](TreeNode &node) { populater.ExpandNode(node); });

        QByteArray path = fixture.path() + "deep/";
        for (int level = 1; level <= depth; ++level) {
            TreeNode *node = tree.node(path);
            QVERIFY(node);
            tree.expandItem(FolderTreeWidget::itemOf(node));
            const int size = 100 + 3 * (depth - level + 1);
            QCOMPARE(childTexts(node), QStringList{QString::fromLatin1(name) + " 【" + QString::number(size) + " バイト】"});
            path += name + '/';
        }
        QCOMPARE(tree.node(path)->children(), 0);

        // The folder above the bottom: its own 3 bytes and the bottom's 103.
        TreeNode *aboveBottom = tree.node(path.chopped(name.size() + 1));
        tree.setCurrentItem(FolderTreeWidget::itemOf(aboveBottom));
        RecordingSurface surface(443, 414);
        populater.GraphNode(*aboveBottom, &surface, 0);
        QCOMPARE(breakdown.topLevelItemCount(), 2);
        const QTreeWidgetItem *ownFiles = breakdown.topLevelItem(0);
        const QTreeWidgetItem *bottom = breakdown.topLevelItem(1);
        QCOMPARE((QStringList{ownFiles->text(0), ownFiles->text(1), ownFiles->text(2)}), (QStringList{"単一フォルダ", "3 バイト", "2.83%"}));
        QCOMPARE((QStringList{bottom->text(0), bottom->text(1), bottom->text(2)}), (QStringList{QString::fromLatin1(name), "103 バイト", "97.17%"}));
    }

    void aFolderGoneSinceTheScanOpensEmpty()
    {
        RootedTree rooted(m_fileSystem, {"a/b/x=3", "a/c/"});
        auto &[fixture, tree, populater] = rooted;
        QVERIFY(::rename((fixture.path() + "a").constData(), (fixture.path() + "moved").constData()) == 0);
        TreeNode *a = tree.node(fixture.path() + "a/");
        populater.ExpandNode(*a);
        QCOMPARE(a->children(), 0);
        QCOMPARE(a->text(), QStringLiteral("a 【3 バイト】"));
    }

    void aChildWhoseKeyIsTakenIsSkippedWhole()
    {
        FixtureTree fixture;
        fixture.make({"a/x=1", "b/c/y=2"});
        FolderTreeWidget tree;
        cNodePopulater populater(m_fileSystem);
        populater.setOTreeView(&tree);
        populater.SetRoot(fixture.path());
        // Someone else holds the key of b/ already.
        const QByteArray taken = fixture.path() + "b/";
        tree.addNode(nullptr, &taken, QStringLiteral("other"));
        populater.PopulateNode(fixture.path());

        QCOMPARE(childTexts(tree.node(fixture.path())), (QStringList{"a 【1 バイト】"}));
        QCOMPARE(tree.node(fixture.path() + "a/")->tag(), QStringLiteral("1"));
        QCOMPARE(tree.node(fixture.path() + "a/")->children(), 0);
        QCOMPARE(tree.node(taken)->text(), QStringLiteral("other"));
        QCOMPARE(tree.node(taken)->children(), 0);
        QVERIFY(tree.node(taken)->tag().isEmpty());
    }

    void withoutATreeErrorsGoToTheCaller()
    {
        FixtureTree fixture;
        cNodePopulater populater(m_fileSystem);
        QVERIFY_THROWS_EXCEPTION(OperationError, populater.SetRoot(fixture.path()));
        // Filling in skips what fails and reports nothing.
        populater.PopulateNode(fixture.path());
    }

    void aNewRootStartsOver()
    {
        RootedTree rooted(m_fileSystem, {"one/a=1", "two/b=2"}, "one/");
        auto &[fixture, tree, populater] = rooted;
        cNodePopulater next(m_fileSystem);
        setUp(next, tree, fixture.path() + "two/");
        QCOMPARE(tree.topLevelItemCount(), 1);
        QCOMPARE(tree.node(fixture.path() + "one/"), nullptr);
        QCOMPARE(tree.node(fixture.path() + "two/")->text(), QStringLiteral("two 【2 バイト】"));
    }

    void thirtyThreeThousandSubFolders()
    {
        constexpr int count = 33000;
        QList<QByteArray> layout;
        for (int i = count; i > 0; --i)
            layout << "big/f" + QByteArray::number(i).rightJustified(5, '0') + "/";
        layout << "big/f00007/inner/x=1";
        RootedTree rooted(m_fileSystem, layout);
        auto &[fixture, tree, populater] = rooted;

        TreeNode *big = tree.node(fixture.path() + "big/");
        populater.ExpandNode(*big);
        QCOMPARE(big->children(), count);
        int seen = 0;
        for (TreeNode *child = big->child(); child; child = child->next()) {
            ++seen;
            const QString expected = "f" + QString::number(seen).rightJustified(5, '0') + (seen == 7 ? " 【1 バイト】" : " 【0 バイト】");
            QCOMPARE(child->text(), expected);
        }
        QCOMPARE(seen, count);
        QCOMPARE(childTexts(tree.node(fixture.path() + "big/f00007/")), (QStringList{"FILLER"}));
    }
};

ZK_TEST_MAIN(TestNodePopulater)
#include "tst_node_populater.moc"
