#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_lines_widget.h"
#include "controls/widgets/chart_surface_accessible.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "support/accessibility.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>

// The window as assistive technology and a keyboard user meet it.
class TestAccessibility : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;
    std::unique_ptr<FixtureTree> m_fixture;
    std::unique_ptr<fMain> m_window;

    static QAccessibleInterface *accessible(QObject *object) { return QAccessible::queryAccessibleInterface(object); }
    QAccessibleInterface *chart() const { return accessible(m_window->picGraph); }

    void clickRoot()
    {
        FolderTreeWidget *tree = m_window->trvFolders;
        QTreeWidgetItem *item = FolderTreeWidget::itemOf(tree->node(m_fixture->path()));
        const QPoint centre = tree->viewport()->mapTo(m_window.get(), tree->visualItemRect(item).center());
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, centre);
    }

    void tab() const { QTest::keyClick(m_window->windowHandle(), Qt::Key_Tab); }

    // Tab from wherever the focus is until it reaches the chart; false when it never does.
    bool tabToChart() const
    {
        for (int presses = 0; presses < 8 && QApplication::focusWidget() != m_window->picGraph; ++presses)
            tab();
        return QApplication::focusWidget() == m_window->picGraph;
    }

    QList<QPair<QString, QString>> sliceTexts() const
    {
        QList<QPair<QString, QString>> texts;
        for (int i = 0; i < chart()->childCount(); ++i)
            texts << qMakePair(chart()->child(i)->text(QAccessible::Name), chart()->child(i)->text(QAccessible::Value));
        return texts;
    }

