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

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

// The window at the size it starts at, larger, and maximized on a 1920 × 1080 screen:
// every control inside the window and clear of the others, the tree and the list taller,
// the chart larger with a larger pie, the background everywhere.
class TestWindowSizes : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1920, 1080));
    }

    void theControlsShareWhatRoomThereIs_data()
    {
        QTest::addColumn<QSize>("size"); // empty: maximized
        QTest::newRow("as it starts") << QSize(781, 466);
        QTest::newRow("one and a half times") << QSize(1172, 699);
        QTest::newRow("maximized") << QSize();
    }

    void theControlsShareWhatRoomThereIs()
    {
        QFETCH(QSize, size);
        FixtureTree fixture;
        fixture.make({"a/x=300", "b/y=100", "c/z=200"});
        fMain window(m_fileSystem);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // As the window manager sizes it: through the platform window.
        if (size.isEmpty())
            window.windowHandle()->showMaximized();
        else
            window.windowHandle()->resize(size);
        QTRY_VERIFY(size.isEmpty() ? window.isMaximized() : window.size() == size);
        // The window manager is told it may not make it smaller than it starts.
        QCOMPARE(window.windowHandle()->minimumSize(), QSize(781, 466));
        const QString folder = QString::fromLocal8Bit(fixture.path());
        mBrowse::setFolderDialog([folder](QWidget *, const QString &, unsigned, const QString &) { return folder; });
        WindowInput::click(window.cmdBrowse);
        QTreeWidgetItem *root = FolderTreeWidget::itemOf(window.trvFolders->node(fixture.path()));
        WindowInput::click(window.trvFolders->viewport(), window.trvFolders->visualItemRect(root).center());
        QCoreApplication::processEvents();

        const QSize shown = window.size();
        QVERIFY2(shown.width() >= 781 && shown.height() >= 466, qPrintable(QStringLiteral("%1×%2").arg(shown.width()).arg(shown.height())));
        if (size.isEmpty())
            QVERIFY(shown.width() > 1500 && shown.height() > 900);
        const int wider = shown.width() - 781;
        const int taller = shown.height() - 466;

        const QList<QWidget *> controls = {window.txtRootFolder, window.cmdBrowse, window.trvFolders, window.picGraph, window.lvwFolders};
        for (QWidget *control : controls) {
            QVERIFY2(window.rect().contains(control->geometry()), qPrintable(control->objectName() + control->accessibleName()));
            for (QWidget *other : controls) {
                if (other != control)
                    QVERIFY2(!control->geometry().intersects(other->geometry()), qPrintable(control->accessibleName() + " / " + other->accessibleName()));
            }
        }
        // The tree and the list take the extra height between them; the chart takes the
        // extra width and height.
        QCOMPARE(window.trvFolders->height() + window.lvwFolders->height(), 259 + 148 + taller);
        QCOMPARE(window.picGraph->size(), QSize(443 + wider, 414 + taller));
        QCOMPARE(window.lvwFolders->geometry().bottom(), shown.height() - 11);

        // The pie is drawn for the chart's size: radii 0.7 of its half-width and height.
        const PieFigure &figure = window.picGraph->figure();
        QCOMPARE(figure.slices.size(), size_t(3));
        QCOMPARE(figure.radiusX, qRound(0.7 * (window.picGraph->width() / 2)));
        QCOMPARE(figure.radiusY, qRound(0.7 * (window.picGraph->height() / 2)));

        // The backgrounds reach every corner: the window's in the gap below the list, the
        // chart's in its far corner.
        const QImage picture = window.grab().toImage();
        const QImage windowRule = windowBackground(1, shown);
        const QPoint belowList(20, shown.height() - 3);
        QCOMPARE(picture.pixelColor(belowList), windowRule.pixelColor(belowList));
        const QImage chart = window.picGraph->image();
        const QImage chartRule = chartBackground(1, window.picGraph->size());
        for (const QPoint corner : {QPoint(chart.width() - 2, chart.height() - 2), QPoint(chart.width() - 2, chart.height() - 3)})
            QCOMPARE(chart.pixelColor(corner), chartRule.pixelColor(corner));

        // The list's columns can be widened by the person.
        QCOMPARE(window.lvwFolders->header()->sectionResizeMode(1), QHeaderView::Interactive);
    }

    // The graph on show is drawn again when the window grows and shrinks back.
    void theGraphFollowsTheChartsSize()
    {
        FixtureTree fixture;
        fixture.make({"a/x=300", "b/y=100"});
        fMain window(m_fileSystem);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString folder = QString::fromLocal8Bit(fixture.path());
        mBrowse::setFolderDialog([folder](QWidget *, const QString &, unsigned, const QString &) { return folder; });
        WindowInput::click(window.cmdBrowse);
        QTreeWidgetItem *root = FolderTreeWidget::itemOf(window.trvFolders->node(fixture.path()));
        WindowInput::click(window.trvFolders->viewport(), window.trvFolders->visualItemRect(root).center());
        QCOMPARE(window.picGraph->figure().radiusX, 155);
        window.windowHandle()->resize(1172, 699);
        QTRY_COMPARE(window.picGraph->figure().radiusX, qRound(0.7 * ((443 + 391) / 2)));
        QCOMPARE(window.picGraph->figure().slices.size(), size_t(2));
        window.windowHandle()->resize(781, 466);
        QTRY_COMPARE(window.picGraph->figure().radiusX, 155);
        QCOMPARE(window.lvwFolders->topLevelItemCount(), 2);
    }
};

ZK_TEST_MAIN(TestWindowSizes)
#include "tst_window_sizes.moc"
