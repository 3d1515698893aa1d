#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_lines_widget.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"
#include "support/window_input.h"
#include "ui/background_pictures.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QPushButton>
#include <cmath>

using Rows = QList<QStringList>;

// The program as a user drives it: a folder chosen with "SELECT", nodes clicked with
// the mouse, and what the list, the hidden list box and the chart then show.
class TestGraphFlow : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;
    std::unique_ptr<FixtureTree> m_fixture;
    std::unique_ptr<fMain> m_window;

    QByteArray path(const QByteArray &relative) const { return m_fixture->path() + relative; }

    void click(const QByteArray &relative)
    {
        FolderTreeWidget *tree = m_window->trvFolders;
        QTreeWidgetItem *item = FolderTreeWidget::itemOf(tree->node(path(relative)));
        QVERIFY(item);
        tree->scrollToItem(item);
        WindowInput::click(tree->viewport(), tree->visualItemRect(item).center());
    }

    Rows rows() const
    {
        Rows rows;
        for (int i = 0; i < m_window->lvwFolders->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = m_window->lvwFolders->topLevelItem(i);
            rows << QStringList{row->text(0), row->text(1), row->text(2)};
        }
        return rows;
    }

    QStringList chartLines() const
    {
        QStringList lines;
        for (int i = 0; i < m_window->List2->count(); ++i)
            lines << m_window->List2->item(i)->text();
        return lines;
    }

    // The chart's colour at an angle (radians, clockwise on screen from the right-hand
    // axis) and a distance from the centre of the pie.
    QColor chartColourAt(double angle, double distance) const
    {
        const QPoint point(221 + int(std::lround(distance * std::cos(angle))), 207 + int(std::lround(distance * std::sin(angle))));
        return QColor(m_window->picGraph->image().pixel(point));
    }

private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        m_fixture = std::make_unique<FixtureTree>();
        m_fixture->make({
            "thirds/a/x=300", "thirds/b/y=100", "thirds/c/z=200",
            "files/x=10",
            "zeroes/empty/", "zeroes/full/x=50", "zeroes/own=50",
            "tiny/small/x=1", "tiny/big/y=99",
            "nothing/",
            "deep/inner/more/x=4", "deep/own=4",
        });
        m_window = std::make_unique<fMain>(m_fileSystem);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QString folder = QString::fromLocal8Bit(m_fixture->path());
        mBrowse::setFolderDialog([folder](QWidget *, const QString &, unsigned, const QString &) { return folder; });
        WindowInput::click(m_window->cmdBrowse);
        m_window->trvFolders->expandItem(FolderTreeWidget::itemOf(m_window->trvFolders->node(m_fixture->path())));
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_fixture.reset();
    }

    void subFoldersSmallestFirst()
    {
        click("thirds/");
        QCOMPARE(rows(), (Rows{{"b", "100 バイト", "16.67%"}, {"c", "200 バイト", "33.33%"}, {"a", "300 バイト", "50.00%"}}));
        QCOMPARE(chartLines(), (QStringList{"b:16.7%", "c:33.3%", "a:50.0%"}));
        // Three slices clockwise from the right-hand axis: palette 1, 2, 0.
        QCOMPARE(chartColourAt(M_PI / 6, 80), QColor(120, 200, 150));
        QCOMPARE(chartColourAt(2 * M_PI / 3, 80), QColor(120, 250, 150));
        QCOMPARE(chartColourAt(3 * M_PI / 2, 80), QColor(120, 150, 150));
    }

    void filesOnly()
    {
        click("files/");
        QCOMPARE(rows(), (Rows{{"単一フォルダ", "10 バイト", "100.00%"}}));
        QVERIFY(chartLines().isEmpty());
        QCOMPARE(chartColourAt(1, 60), QColor(120, 150, 150));
        QCOMPARE(chartColourAt(4, 60), QColor(120, 150, 150));
    }

    void emptySubFoldersGetNoRowAndNoSlice()
    {
        click("zeroes/");
        QCOMPARE(rows(), (Rows{{"単一フォルダ", "50 バイト", "50.00%"}, {"full", "50 バイト", "50.00%"}}));
        QCOMPARE(chartLines(), (QStringList{"単一フォルダ:50.0%", "full:50.0%"}));
    }

    void aSmallSubFolderHasItsRowButLiesInTheOtherSlice()
    {
        click("tiny/");
        QCOMPARE(rows(), (Rows{{"small", "1 バイト", "1.00%"}, {"big", "99 バイト", "99.00%"}}));
        QCOMPARE(chartLines(), (QStringList{"その他 - small", "big:99.0%", "その他:1.0%"}));
        QCOMPARE(chartColourAt(2 * M_PI - 0.05, 100), QColor(40, 120, 40));
        QCOMPARE(chartColourAt(M_PI, 100), QColor(120, 200, 150));
    }

    void aFolderOfSizeZeroClearsTheGraph()
    {
        click("thirds/");
        click("nothing/");
        QVERIFY(rows().isEmpty());
        QVERIFY(chartLines().isEmpty());
        // Only the chart area's background is left.
        const QImage background = chartBackground();
        for (const QPoint point : {QPoint(221, 207), QPoint(221, 208), QPoint(300, 300)})
            QCOMPARE(m_window->picGraph->image().pixel(point), background.pixel(point));
    }

    void clickingANodeNeverOpenedFillsItInAndGraphsIt()
    {
        FolderTreeWidget *tree = m_window->trvFolders;
        TreeNode *deep = tree->node(path("deep/"));
        QCOMPARE(deep->children(), 1);
        QCOMPARE(deep->child()->text(), QStringLiteral("FILLER"));
        click("deep/");
        QCOMPARE(deep->children(), 1);
        QCOMPARE(deep->child()->text(), QStringLiteral("inner 【4 バイト】"));
        QVERIFY(!FolderTreeWidget::itemOf(deep)->isExpanded());
        // Equal sizes: the sort puts "単一フォルダ", added last, first.
        const Rows graphed = {{"単一フォルダ", "4 バイト", "50.00%"}, {"inner", "4 バイト", "50.00%"}};
        QCOMPARE(rows(), graphed);

        // Clicking again adds no children and draws the same graph.
        click("deep/");
        QCOMPARE(deep->children(), 1);
        QCOMPARE(rows(), graphed);
    }

    void theGraphOfTheRoot()
    {
        click("");
        // 818 bytes in all, none of them lying in the root itself.
        const Rows shown = rows();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown.first(), (QStringList{"deep", "8 バイト", "0.98%"}));
        QCOMPARE(shown[1], (QStringList{"files", "10 バイト", "1.22%"}));
        QCOMPARE(shown.last(), (QStringList{"thirds", "600 バイト", "73.35%"}));
    }
};

ZK_TEST_MAIN(TestGraphFlow)
#include "tst_graph_flow.moc"
