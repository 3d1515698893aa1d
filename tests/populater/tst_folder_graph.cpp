#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/operation_error.h"
#include "platform/posix_folder_enumerator.h"
#include "populater/node_populater.h"
#include "support/recording_surface.h"
#include "support/test_main.h"

using Rows = QList<QStringList>;

// GraphNode on a tree built by hand: it reads nothing but the nodes' keys, texts and
// tags, so no folder is needed.
class TestFolderGraph : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;
    FolderTreeWidget m_tree;
    BreakdownListWidget m_list;
    RecordingListBox m_lines;
    std::unique_ptr<cNodePopulater> m_populater;

    TreeNode *add(const QByteArray &parent, const QByteArray &key, const QString &text, const QString &tag)
    {
        TreeNode *node = m_tree.addNode(parent.isEmpty() ? nullptr : &parent, key.isEmpty() ? nullptr : &key, text);
        if (!tag.isNull())
            node->setTag(tag);
        return node;
    }

    void select(TreeNode *node) { m_tree.setCurrentItem(FolderTreeWidget::itemOf(node)); }

    Rows rows() const
    {
        Rows rows;
        for (int i = 0; i < m_list.topLevelItemCount(); ++i)
            rows << QStringList{m_list.topLevelItem(i)->text(0), m_list.topLevelItem(i)->text(1), m_list.topLevelItem(i)->text(2)};
        return rows;
    }

private slots:
    void init()
    {
        m_tree.clearNodes();
        m_list.setColumnCount(3);
        m_list.clearRows();
        m_populater = std::make_unique<cNodePopulater>(m_fileSystem);
        m_populater->setOTreeView(&m_tree);
        m_populater->setBreakdownList(&m_list);
        m_populater->setChartLines(&m_lines);
    }

    void aPlaceholderIsSkipped()
    {
        TreeNode *node = add({}, "/d/", "d 【100 バイト】", "100");
        add("/d/", {}, "FILLER", {});
        select(node);
        RecordingSurface surface(443, 414);
        m_populater->GraphNode(*node, &surface, 0);
        QCOMPARE(rows(), (Rows{{"単一フォルダ", "100 バイト", "100.00%"}}));
        // The labels are measured in the window's font, set before anything is drawn.
        QCOMPARE(surface.calls.mid(0, 3), (QStringList{"font size 9", "font name ＭＳ Ｐゴシック", "cls"}));
    }

    void theOrderArgumentMakesNoDifference()
    {
        TreeNode *node = add({}, "/d/", "d", "60");
        add("/d/", "/d/b/", "b", "40");
        add("/d/", "/d/a/", "a", "20");
        select(node);
        RecordingSurface surface(443, 414);
        for (const qint32 order : {0, 1, 2, -1}) {
            m_populater->GraphNode(*node, &surface, order);
            QCOMPARE(rows(), (Rows{{"a", "20 バイト", "33.33%"}, {"b", "40 バイト", "66.67%"}}));
        }
    }

    void moreSectionsThanSixteenBitsCount()
    {
        constexpr int count = 40000;
        TreeNode *node = add({}, "/big/", "big", QString::number(count));
        for (int i = 0; i < count; ++i) {
            const QByteArray name = "f" + QByteArray::number(count - i);
            add("/big/", "/big/" + name + "/", QString::fromLatin1(name), "1");
        }
        select(node);
        RecordingSurface surface(443, 414);
        m_populater->GraphNode(*node, &surface, 0);
        QCOMPARE(m_list.topLevelItemCount(), count);
        QSet<QString> names;
        for (const QStringList &row : rows()) {
            QCOMPARE(row.mid(1), (QStringList{"1 バイト", "0.00%"}));
            names.insert(row[0]);
        }
        QCOMPARE(names.size(), count);
        QCOMPARE(m_lines.lines.size(), count);
        QCOMPARE(surface.callsOf("ellipse").size(), 1);
    }

    void errorsGoToTheCallerAndWhatWasDoneStays()
    {
        TreeNode *node = add({}, "/d/", "d", "30");
        add("/d/", "/d/a/", "a", "10");
        add("/d/", "/d/b/", "b", "20");
        RecordingSurface surface(443, 414);
        // No node is selected: the share has no divisor.
        QVERIFY_THROWS_EXCEPTION(OperationError, m_populater->GraphNode(*node, &surface, 0));
        QCOMPARE(rows(), (Rows{{"a", "10 バイト", ""}}));
        QVERIFY(surface.callsOf("pie").isEmpty());

        select(node);
        QVERIFY_THROWS_EXCEPTION(OperationError, m_populater->GraphNode(*node, nullptr, 0));
        node->setTag(QStringLiteral("not a number"));
        QVERIFY_THROWS_EXCEPTION(OperationError, m_populater->GraphNode(*node, &surface, 0));
    }
};

ZK_TEST_MAIN(TestFolderGraph)
#include "tst_folder_graph.moc"
