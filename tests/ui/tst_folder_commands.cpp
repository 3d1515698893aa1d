#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "platform/program_identity.h"
#include "support/desktop_fixture.h"
#include "support/fixture_tree.h"
#include "support/progress_dialog.h"
#include "support/gated_folder_enumerator.h"
#include "support/message_boxes.h"
#include "support/test_main.h"
#include "support/window_input.h"
#include "support/window_reading.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/scan_progress_dialog.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include <cmath>

#include <functional>
#include <memory>

// What a person does with a folder once it is found: its menu on the tree and the
// breakdown list, the keys for the same, a fresh scan of it, and going down and up.
class TestFolderCommands : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;
    MessageBoxCloser m_boxes;

    struct Session {
        FixtureTree fixture;
        std::unique_ptr<GatedFolderEnumerator> gated;
        std::unique_ptr<fMain> window;
        QByteArray path(const QByteArray &relative) const { return fixture.path() + relative; }
        FolderTreeWidget *tree() const { return window->trvFolders; }
        TreeNode *node(const QByteArray &relative) const { return tree()->node(path(relative)); }
    };

    // A window on a fixture, its root chosen with "SELECT", the root and "a" open.
    std::unique_ptr<Session> start(const QList<QByteArray> &layout, const QByteArray &gatedFolder = {})
    {
        auto session = std::make_unique<Session>();
        session->fixture.make(layout);
        session->gated = std::make_unique<GatedFolderEnumerator>(m_fileSystem, gatedFolder.isEmpty() ? QByteArray("-") : session->path(gatedFolder));
        // The gate waits for the rescan: the first scan passes it.
        session->gated->open();
        session->window = std::make_unique<fMain>(*session->gated);
        fMain &window = *session->window;
        window.show();
        // Shortcuts and menus answer in the active window only.
        if (!QTest::qWaitForWindowActive(&window))
            return nullptr;
        const QString folder = QString::fromLocal8Bit(session->fixture.path());
        mBrowse::setFolderDialog([folder](QWidget *, const QString &, unsigned, const QString &) { return folder; });
        WindowInput::click(window.cmdBrowse);
        session->tree()->expandItem(FolderTreeWidget::itemOf(session->node("")));
        if (TreeNode *a = session->node("a/"))
            session->tree()->expandItem(FolderTreeWidget::itemOf(a));
        return session;
    }

    static QPoint placeOf(Session &session, const QByteArray &relative)
    {
        QTreeWidgetItem *item = FolderTreeWidget::itemOf(session.node(relative));
        session.tree()->scrollToItem(item);
        return session.tree()->visualItemRect(item).center();
    }

    // The right button's press opens a context menu; its release goes to the menu.
    static void rightPress(QWidget *widget, QPoint point)
    {
        QTest::mousePress(WindowInput::windowOf(widget), Qt::RightButton, {}, WindowInput::placeOf(widget, point));
    }

    static void clickNode(Session &session, const QByteArray &relative)
    {
        WindowInput::click(session.tree()->viewport(), placeOf(session, relative));
    }

    // Runs `open`, which is to bring up a folder menu, and picks `choice` from it with
    // the pointer; returns the menu's entries.
    QStringList pickFromMenu(const std::function<void()> &open, const QString &choice)
    {
        QStringList entries;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || !entries.isEmpty())
                return;
            // The menu opened on the right button's press; a person lets go of it first.
            if (QGuiApplication::mouseButtons() & Qt::RightButton)
                QTest::mouseRelease(menu->windowHandle(), Qt::RightButton, {}, QPoint(1, 1));
            for (QAction *action : menu->actions()) {
                if (!action->isSeparator())
                    entries << action->text();
            }
            for (QAction *action : menu->actions()) {
                if (action->text() == choice) {
                    WindowInput::click(menu, menu->actionGeometry(action).center());
                    return;
                }
            }
            menu->close();
        });
        watcher.start(20);
        open();
        return entries;
    }


    static QStringList texts(Session &session, const QList<QByteArray> &relatives)
    {
        QStringList shown;
        for (const QByteArray &relative : relatives) {
            TreeNode *node = session.node(relative);
            shown << (node ? node->text() : QStringLiteral("(none)"));
        }
        return shown;
    }

