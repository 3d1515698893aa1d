#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_lines_widget.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "exchange/folder_export.h"
#include "scan/scan_control.h"
#include "platform/posix_folder_enumerator.h"
#include "support/faulty_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/gated_folder_enumerator.h"
#include "support/progress_dialog.h"
#include "support/test_main.h"
#include "support/tree_input.h"
#include "support/window_input.h"
#include "support/window_reading.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/scan_progress_dialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include <functional>
#include <memory>

#include <sys/mount.h>
#include <sys/stat.h>

// The window shows only what is true: a new root's graph, never the last root's; a folder
// gone since the scan is said to be gone; an export's paths are not taken for this
// machine's folders; what a size leaves out is marked; a stop gives the window back.
class TestWindowTruth : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;


    static void chooseWithSelect(fMain &window, const QByteArray &folder)
    {
        const QString answer = QString::fromLocal8Bit(folder);
        mBrowse::setFolderDialog([answer](QWidget *, const QString &, unsigned, const QString &) { return answer; });
        WindowInput::click(window.cmdBrowse);
    }


    static QPoint placeOf(fMain &window, const QByteArray &key) { return placeOfNode(*window.trvFolders, key); }
    static void clickNode(fMain &window, const QByteArray &key) { ::clickNode(*window.trvFolders, key); }


    static QList<QByteArray> sliceKeys(const fMain &window)
    {
        QList<QByteArray> keys;
        for (const PieSlice &slice : window.picGraph->figure().slices)
            keys << slice.key;
        return keys;
    }

    // Runs `act`, which brings up one message box, and answers it with the button whose
    // text is `answer` (or closes it when there is none); returns what the box said and
    // the texts of its buttons.
    static QStringList answerMessageBox(const std::function<void()> &act, const QString &answer)
    {
        QStringList told;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !told.isEmpty())
                return;
            told << box->text();
            QAbstractButton *chosen = nullptr;
            for (QAbstractButton *button : box->buttons()) {
                told << button->text().remove(QLatin1Char('&'));
                if (button->text().remove(QLatin1Char('&')) == answer)
                    chosen = button;
            }
            if (chosen)
                WindowInput::click(chosen);
            else
                WindowInput::key(box, Qt::Key_Escape);
        });
        watcher.start(20);
        act();
        // The box is modal: act() returns once it was answered.
        // Nothing told when no box came and went: the caller's comparison says so.
        if (!QTest::qWaitFor([&] { return !told.isEmpty() && !QApplication::activeModalWidget(); }))
            return {};
        return told;
    }

    // Opens the folder menu of a node with the right button and returns its entries: text,
    // whether enabled, tooltip; picks nothing.
    QList<std::tuple<QString, bool, QString>> menuOf(fMain &window, const QByteArray &key)
    {
        QList<std::tuple<QString, bool, QString>> entries;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || !entries.isEmpty())
                return;
            for (QAction *action : menu->actions()) {
                if (!action->isSeparator())
                    entries << std::tuple{action->text(), action->isEnabled(), action->toolTip()};
            }
            menu->close();
        });
        watcher.start(20);
        QTest::mousePress(WindowInput::windowOf(window.trvFolders), Qt::RightButton, {},
                          WindowInput::placeOf(window.trvFolders->viewport(), placeOf(window, key)));
        QTest::mouseRelease(WindowInput::windowOf(window.trvFolders), Qt::RightButton, {},
                            WindowInput::placeOf(window.trvFolders->viewport(), placeOf(window, key)));
        return entries;
    }

