#include "controls/widgets/folder_tree_widget.h"
#include "support/test_main.h"
#include "support/tree_texts.h"

class TestFolderTreeWidget : public QObject
{
    Q_OBJECT

private:
    static TreeNode *add(FolderTreeWidget &tree, const QByteArray &relative, const QByteArray &key, const QString &text)
    {
        return tree.addNode(relative.isNull() ? nullptr : &relative, key.isNull() ? nullptr : &key, text);
    }

private slots:
    void addsNodesUnderKeys()
    {
        FolderTreeWidget tree;
        TreeNode *root = add(tree, {}, "/r/", "r");
        QVERIFY(root);
        QVERIFY(add(tree, "/r/", "/r/b/", "b"));
        QVERIFY(add(tree, "/r/", "/r/a/", "a"));
        TreeNode *placeholder = add(tree, "/r/a/", {}, "FILLER");
        QVERIFY(placeholder);
        QVERIFY(placeholder->key().isEmpty());

        QCOMPARE(root->children(), 2);
        QCOMPARE(childTexts(root), (QStringList{"b", "a"}));
        QCOMPARE(tree.node("/r/a/")->child(), placeholder);
        QCOMPARE(tree.node("/r/b/")->child(), nullptr);
        QCOMPARE(tree.topLevelItemCount(), 1);

        tree.node("/r/b/")->setTag("1536");
        QCOMPARE(tree.node("/r/b/")->tag(), QStringLiteral("1536"));
    }

    void failingAddsChangeNothing()
    {
        FolderTreeWidget tree;
        add(tree, {}, "/r/", "r");
        QCOMPARE(add(tree, {}, "/r/", "again"), nullptr);
        QCOMPARE(add(tree, "/missing/", "/missing/x/", "x"), nullptr);
        QCOMPARE(tree.topLevelItemCount(), 1);
        QCOMPARE(tree.node("/missing/x/"), nullptr);
    }

    void keysCompareExactly()
    {
        FolderTreeWidget tree;
        add(tree, {}, "/r/", "r");
        QVERIFY(add(tree, "/r/", "/r/Data/", "Data"));
        QVERIFY(add(tree, "/r/", "/r/data/", "data"));
        QCOMPARE(tree.node("/r/Data/")->text(), QStringLiteral("Data"));
        QCOMPARE(tree.node("/r/data/")->text(), QStringLiteral("data"));
    }

    void removingKeepsTheSiblingsLinked()
    {
        FolderTreeWidget tree;
        TreeNode *root = add(tree, {}, "/r/", "r");
        for (const char *name : {"a", "b", "c", "d"})
            add(tree, "/r/", QByteArray("/r/") + name + '/', name);
        add(tree, "/r/c/", "/r/c/x/", "x");

        QVERIFY(tree.removeNode(tree.node("/r/b/")->index()));
        QCOMPARE(childTexts(root), (QStringList{"a", "c", "d"}));
        QVERIFY(tree.removeNode(root->child()->index()));
        QCOMPARE(childTexts(root), (QStringList{"c", "d"}));
        const int removed = tree.node("/r/c/")->index();
        QVERIFY(tree.removeNode(removed));
        QCOMPARE(childTexts(root), (QStringList{"d"}));
        // Everything below a removed node goes with it, keys and all.
        QCOMPARE(tree.node("/r/c/x/"), nullptr);
        QVERIFY(add(tree, "/r/", "/r/c/", "c again"));
        QCOMPARE(childTexts(root), (QStringList{"d", "c again"}));
        QVERIFY(!tree.removeNode(removed));
    }

    void clearingFreesEveryKey()
    {
        FolderTreeWidget tree;
        add(tree, {}, "/r/", "r");
        add(tree, "/r/", "/r/a/", "a");
        tree.clearNodes();
        QCOMPARE(tree.topLevelItemCount(), 0);
        QCOMPARE(tree.node("/r/a/"), nullptr);
        QVERIFY(add(tree, {}, "/r/a/", "a"));
    }

    void expandingRunsTheHandlerAndStaysOpen()
    {
        FolderTreeWidget tree;
        add(tree, {}, "/r/", "r");
        add(tree, "/r/", {}, "FILLER");
        QList<QByteArray> expanded;
        tree.setExpandHandler([&](TreeNode &node) {
            expanded << node.key();
            // What a handler does when it swaps the placeholder for real children.
            tree.removeNode(node.child()->index());
            add(tree, node.key(), node.key() + "a/", "a");
        });
        tree.show();
        QTreeWidgetItem *item = FolderTreeWidget::itemOf(tree.node("/r/"));
        tree.expandItem(item);
        QCOMPARE(expanded, (QList<QByteArray>{"/r/"}));
        QVERIFY(item->isExpanded());
        QCOMPARE(childTexts(tree.node("/r/")), (QStringList{"a"}));
    }

    void clicksAndKeyboardActivationReachTheClickHandler()
    {
        FolderTreeWidget tree;
        add(tree, {}, "/r/", "r");
        add(tree, "/r/", "/r/a/", "a");
        add(tree, "/r/", "/r/b/", "b");
        QTreeWidgetItem *root = FolderTreeWidget::itemOf(tree.node("/r/"));
        root->setExpanded(true);
        QList<QByteArray> clicked;
        tree.setNodeClickHandler([&](TreeNode &node) {
            clicked << node.key();
            QCOMPARE(tree.selectedItem(), &node);
        });
        tree.resize(300, 200);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));

        const QRect rect = tree.visualItemRect(FolderTreeWidget::itemOf(tree.node("/r/b/")));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(clicked, (QList<QByteArray>{"/r/b/"}));

        tree.setCurrentItem(FolderTreeWidget::itemOf(tree.node("/r/a/")));
        QTest::keyClick(&tree, Qt::Key_Return);
        QCOMPARE(clicked, (QList<QByteArray>{"/r/b/", "/r/a/"}));
    }
};

ZK_TEST_MAIN(TestFolderTreeWidget)
#include "tst_folder_tree_widget.moc"