private slots:
    void initTestCase()
    {
        installFontSubstitutions();
    }

    // No command may end in a message box.
    void cleanup() { QCOMPARE(m_boxes.texts, QStringList()); }

    void theMenuOffersTheThreeCommands()
    {
        auto session = start({"a/x=1", "c/"});
        const QStringList entries = pickFromMenu([&] { rightPress(session->tree()->viewport(), placeOf(*session, "c/")); }, {});
        QCOMPARE(entries, (QStringList{"フォルダを開く", "パスをコピー", "再集計"}));
        // The right button chose the node it was pressed on.
        QCOMPARE(session->tree()->selectedItem(), session->node("c/"));
    }

    void rescanning_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QStringList>("nodes"); // root, a, b, c after the rescan of a
        QTest::addColumn<QStringList>("graph"); // the root's graph, drawn again
        const QStringList unchangedGraph = {"c 5 バイト 4.35%", "a 110 バイト 95.65%"};
        QTest::newRow("a file added") << "add a/b/new=50" << "menu"
                                      << QStringList{"%1 【165 バイト】", "a 【160 バイト】", "b 【150 バイト】", "c 【5 バイト】"}
                                      << QStringList{"c 5 バイト 3.03%", "a 160 バイト 96.97%"};
        QTest::newRow("a file grown") << "grow a/y=300" << "F5"
                                      << QStringList{"%1 【405 バイト】", "a 【400 バイト】", "b 【100 バイト】", "c 【5 バイト】"}
                                      << QStringList{"c 5 バイト 1.23%", "a 400 バイト 98.77%"};
        QTest::newRow("a sub-folder removed") << "remove a/b" << "menu"
                                              << QStringList{"%1 【15 バイト】", "a 【10 バイト】", "(none)", "c 【5 バイト】"}
                                              << QStringList{"c 5 バイト 33.33%", "a 10 バイト 66.67%"};
        QTest::newRow("the folder itself removed") << "remove a" << "F5"
                                                   << QStringList{"%1 【5 バイト】", "a 【0 バイト】", "(none)", "c 【5 バイト】"}
                                                   << QStringList{"c 5 バイト 100.00%"};
        QTest::newRow("cancelled") << "cancel" << "menu"
                                   << QStringList{"%1 【115 バイト】", "a 【110 バイト】", "b 【100 バイト】", "c 【5 バイト】"}
                                   << unchangedGraph;
    }

    void rescanning()
    {
        QFETCH(QString, change);
        QFETCH(QString, trigger);
        QFETCH(QStringList, nodes);
        QFETCH(QStringList, graph);
        auto session = start({"a/b/x=100", "a/y=10", "c/z=5"}, change == "cancel" ? "a/b/" : "");
        fMain &window = *session->window;
        clickNode(*session, "");
        QCOMPARE(breakdownRows(window), (QStringList{"c 5 バイト 4.35%", "a 110 バイト 95.65%"}));
        const bool bWasOpen = FolderTreeWidget::itemOf(session->node("a/"))->isExpanded();

        FixtureTree &fixture = session->fixture;
        if (change == "add a/b/new=50" || change == "cancel")
            fixture.makeFile(change == "cancel" ? "a/b/late" : "a/b/new", 50);
        else if (change == "grow a/y=300")
            fixture.makeFile("a/y", 300);
        else if (change.startsWith("remove "))
            QVERIFY(QDir(QString::fromLocal8Bit(session->path(change.mid(7).toUtf8()))).removeRecursively());

        session->gated->close();
        bool cancelled = false;
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, this, [&] {
            auto *dialog = shownProgressDialog();
            if (session->gated->reached() && dialog && dialog->isActiveWindow() && !cancelled) {
                WindowInput::click(dialog->findChild<QPushButton *>());
                cancelled = !dialog->isVisible();
                session->gated->open();
            }
        });
        canceller.start(20);
        if (trigger == "F5") {
            // "a" selected without graphing it: the right button, and the menu closed.
            pickFromMenu([&] { rightPress(session->tree()->viewport(), placeOf(*session, "a/")); }, {});
            WindowInput::key(&window, Qt::Key_F5);
        } else {
            pickFromMenu([&] { rightPress(session->tree()->viewport(), placeOf(*session, "a/")); }, QStringLiteral("再集計"));
        }

        QCOMPARE(cancelled, change == "cancel");
        const QString rootName = QString::fromLocal8Bit(QDir(QString::fromLocal8Bit(fixture.path())).dirName().toLocal8Bit());
        nodes[0] = nodes[0].arg(rootName);
        QCOMPARE(texts(*session, {"", "a/", "a/b/", "c/"}), nodes);
        QCOMPARE(breakdownRows(window), graph);
        // The rest of the tree stays as it was, open or closed.
        QVERIFY(FolderTreeWidget::itemOf(session->node(""))->isExpanded());
        if (session->node("a/b/"))
            QCOMPARE(FolderTreeWidget::itemOf(session->node("a/"))->isExpanded(), bWasOpen);
    }

    void copyingAPath_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected"); // %1 is the fixture's path
        QTest::newRow("menu") << QByteArray("a/") << "menu" << "%1a";
        QTest::newRow("Ctrl+C") << QByteArray("a/") << "Ctrl+C" << "%1a";
        QTest::newRow("Ctrl+C on the root") << QByteArray() << "Ctrl+C" << "%1";
        QTest::newRow("a name that is not UTF-8") << QByteArray("caf\xe9/") << "menu" << "file://%1caf%E9";
        QTest::newRow("a space and a Japanese name") << QByteArray("写 真/") << "Ctrl+C" << "%1写 真";
    }

    void copyingAPath()
    {
        QFETCH(QByteArray, folder);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        auto session = start({"a/x=1", "caf\xe9/y=2", "写 真/z=3"});
        QGuiApplication::clipboard()->clear();
        if (how == "menu") {
            pickFromMenu([&] { rightPress(session->tree()->viewport(), placeOf(*session, folder)); }, QStringLiteral("パスをコピー"));
        } else {
            clickNode(*session, folder);
            WindowInput::key(session->window.get(), Qt::Key_C, Qt::ControlModifier);
        }
        const QString fixturePath = QString::fromUtf8(session->fixture.path());
        const QString want = expected.arg(expected.startsWith("file:") ? fixturePath : fixturePath);
        QCOMPARE(QGuiApplication::clipboard()->text(), folder.isEmpty() ? fixturePath.chopped(1) : want);
        const QList<QUrl> urls = QGuiApplication::clipboard()->mimeData()->urls();
        QCOMPARE(urls.size(), 1);
        QCOMPARE(urls.first().toEncoded().mid(7), (session->path(folder)).chopped(1).toPercentEncoding("/"));
    }

    void openingAFolderInTheFileManager_data()
    {
        QTest::addColumn<bool>("fileManager"); // one besides this program, which is the default
        QTest::newRow("a file manager besides this program") << true;
        QTest::newRow("this program alone") << false;
    }

    void openingAFolderInTheFileManager()
    {
        QFETCH(bool, fileManager);
        DesktopFixture desktop;
        desktop.write("data/applications/" ZK_APP_ID ".desktop", DesktopFixture::recorder("this program", "%u"));
        if (fileManager)
            desktop.write("system/applications/files.desktop", DesktopFixture::recorder("file manager", "%U"));
        desktop.write("config/mimeapps.list", "[Default Applications]\ninode/directory=" ZK_APP_ID ".desktop;\n");
        auto session = start({"a/x=1", "caf\xe9/y=2"});
        pickFromMenu([&] { rightPress(session->tree()->viewport(), placeOf(*session, "a/")); }, QStringLiteral("フォルダを開く"));
        if (!fileManager) {
            QCOMPARE(m_boxes.texts, QStringList{"フォルダを開くプログラムが見つかりません: " + QFile::decodeName(session->path("a/"))});
            m_boxes.texts.clear();
            QTest::qWait(200);
            QCOMPARE(desktop.recording("this program"), QByteArray());
            return;
        }
        QTRY_COMPARE(desktop.recording("file manager"), "file://" + session->path("a").toPercentEncoding("/") + '\n');
        desktop.forgetRecording("file manager");
        // The Menu key, as the platform delivers it: a context menu event for the keyboard.
        pickFromMenu([&] {
            session->tree()->setFocus();
            session->tree()->setCurrentItem(FolderTreeWidget::itemOf(session->node("caf\xe9/")));
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
            QCoreApplication::sendEvent(session->window->windowHandle(), &menuKey);
        }, QStringLiteral("フォルダを開く"));
        QTRY_COMPARE(desktop.recording("file manager"), "file://" + session->path("caf").toPercentEncoding("/") + "%E9\n");
        QCOMPARE(desktop.recording("this program"), QByteArray());
    }

    void shiftF10OpensTheMenuOfTheCurrentNode()
    {
        auto session = start({"a/x=1", "c/"});
        clickNode(*session, "c/");
        QGuiApplication::clipboard()->clear();
        pickFromMenu([&] { WindowInput::key(session->window.get(), Qt::Key_F10, Qt::ShiftModifier); }, QStringLiteral("パスをコピー"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLocal8Bit(session->path("c")));
    }

    void drillingDownFromTheChart_data()
    {
        QTest::addColumn<QString>("slice"); // the slice's name
        QTest::addColumn<QString>("where"); // inside, start edge, end edge, label
        QTest::addColumn<QByteArray>("graphed"); // the folder graphed after the click; "-" the root still
        for (const char *name : {"a", "b", "c"}) {
            const QByteArray folder = QByteArray(name) + '/';
            QTest::addRow("inside %s", name) << name << "inside" << folder;
            QTest::addRow("near %s's first edge", name) << name << "start edge" << folder;
            QTest::addRow("near %s's last edge", name) << name << "end edge" << folder;
            QTest::addRow("on %s's label", name) << name << "label" << folder;
        }
        QTest::newRow("the files' own slice") << "単一フォルダ" << "inside" << QByteArray("-");
        QTest::newRow("the files' own label") << "単一フォルダ" << "label" << QByteArray("-");
        QTest::newRow("the folded slice") << "その他" << "inside" << QByteArray("-");
        QTest::newRow("outside the pie") << "" << "outside" << QByteArray("-");
        QTest::newRow("the centre, where all slices meet") << "" << "centre" << QByteArray("-");
    }

    void drillingDownFromTheChart()
    {
        QFETCH(QString, slice);
        QFETCH(QString, where);
        QFETCH(QByteArray, graphed);
        auto session = start({"a/x=300", "b/y=100", "c/z=200", "own=50", "tiny/t=5"});
        fMain &window = *session->window;
        clickNode(*session, "");
        const PieFigure figure = window.picGraph->figure();
        QCOMPARE(figure.slices.size(), size_t(5));
        const auto at = [&](double angle, double fraction) {
            return QPoint(figure.centre.x() + int(std::lround(fraction * figure.radiusX * std::cos(angle))),
                          figure.centre.y() + int(std::lround(fraction * figure.radiusY * std::sin(angle))));
        };
        QPoint point(5, 5);
        for (const PieSlice &shown : figure.slices) {
            if (shown.name != slice)
                continue;
            if (where == "inside")
                point = at((shown.startAngle + shown.endAngle) / 2, 0.5);
            else if (where == "start edge")
                point = at(shown.startAngle + 0.06, 0.7);
            else if (where == "end edge")
                point = at(shown.endAngle - 0.06, 0.7);
            else if (where == "label")
                point = shown.labelBox.topLeft() + QPoint(3, 3);
        }
        if (where == "centre")
            point = figure.centre;
        WindowInput::click(window.picGraph, point);
        const QByteArray expected = graphed == "-" ? session->path("") : session->path(graphed);
        QCOMPARE(session->tree()->selectedItem()->key(), expected);
        if (graphed == "-")
            return;
        // The node above it opened, and Backspace on the chart goes back up.
        QVERIFY(FolderTreeWidget::itemOf(session->node(""))->isExpanded());
        QCOMPARE(breakdownRows(window).first().section(' ', 0, 0), QStringLiteral("単一フォルダ"));
        window.picGraph->setFocus();
        WindowInput::key(&window, Qt::Key_Backspace);
        QCOMPARE(session->tree()->selectedItem()->key(), session->path(""));
    }

    void theChartTellsWhatThePointerIsOver()
    {
        auto session = start({"a/x=300", "b/y=100"});
        fMain &window = *session->window;
        clickNode(*session, "");
        const PieFigure figure = window.picGraph->figure();
        const PieSlice &a = figure.slices.back();
        QCOMPARE(a.name, QStringLiteral("a"));
        const double middle = (a.startAngle + a.endAngle) / 2;
        const QPoint inside(figure.centre.x() + int(0.5 * figure.radiusX * std::cos(middle)), figure.centre.y() + int(0.5 * figure.radiusY * std::sin(middle)));
        WindowInput::moveTo(window.picGraph, inside);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("a 300 バイト、75.00%"));
    }

    void theBreakdownListGoesDownAndUp()
    {
        auto session = start({"a/b/x=100", "a/y=10", "c/z=5"});
        fMain &window = *session->window;
        BreakdownListWidget *list = window.lvwFolders;
        clickNode(*session, "");
        QCOMPARE(breakdownRows(window), (QStringList{"c 5 バイト 4.35%", "a 110 バイト 95.65%"}));
        const auto rowPlace = [&](int row) { return list->visualItemRect(list->topLevelItem(row)).center(); };

        // A double-click on a sub-folder's row graphs it and selects its node.
        WindowInput::doubleClick(list->viewport(), rowPlace(1));
        QCOMPARE(breakdownRows(window), (QStringList{"単一フォルダ 10 バイト 9.09%", "b 100 バイト 90.91%"}));
        QCOMPARE(session->tree()->selectedItem(), session->node("a/"));
        // The row of the folder's own files leads nowhere.
        WindowInput::doubleClick(list->viewport(), rowPlace(0));
        QCOMPARE(session->tree()->selectedItem(), session->node("a/"));
        // Down again, opening the nodes on the way; then Backspace goes back up.
        WindowInput::doubleClick(list->viewport(), rowPlace(1));
        QCOMPARE(session->tree()->selectedItem(), session->node("a/b/"));
        QCOMPARE(breakdownRows(window), (QStringList{"単一フォルダ 100 バイト 100.00%"}));
        WindowInput::key(&window, Qt::Key_Backspace);
        QCOMPARE(session->tree()->selectedItem(), session->node("a/"));
        WindowInput::key(&window, Qt::Key_Backspace);
        QCOMPARE(session->tree()->selectedItem(), session->node(""));
        // At the root it stays.
        WindowInput::key(&window, Qt::Key_Backspace);
        QCOMPARE(session->tree()->selectedItem(), session->node(""));
        QCOMPARE(breakdownRows(window).size(), 2);
        // A sub-folder's row has the folder menu too.
        QGuiApplication::clipboard()->clear();
        pickFromMenu([&] { rightPress(list->viewport(), rowPlace(0)); }, QStringLiteral("パスをコピー"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLocal8Bit(session->path("c")));
    }

    // A click on a slice gives the chart the keys: Backspace goes up right after it.
    void aClickOnASliceGivesTheChartTheKeys()
    {
        auto session = start({"a/x=300", "b/y=100"});
        fMain &window = *session->window;
        clickNode(*session, "");
        const PieFigure figure = window.picGraph->figure();
        const PieSlice &a = figure.slices.back();
        const double middle = (a.startAngle + a.endAngle) / 2;
        WindowInput::click(window.picGraph, QPoint(figure.centre.x() + int(0.5 * figure.radiusX * std::cos(middle)),
                                                   figure.centre.y() + int(0.5 * figure.radiusY * std::sin(middle))));
        QCOMPARE(session->tree()->selectedItem(), session->node("a/"));
        QVERIFY(window.picGraph->hasFocus());
        WindowInput::key(&window, Qt::Key_Backspace);
        QCOMPARE(session->tree()->selectedItem(), session->node(""));
    }

    void sortingByAHeader_data()
    {
        QTest::addColumn<QStringList>("headers"); // clicked in turn
        QTest::addColumn<QStringList>("names");   // the rows' names after the clicks
        QTest::newRow("as it starts: smallest first") << QStringList{} << QStringList{"単一フォルダ", "Beta", "alpha", "gamma"};
        QTest::newRow("by name") << QStringList{"フォルダ名"} << QStringList{"alpha", "Beta", "gamma", "単一フォルダ"};
        QTest::newRow("by name, reversed") << QStringList{"フォルダ名", "フォルダ名"} << QStringList{"単一フォルダ", "gamma", "Beta", "alpha"};
        QTest::newRow("by size") << QStringList{"容量"} << QStringList{"単一フォルダ", "Beta", "alpha", "gamma"};
        QTest::newRow("by size, reversed") << QStringList{"容量", "容量"} << QStringList{"gamma", "alpha", "Beta", "単一フォルダ"};
        QTest::newRow("by share, reversed, then by name") << QStringList{"割合", "割合", "フォルダ名"} << QStringList{"alpha", "Beta", "gamma", "単一フォルダ"};
    }

    void sortingByAHeader()
    {
        QFETCH(QStringList, headers);
        QFETCH(QStringList, names);
        // Sizes whose texts sort otherwise than their numbers: 2 バイト, 1,000 バイト, 2.0 KB.
        auto session = start({"gamma/x=2048", "alpha/y=1000", "Beta/z=2", "own=1"});
        fMain &window = *session->window;
        BreakdownListWidget *list = window.lvwFolders;
        clickNode(*session, "");
        QHeaderView *header = list->header();
        const QPoint start = WindowInput::placeOf(header->viewport(), QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
        for (const QString &clicked : headers) {
            int section = 0;
            while (list->headerItem()->text(section) != clicked)
                ++section;
            const QPoint place(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
            WindowInput::click(header->viewport(), place);
        }
        const auto shownNames = [&] {
            QStringList shown;
            for (const QString &row : breakdownRows(window))
                shown << row.section(' ', 0, 0);
            return shown;
        };
        QCOMPARE(shownNames(), names);

        // The order chosen holds for the next folder graphed; the columns stay in place
        // when a header is dragged.
        QTest::mousePress(WindowInput::windowOf(list), Qt::LeftButton, {}, start);
        QTest::mouseMove(WindowInput::windowOf(list), start + QPoint(200, 0));
        QTest::mouseRelease(WindowInput::windowOf(list), Qt::LeftButton, {}, start + QPoint(200, 0));
        QCOMPARE(header->logicalIndex(0), 0);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("フォルダ名"));
        clickNode(*session, "");
        QCOMPARE(shownNames(), names);
    }
};

ZK_TEST_MAIN(TestFolderCommands)
#include "tst_folder_commands.moc"
