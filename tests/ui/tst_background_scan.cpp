#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_lines_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/progress_dialog.h"
#include "support/gated_folder_enumerator.h"
#include "support/test_main.h"
#include "support/window_input.h"
#include "scan/folder_scan_job.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/scan_progress_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

// The scan runs off the window's thread: the window keeps repainting, a dialog shows
// the progress, and "中止" leaves everything as it was.
class TestBackgroundScan : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

    static ScanProgressDialog *progressDialog()
    {
        return shownProgressDialog();
    }

    static void answerPicker(const QByteArray &folder)
    {
        const QString answer = QString::fromLocal8Bit(folder);
        mBrowse::setFolderDialog([answer](QWidget *, const QString &, unsigned, const QString &) { return answer; });
    }

private slots:
    void initTestCase() { installFontSubstitutions(); }

    void theWindowRepaintsAndTheDialogShowsProgress()
    {
        FixtureTree fixture;
        fixture.make({"x=1536", "a/x=1", "b/slow/y=1", "c/z=2"});
        GatedFolderEnumerator gated(m_fileSystem, fixture.path() + "b/slow/");
        fMain window(gated);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        answerPicker(fixture.path());

        int ticks = 0;
        int paints = 0;
        QStringList shown;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            ++ticks;
            if (!gated.reached())
                return;
            window.trvFolders->viewport()->repaint();
            ++paints;
            if (ScanProgressDialog *dialog = progressDialog(); dialog && dialog->isVisible() && shown.isEmpty()) {
                for (const QLabel *label : dialog->findChildren<QLabel *>())
                    shown << label->text();
                shown << dialog->findChild<QPushButton *>()->text();
                gated.open();
            }
        });
        watcher.start(20);
        WindowInput::click(window.cmdBrowse);

        // The event loop ran all through the scan, and the dialog told where it was.
        QVERIFY(ticks >= ScanProgressDialog::showAfterMilliseconds / 20 / 2);
        QVERIFY(paints > 0);
        QCOMPARE(shown.size(), 5);
        QVERIFY2(shown[0].startsWith(QStringLiteral("フォルダ: ")), qPrintable(shown[0]));
        QCOMPARE(shown[1], QStringLiteral("容量: 1.5 KB"));
        QVERIFY2(shown[2].startsWith(QString::fromLocal8Bit(fixture.path())), qPrintable(shown[2]));
        QVERIFY(shown[3].startsWith(QStringLiteral("経過時間: 0:0")));
        QCOMPARE(shown[4], QStringLiteral("中止"));
        // Then the tree is built as before.
        QVERIFY(window.trvFolders->node(fixture.path())->text().endsWith(QStringLiteral(" 【1.5 KB】")));
        QCOMPARE(window.trvFolders->node(fixture.path() + "b/")->text(), QStringLiteral("b 【1 バイト】"));
    }

    void eachWayOfStoppingLeavesEverythingAsItWas_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"click 中止", "Esc", "Space on 中止", "Return on 中止", "close the dialog"})
            QTest::newRow(way) << QString::fromUtf8(way);
    }

    void eachWayOfStoppingLeavesEverythingAsItWas()
    {
        QFETCH(QString, way);
        FixtureTree earlier;
        earlier.make({"old/x=5", "new/y=5"});
        FixtureTree next;
        next.make({"a/x=1", "b/slow/y=1", "c/deeper/z=2"});
        GatedFolderEnumerator gated(m_fileSystem, next.path() + "b/slow/");
        fMain window(gated);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        answerPicker(earlier.path());
        WindowInput::click(window.cmdBrowse);
        FolderTreeWidget *tree = window.trvFolders;
        WindowInput::click(tree->viewport(), tree->visualItemRect(FolderTreeWidget::itemOf(tree->node(earlier.path()))).center());
        cNodePopulater *populater = window.oPopulater();
        QCOMPARE(window.List2->count(), 2);
        const QString line = window.List2->item(0)->text();
        const QString row = window.lvwFolders->topLevelItem(0)->text(0);

        answerPicker(next.path());
        int listingsAtCancel = -1;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            ScanProgressDialog *dialog = progressDialog();
            if (!gated.reached() || !dialog || !dialog->isActiveWindow() || listingsAtCancel >= 0)
                return;
            auto *cancel = dialog->findChild<QPushButton *>();
            QCOMPARE(dialog->focusWidget(), cancel);
            if (way == "click 中止")
                WindowInput::click(cancel);
            else if (way == "Esc")
                WindowInput::key(dialog, Qt::Key_Escape);
            else if (way == "Space on 中止")
                WindowInput::key(dialog, Qt::Key_Space);
            else if (way == "Return on 中止")
                WindowInput::key(dialog, Qt::Key_Return);
            else
                // As the window manager closes it: the platform window sends the close event.
                dialog->windowHandle()->close();
            listingsAtCancel = gated.listings();
            gated.open();
        });
        watcher.start(20);
        WindowInput::click(window.cmdBrowse);

        QVERIFY(listingsAtCancel > 0);
        // Every thread stopped after the folder it was reading, and nothing changed.
        QVERIFY(gated.listings() <= listingsAtCancel + FolderScanJob::defaultThreads());
        QCOMPARE(window.oPopulater(), populater);
        QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(earlier.path()));
        QCOMPARE(tree->topLevelItemCount(), 1);
        QVERIFY(tree->node(earlier.path()));
        QCOMPARE(window.List2->count(), 2);
        QCOMPARE(window.List2->item(0)->text(), line);
        QCOMPARE(window.lvwFolders->topLevelItem(0)->text(0), row);
        QCOMPARE(progressDialog(), nullptr);
    }

    void inputToTheWindowDuringAScanIsDropped()
    {
        FixtureTree earlier;
        earlier.make({"old/x=5"});
        FixtureTree next;
        next.make({"a/slow/x=1"});
        GatedFolderEnumerator gated(m_fileSystem, next.path() + "a/slow/");
        fMain window(gated);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int pickerCalls = 0;
        QByteArray answer = earlier.path();
        mBrowse::setFolderDialog([&](QWidget *, const QString &, unsigned, const QString &) {
            ++pickerCalls;
            return QString::fromLocal8Bit(answer);
        });
        WindowInput::click(window.cmdBrowse);
        FolderTreeWidget *tree = window.trvFolders;
        const QPoint rootPlace = tree->visualItemRect(FolderTreeWidget::itemOf(tree->node(earlier.path()))).center();

        // Everything a person may do to the window, before the dialog shows and while it does.
        const auto tryEverything = [&] {
            WindowInput::click(window.cmdBrowse);
            WindowInput::click(tree->viewport(), rootPlace);
            WindowInput::doubleClick(tree->viewport(), rootPlace);
            tree->setFocus();
            WindowInput::key(&window, Qt::Key_Return);
            WindowInput::key(&window, Qt::Key_Right);
        };
        answer = next.path();
        bool triedBeforeShowing = false;
        bool triedWhileShowing = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            if (!gated.reached())
                return;
            ScanProgressDialog *dialog = progressDialog();
            if (!triedBeforeShowing) {
                QVERIFY(!dialog || !dialog->isVisible());
                triedBeforeShowing = true;
                tryEverything();
            } else if (dialog && dialog->isVisible() && !triedWhileShowing) {
                triedWhileShowing = true;
                tryEverything();
                gated.open();
            }
        });
        watcher.start(20);
        WindowInput::click(window.cmdBrowse);
        // Nothing that was held back comes afterwards either.
        QTest::qWait(100);

        QVERIFY(triedBeforeShowing);
        QVERIFY(triedWhileShowing);
        QCOMPARE(pickerCalls, 2);
        QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(next.path()));
        QCOMPARE(window.lvwFolders->topLevelItemCount(), 0);
        QVERIFY(!FolderTreeWidget::itemOf(tree->node(next.path()))->isExpanded());
    }

    void closingTheWindowStopsTheScan()
    {
        FixtureTree fixture;
        fixture.make({"a/slow/x=1"});
        GatedFolderEnumerator gated(m_fileSystem, fixture.path() + "a/slow/");
        fMain window(gated);
        window.show();
        answerPicker(fixture.path());
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            if (!gated.reached() || !window.isVisible())
                return;
            // Closed through the window manager, before the dialog shows.
            window.windowHandle()->close();
            gated.open();
        });
        watcher.start(20);
        WindowInput::click(window.cmdBrowse);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.oPopulater(), nullptr);
        QCOMPARE(window.trvFolders->topLevelItemCount(), 0);
    }
};

ZK_TEST_MAIN(TestBackgroundScan)
#include "tst_background_scan.moc"