private slots:
    void initTestCase() { installFontSubstitutions(); }

    void aNewRootClearsTheGraph_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("SELECT") << "SELECT";
        QTest::newRow("a dropped folder") << "drop";
        QTest::newRow("an import") << "import";
    }

    void aNewRootClearsTheGraph()
    {
        QFETCH(QString, how);
        FixtureTree first;
        first.make({"old/deep/x=300", "old/y=100"});
        FixtureTree second;
        second.make({"p/x=30", "q/x=10", "z=5"});
        fMain window(m_fileSystem);
        showActive(window);
        chooseWithSelect(window, first.path());
        clickNode(window, first.path() + "old/");
        QCOMPARE(breakdownRows(window), (QStringList{"単一フォルダ 100 バイト 25.00%", "deep 300 バイト 75.00%"}));

        QByteArray newRoot = second.path();
        if (how == "SELECT") {
            chooseWithSelect(window, second.path());
        } else if (how == "drop") {
            QMimeData data;
            data.setUrls({fMain::folderUrl(second.path())});
            WindowInput::drop(window.picGraph, data);
        } else {
            QTemporaryDir folder;
            const QString exportFile = writeExportFile(m_fileSystem, folder, second.path());
            QVERIFY(!exportFile.isEmpty());
            window.openImport(exportFile);
        }

        // The chart and the list show nothing of the old root, and Backspace does not go
        // up from a folder of it.
        QVERIFY(window.trvFolders->node(newRoot));
        QCOMPARE(breakdownRows(window), QStringList());
        QCOMPARE(sliceKeys(window), QList<QByteArray>());
        QCOMPARE(window.List2->count(), 0);
        window.picGraph->setFocus();
        WindowInput::key(window.picGraph, Qt::Key_Backspace);
        QCOMPARE(breakdownRows(window), QStringList());

        // A click on the new root graphs it.
        clickNode(window, newRoot);
        QCOMPARE(breakdownRows(window), (QStringList{"単一フォルダ 5 バイト 11.11%", "q 10 バイト 22.22%", "p 30 バイト 66.67%"}));
        QCOMPARE(sliceKeys(window), (QList<QByteArray>{newRoot, newRoot + "q/", newRoot + "p/"}));
    }

    void aFolderGoneSinceTheScanIsSaidToBeGone()
    {
        FixtureTree fixture;
        fixture.make({"gone/inner/x=1000000", "kept/y=10", "z=1"});
        fMain window(m_fileSystem);
        showActive(window);
        chooseWithSelect(window, fixture.path());
        window.trvFolders->expandItem(FolderTreeWidget::itemOf(window.trvFolders->node(fixture.path())));
        QVERIFY(QDir(QString::fromLocal8Bit(fixture.path() + "gone")).removeRecursively());

        // Told, with the offer of a fresh count; the graph shows nothing false meanwhile.
        QStringList told = answerMessageBox([&] { clickNode(window, fixture.path() + "gone/"); }, QStringLiteral("閉じる"));
        QVERIFY2(told.value(0).contains(QString::fromLocal8Bit(fixture.path() + "gone/")), qPrintable(told.join('|')));
        QVERIFY2(told.contains(fMain::rescanText), qPrintable(told.join('|')));
        QCOMPARE(breakdownRows(window), QStringList());
        QCOMPARE(window.picGraph->figure().slices.size(), size_t(0));
        QVERIFY(window.trvFolders->node(fixture.path() + "gone/"));

        // 再集計 counts what stands above it again: the folder leaves the tree.
        told = answerMessageBox([&] { clickNode(window, fixture.path() + "gone/"); }, fMain::rescanText);
        QTRY_VERIFY(!window.trvFolders->node(fixture.path() + "gone/"));
        QCOMPARE(window.trvFolders->node(fixture.path())->text(), QString::fromLocal8Bit(fixture.path().chopped(1).mid(fixture.path().chopped(1).lastIndexOf('/') + 1)) + QStringLiteral(" 【11 バイト】"));
        QCOMPARE(breakdownRows(window), (QStringList{"単一フォルダ 1 バイト 9.09%", "kept 10 バイト 90.91%"}));
    }

    void anImportIsNeverTakenForLocalFolders()
    {
        FixtureTree fixture;
        fixture.make({"a/x=10", "b/y=20"});
        QTemporaryDir folder;
        const QString exportFile = writeExportFile(m_fileSystem, folder, fixture.path());
        QVERIFY(!exportFile.isEmpty());
        fMain window(m_fileSystem);
        showActive(window);
        window.openImport(exportFile);
        QVERIFY(window.trvFolders->node(fixture.path() + "a/"));

        const auto entries = menuOf(window, fixture.path() + "a/");
        QCOMPARE(entries.size(), 3);
        for (const auto &[text, enabled, tip] : entries) {
            const bool local = text != fMain::copyPathText;
            QCOMPARE(enabled, !local);
            QCOMPARE(tip == fMain::importedTreeNote, local);
        }

        // F5 says why it does nothing, and nothing is scanned.
        QFile::remove(QString::fromLocal8Bit(fixture.path() + "b/y"));
        clickNode(window, fixture.path() + "b/");
        const QStringList told = answerMessageBox([&] { WindowInput::key(window.trvFolders, Qt::Key_F5); }, {});
        QCOMPARE(told.value(0), fMain::importedTreeNote);
        QCOMPARE(window.trvFolders->node(fixture.path() + "b/")->text(), QStringLiteral("b 【20 バイト】"));
    }

    void whatASizeLeavesOutIsMarked()
    {
        FixtureTree fixture;
        fixture.make({"locked/x=100", "dotted/.hidden=50", "dotted/seen=7", "dotted/.git/config=9", "plain/y=3"});
        FaultyFolderEnumerator faulty(m_fileSystem, {fixture.path() + "locked/"});
        fMain window(faulty);
        showActive(window);
        chooseWithSelect(window, fixture.path());
        FolderTreeWidget &tree = *window.trvFolders;
        QCOMPARE(tree.node(fixture.path() + "locked/")->text(), QStringLiteral("locked 【0 バイト】 ［読み取り不可］"));
        QCOMPARE(tree.node(fixture.path() + "dotted/")->text(), QStringLiteral("dotted 【7 バイト】 ［隠し項目は除外］"));
        QCOMPARE(tree.node(fixture.path() + "plain/")->text(), QStringLiteral("plain 【3 バイト】"));

        // The root's graph: the breakdown row, the slice's tooltip text and what a screen
        // reader is told.
        clickNode(window, fixture.path());
        QCOMPARE(breakdownRows(window), (QStringList{"plain 3 バイト 30.00%", "dotted ［隠し項目は除外］ 7 バイト 70.00%"}));
        const PieSlice &dotted = window.picGraph->figure().slices.at(1);
        QCOMPARE(dotted.note, QStringLiteral("［隠し項目は除外］"));
        QAccessibleInterface *chart = QAccessible::queryAccessibleInterface(window.picGraph);
        QVERIFY(chart);
        QAccessibleInterface *slice = chart->child(1);
        QVERIFY(slice);
        QCOMPARE(slice->text(QAccessible::Name), QStringLiteral("dotted"));
        QVERIFY2(slice->text(QAccessible::Description).endsWith(QStringLiteral("［隠し項目は除外］")), qPrintable(slice->text(QAccessible::Description)));

        // Its own files leave the dot-names out: the "単一フォルダ" row says so too.
        clickNode(window, fixture.path() + "dotted/");
        QCOMPARE(breakdownRows(window), (QStringList{"単一フォルダ ［隠し項目は除外］ 7 バイト 100.00%"}));
    }

    // An export tells the same: a folder with a read error, and names beginning with "."
    // that the import does not count.
    void whatAnImportLeavesOutIsMarked()
    {
        QTemporaryDir folder;
        const QString exportFile = folder.filePath(QStringLiteral("marked.json"));
        QFile out(exportFile);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(R"([1,2,{"progname":"ncdu","progver":"1.18","timestamp":1},
[{"name":"/r"},{"name":"a","asize":5},{"name":".h","asize":7},
[{"name":"locked","read_error":true}],
[{"name":"half","read_error":true},{"name":"seen","asize":2}],
[{"name":"plain"},{"name":"x","asize":3}],
[{"name":"dotted"},[{"name":".git"},{"name":"c","asize":9}],{"name":"y","asize":4}]]])");
        out.close();
        fMain window(m_fileSystem);
        showActive(window);
        window.openImport(exportFile);
        FolderTreeWidget &tree = *window.trvFolders;
        QCOMPARE(tree.node("/r/")->text(), QStringLiteral("r 【14 バイト】 ［隠し項目は除外］"));
        QCOMPARE(tree.node("/r/locked/")->text(), QStringLiteral("locked 【0 バイト】 ［読み取り不可］"));
        QCOMPARE(tree.node("/r/half/")->text(), QStringLiteral("half 【2 バイト】 ［読み取り不可］"));
        QCOMPARE(tree.node("/r/plain/")->text(), QStringLiteral("plain 【3 バイト】"));
        QCOMPARE(tree.node("/r/dotted/")->text(), QStringLiteral("dotted 【4 バイト】 ［隠し項目は除外］"));
    }

    // The "単一フォルダ" row is the folder's own files as counted, never its total less
    // its sub-folders: sub-folders of 2^53, 1 and 1 bytes add up in doubles to 2^53 in
    // the listing's order and to 2^53 + 2 in the tree's, which once showed a row of
    // -2 バイト and -0.00%.
    void theOwnFilesRowIsTheFolderOwnFiles_data()
    {
        QTest::addColumn<QByteArray>("tree");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("no files of its own, sub-folders past double precision")
            << QByteArray(R"([{"name":"/r"},[{"name":"c"},{"name":"f","asize":9007199254740992}],)"
                          R"([{"name":"a"},{"name":"f","asize":1}],[{"name":"b"},{"name":"f","asize":1}]])")
            << QStringList{"b 1 バイト 0.00%", "a 1 バイト 0.00%", "c 8,589,934,592.0 MB 100.00%"};
        QTest::newRow("own files beside sub-folders past double precision")
            << QByteArray(R"([{"name":"/r"},{"name":"own","asize":3},[{"name":"a"},{"name":"f","asize":9007199254740992}],)"
                          R"([{"name":"b"},{"name":"f","asize":1}]])")
            << QStringList{"b 1 バイト 0.00%", "単一フォルダ 3 バイト 0.00%", "a 8,589,934,592.0 MB 100.00%"};
        QTest::newRow("own files only") << QByteArray(R"([{"name":"/r"},{"name":"own","asize":7}])")
                                        << QStringList{"単一フォルダ 7 バイト 100.00%"};
        QTest::newRow("empty files of its own") << QByteArray(R"([{"name":"/r"},{"name":"own","asize":0},[{"name":"a"},{"name":"f","asize":5}]])")
                                                << QStringList{"a 5 バイト 100.00%"};
    }

    void theOwnFilesRowIsTheFolderOwnFiles()
    {
        QFETCH(QByteArray, tree);
        QFETCH(QStringList, rows);
        QTemporaryDir folder;
        const QString exportFile = folder.filePath(QStringLiteral("own.json"));
        QFile out(exportFile);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(R"([1,2,{"progname":"ncdu","progver":"1.18","timestamp":1},)" + tree + "]");
        out.close();
        fMain window(m_fileSystem);
        showActive(window);
        window.openImport(exportFile);
        clickNode(window, "/r/");
        QCOMPARE(breakdownRows(window), rows);
    }

    void aStopGivesTheWindowBackWhateverAListingDoes()
    {
        FixtureTree fixture;
        fixture.make({"stuck/x=1", "other/y=2"});
        FixtureTree next;
        next.make({"n/z=3"});
        GatedFolderEnumerator gated(m_fileSystem, fixture.path() + "stuck/");
        fMain window(gated);
        showActive(window);

        // 中止 pressed while the listing of "stuck" never returns.
        QElapsedTimer clock;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, this, [&] {
            if (ScanProgressDialog *dialog = shownProgressDialog(); dialog && gated.reached()) {
                clock.start();
                WindowInput::click(dialog->findChild<QPushButton *>());
            }
        });
        stopper.start(20);
        chooseWithSelect(window, fixture.path());
        stopper.stop();
        QVERIFY(clock.isValid());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ScanProgressDialog::abandonedJobs(), 1);
        QCOMPARE(window.trvFolders->topLevelItemCount(), 0);

        // The window takes input at once: "SELECT" chooses another folder.
        chooseWithSelect(window, next.path());
        QVERIFY(window.trvFolders->node(next.path()));
        QCOMPARE(window.trvFolders->node(next.path())->text().section(' ', 1), QStringLiteral("【3 バイト】"));

        // The stuck listing returns at last; what it found is thrown away.
        gated.open();
        QTRY_COMPARE(ScanProgressDialog::abandonedJobs(), 0);
        QVERIFY(window.trvFolders->node(next.path()));
        QVERIFY(!window.trvFolders->node(fixture.path()));
    }

    void closingTheWindowDuringAScanEndsTheProgram_data()
    {
        QTest::addColumn<int>("closeAfter");
        QTest::newRow("before the dialog shows") << ScanProgressDialog::showAfterMilliseconds / 4;
        QTest::newRow("while the dialog shows") << ScanProgressDialog::showAfterMilliseconds * 2;
    }

    void closingTheWindowDuringAScanEndsTheProgram()
    {
        QFETCH(int, closeAfter);
        FixtureTree fixture;
        fixture.make({"stuck/x=1"});
        GatedFolderEnumerator gated(m_fileSystem, fixture.path() + "stuck/");
        fMain window(gated);
        showActive(window);
        const QString answer = QString::fromLocal8Bit(fixture.path());
        mBrowse::setFolderDialog([answer](QWidget *, const QString &, unsigned, const QString &) { return answer; });

        // The window manager's close, as the windowing system delivers it, while the
        // listing of "stuck" never returns; the program's event loop must end.
        QElapsedTimer clock;
        QTimer::singleShot(0, &window, [&] { WindowInput::click(window.cmdBrowse); });
        QTimer::singleShot(closeAfter, &window, [&] {
            QVERIFY(gated.reached());
            clock.start();
            QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(window.windowHandle());
        });
        // Should the program not end, the test fails instead of waiting for ever.
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(clock.isValid());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!window.isVisible());
        gated.open();
        QTRY_COMPARE(ScanProgressDialog::abandonedJobs(), 0);
    }

    // A real mount whose listing never returns, as a dead network mount's: 中止 and the
    // window manager's close each act at once, and the program's event loop ends.
    void aListingThatNeverReturnsIsLeftBehind()
    {
        QTemporaryDir folder;
        const QByteArray mountPoint = QFile::encodeName(folder.filePath(QStringLiteral("mount"))) + '/';
        QVERIFY(QDir().mkpath(QFile::decodeName(mountPoint)));
        struct stat before;
        QVERIFY(::stat(folder.path().toLocal8Bit().constData(), &before) == 0);
        QProcess fileSystem;
        fileSystem.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        fileSystem.start(QStringLiteral(ZK_STUCK_LISTING_FS), {QStringLiteral("-f"), QFile::decodeName(mountPoint)});
        const auto mounted = [&] {
            struct stat status;
            return ::stat(mountPoint.constData(), &status) == 0 && status.st_dev != before.st_dev;
        };
        if (!QTest::qWaitFor([&] { return mounted() || fileSystem.state() == QProcess::NotRunning; }, 5000) || !mounted())
            QSKIP("FUSE cannot mount here");
        const auto unmount = qScopeGuard([&] {
            fileSystem.kill();
            fileSystem.waitForFinished();
            ::umount2(mountPoint.chopped(1).constData(), MNT_DETACH);
        });

        FixtureTree next;
        next.make({"n/z=3"});
        fMain window(m_fileSystem);
        showActive(window);
        QElapsedTimer clock;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, this, [&] {
            if (ScanProgressDialog *dialog = shownProgressDialog(); dialog && !clock.isValid()) {
                clock.start();
                WindowInput::click(dialog->findChild<QPushButton *>());
            }
        });
        stopper.start(20);
        chooseWithSelect(window, mountPoint);
        stopper.stop();
        QVERIFY(clock.isValid());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        chooseWithSelect(window, next.path());
        QVERIFY(window.trvFolders->node(next.path()));

        clock.invalidate();
        const QString answer = QString::fromLocal8Bit(mountPoint);
        mBrowse::setFolderDialog([answer](QWidget *, const QString &, unsigned, const QString &) { return answer; });
        QTimer::singleShot(0, &window, [&] { WindowInput::click(window.cmdBrowse); });
        QTimer::singleShot(ScanProgressDialog::showAfterMilliseconds * 2, &window, [&] {
            clock.start();
            QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(window.windowHandle());
        });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ScanProgressDialog::abandonedJobs(), 2);

        // Once the file system is gone, the listings fail and their threads end.
        fileSystem.kill();
        fileSystem.waitForFinished();
        QTRY_COMPARE(ScanProgressDialog::abandonedJobs(), 0);
    }

};

ZK_TEST_MAIN(TestWindowTruth)
#include "tst_window_truth.moc"