private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        QVERIFY(recordAccessibleEvents());
        // Data 9847 bytes; misc and notes, 153 bytes together, fall below 3 % and are
        // folded into one slice.
        m_fixture = std::make_unique<FixtureTree>();
        m_fixture->make({"Data/x=9847", "misc/y=100", "notes/z=53"});
    }

    void init()
    {
        m_window = std::make_unique<fMain>(m_fileSystem);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        accessibleEvents().clear();
    }

    void cleanup() { m_window.reset(); }

    void cleanupTestCase()
    {
        QAccessible::installUpdateHandler(nullptr);
        m_fixture.reset();
    }

    void everyControlHasANameAndARole_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");

        QTest::newRow("window") << "window" << "Zorvik_Kavrona Ver 0.95" << int(QAccessible::Window);
        QTest::newRow("root folder") << "txtRootFolder" << "ルートフォルダ" << int(QAccessible::EditableText);
        QTest::newRow("SELECT") << "cmdBrowse" << "SELECT（フォルダを選択）" << int(QAccessible::Button);
        QTest::newRow("tree") << "trvFolders" << "フォルダツリー" << int(QAccessible::Tree);
        QTest::newRow("chart") << "picGraph" << "円グラフ" << int(QAccessible::Chart);
        QTest::newRow("hidden lines") << "List2" << "円グラフの内訳行" << int(QAccessible::List);
        QTest::newRow("breakdown") << "lvwFolders" << "内訳" << int(QAccessible::Tree);
    }

    void everyControlHasANameAndARole()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(int, role);
        const QHash<QString, QWidget *> controls = {
            {"window", m_window.get()},         {"txtRootFolder", m_window->txtRootFolder},
            {"cmdBrowse", m_window->cmdBrowse}, {"trvFolders", m_window->trvFolders},
            {"picGraph", m_window->picGraph},   {"List2", m_window->List2},
            {"lvwFolders", m_window->lvwFolders},
        };
        QAccessibleInterface *interface = accessible(controls.value(control));
        QVERIFY(interface);
        QCOMPARE(interface->text(QAccessible::Name), name);
        QCOMPARE(int(interface->role()), role);
        if (control != "window" && control != "picGraph")
            QVERIFY(!interface->text(QAccessible::Description).isEmpty());
    }

    void theChartSaysWhenNothingIsGraphed()
    {
        QCOMPARE(chart()->childCount(), 0);
        QCOMPARE(chart()->text(QAccessible::Description), QStringLiteral("表示しているグラフはありません。"));
    }

    void theChartsChildrenAreItsSlicesInTheOrderDrawn()
    {
        m_window->openRoot(m_fixture->path());
        clickRoot();
        QCOMPARE(m_window->picGraph->figure().slices.size(), size_t(2));
        QCOMPARE(chart()->childCount(), 2);
        QCOMPARE(sliceTexts(), (QList<QPair<QString, QString>>{{"Data", "9.6 KB, 98.47%"}, {"その他", "153 バイト, 1.53% （misc 100 バイト、notes 53 バイト）"}}));
        QCOMPARE(chart()->text(QAccessible::Description), QStringLiteral("Data 98.47%, その他 1.53%"));
        for (int i = 0; i < 2; ++i) {
            QAccessibleInterface *slice = chart()->child(i);
            QCOMPARE(int(slice->role()), int(QAccessible::ListItem));
            QCOMPARE(slice->text(QAccessible::Description), slice->text(QAccessible::Value));
            QCOMPARE(slice->parent(), chart());
            QCOMPARE(chart()->indexOfChild(slice), i);
            // Each slice lies inside the chart, and the chart finds it at its own centre.
            QVERIFY(chart()->rect().contains(slice->rect()));
        }
        const QPoint insideData = m_window->picGraph->mapToGlobal(QPoint(221 - 80, 207));
        QCOMPARE(chart()->childAt(insideData.x(), insideData.y()), chart()->child(0));

        // Graphing again replaces them; an empty folder leaves none.
        m_fixture->makeFolder("empty");
        m_window->openRoot(m_fixture->path());
        m_window->trvFolders->expandItem(FolderTreeWidget::itemOf(m_window->trvFolders->node(m_fixture->path())));
        QTreeWidgetItem *empty = FolderTreeWidget::itemOf(m_window->trvFolders->node(m_fixture->path() + "empty/"));
        const QPoint centre = m_window->trvFolders->viewport()->mapTo(m_window.get(), m_window->trvFolders->visualItemRect(empty).center());
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, centre);
        QCOMPARE(chart()->childCount(), 0);
        QCOMPARE(chart()->text(QAccessible::Description), ChartSurfaceAccessible::nothingGraphedText);
        QVERIFY(!chart()->child(0));
        QVERIFY(QDir().rmdir(QString::fromLocal8Bit(m_fixture->path() + "empty")));
    }

    void tabReachesTheChartAndShowsOnlyTheFocusMark()
    {
        m_window->openRoot(m_fixture->path());
        clickRoot();
        ChartSurfaceWidget *canvas = m_window->picGraph;
        const QImage unfocused = canvas->grab().toImage();
        QVERIFY(tabToChart());
        QVERIFY(canvas->hasFocus());
        const QImage focused = canvas->grab().toImage();
        QCOMPARE(focused.size(), unfocused.size());

        // Every changed pixel lies in a band along the chart's edge, and the band changed.
        const QRect inner = canvas->rect().adjusted(2, 2, -2, -2);
        int changed = 0;
        for (int y = 0; y < focused.height(); ++y) {
            for (int x = 0; x < focused.width(); ++x) {
                if (focused.pixel(x, y) == unfocused.pixel(x, y))
                    continue;
                ++changed;
                QVERIFY2(!inner.contains(x, y), qPrintable(QStringLiteral("changed at %1, %2").arg(x).arg(y)));
            }
        }
        QVERIFY(changed >= 2 * (canvas->width() + canvas->height()));
    }

    void leftAndRightMoveThroughTheSlices()
    {
        m_window->openRoot(m_fixture->path());
        clickRoot();
        QVERIFY(tabToChart());
        ChartSurfaceWidget *canvas = m_window->picGraph;
        const QImage before = canvas->grab().toImage();
        accessibleEvents().clear();

        const QList<std::pair<Qt::Key, int>> steps = {{Qt::Key_Right, 0}, {Qt::Key_Right, 1}, {Qt::Key_Right, 0}, {Qt::Key_Left, 1}};
        for (const auto &[key, slice] : steps) {
            QTest::keyClick(m_window->windowHandle(), key);
            QCOMPARE(canvas->currentSlice(), slice);
            QVERIFY(accessibleEvents().contains(AccessibleEventRecord{QAccessible::Focus, canvas, slice}));
            accessibleEvents().clear();
            QVERIFY(chart()->child(slice)->state().focused);
            QVERIFY(!chart()->child(1 - slice)->state().focused);
            QCOMPARE(chart()->focusChild(), chart()->child(slice));
        }
        // The current slice is outlined in the highlight colour: on the rim of "その他",
        // which runs just above the right-hand axis.
        const QImage outlined = canvas->grab().toImage();
        const QRgb highlight = canvas->palette().color(QPalette::Highlight).rgb();
        const auto highlightedNear = [&](const QImage &image, QPoint point) {
            for (int x = point.x() - 3; x <= point.x() + 3; ++x) {
                if (image.pixel(x, point.y()) == highlight)
                    return true;
            }
            return false;
        };
        const QPoint rim(221 + 155, 207 - 3);
        QVERIFY(highlightedNear(outlined, rim));
        QVERIFY(!highlightedNear(before, rim));
        // The picture itself is untouched.
        QCOMPARE(QColor(canvas->image().pixel(221 + 100, 207 - 7)), QColor(40, 120, 40));
        // The focus stays on the chart.
        QCOMPARE(QApplication::focusWidget(), canvas);
    }
};

ZK_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
