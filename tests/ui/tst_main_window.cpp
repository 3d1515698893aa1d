#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_lines_widget.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/folder_path.h"
#include "platform/posix_folder_enumerator.h"
#include "support/faulty_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/message_boxes.h"
#include "support/test_main.h"
#include "support/window_input.h"
#include "support/window_reading.h"
#include "support/tree_texts.h"
#include "ui/background_pictures.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QDir>
#include <QFile>
#include <QDropEvent>
#include <QMimeData>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

namespace {

// Fails every walk it is asked for, the way an unexpected fault would.
class BrokenFileSystem final : public FolderEnumerator
{
public:
    std::unique_ptr<FolderWalk> startWalk(const QByteArray &) override { throw std::runtime_error("ディスクを読めません"); }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;
    QString m_pickerAnswer;
    int m_pickerCalls = 0;

    void answerPicker(const QString &answer) { m_pickerAnswer = answer; }

    static void showWindow(fMain &window)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void clickSelect(fMain &window)
    {
        if (!window.isVisible())
            showWindow(window);
        WindowInput::click(window.cmdBrowse);
    }

    static QPoint placeOfNode(fMain &window, TreeNode *node)
    {
        return window.trvFolders->visualItemRect(FolderTreeWidget::itemOf(node)).center();
    }

    static void clickNode(fMain &window, TreeNode *node)
    {
        WindowInput::click(window.trvFolders->viewport(), placeOfNode(window, node));
    }


private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        mBrowse::setFolderDialog([this](QWidget *, const QString &, unsigned, const QString &) {
            ++m_pickerCalls;
            return m_pickerAnswer;
        });
    }

    void layout()
    {
        fMain window(m_fileSystem);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.windowTitle(), QStringLiteral("Zorvik_Kavrona Ver 0.95"));
        QCOMPARE(window.size(), QSize(781, 466));
        // It starts at its one size and can grow, never shrink.
        QCOMPARE(window.minimumSize(), QSize(781, 466));
        QCOMPARE(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QVERIFY(window.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(!window.windowIcon().isNull());
        QCOMPARE(window.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(window.font().pointSizeF(), 8.25);

        const QList<std::tuple<QWidget *, QRect, double>> controls = {
            {window.txtRootFolder, QRect(9, 10, 241, 17), 9.75},
            {window.cmdBrowse, QRect(260, 8, 66, 21), 9},
            {window.trvFolders, QRect(9, 40, 315, 259), 9},
            {window.picGraph, QRect(329, 42, 443, 414), 12},
            {window.List2, QRect(396, 12, 42, 14), 9},
            {window.lvwFolders, QRect(8, 308, 315, 148), 9},
        };
        for (const auto &[control, geometry, points] : controls) {
            QCOMPARE(control->geometry(), geometry);
            QCOMPARE(control->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
            QCOMPARE(control->font().pointSizeF(), points);
        }
        QCOMPARE(window.cmdBrowse->text(), QStringLiteral("SELECT"));
        QVERIFY(window.txtRootFolder->text().isEmpty());
        QVERIFY(!window.txtRootFolder->isReadOnly());
        QVERIFY(!window.List2->isVisible());
        QVERIFY(window.trvFolders->rootIsDecorated());

        QTreeWidgetItem *header = window.lvwFolders->headerItem();
        QCOMPARE(window.lvwFolders->columnCount(), 3);
        const QList<std::pair<QString, int>> columns = {{"フォルダ名", 167}, {"容量", 67}, {"割合", 60}};
        for (int column = 0; column < 3; ++column) {
            QCOMPARE(header->text(column), columns[column].first);
            QCOMPARE(window.lvwFolders->columnWidth(column), columns[column].second);
        }
        QVERIFY(window.lvwFolders->header()->defaultAlignment() & Qt::AlignLeft);
        QCOMPARE(window.lvwFolders->topLevelItemCount(), 0);

        // Tab order: text box, button, tree, chart area, (hidden list), list view.
        const QList<QWidget *> order = {window.txtRootFolder, window.cmdBrowse, window.trvFolders,
                                        window.picGraph, window.List2, window.lvwFolders};
        QList<QWidget *> chain;
        for (QWidget *widget = window.txtRootFolder; chain.size() < order.size(); widget = widget->nextInFocusChain()) {
            if (order.contains(widget))
                chain << widget;
        }
        QCOMPARE(chain, order);
    }

    void backgroundPicturesFollowTheirRules()
    {
        const QRgb line = qRgb(85, 234, 201);
        const QRgb white = qRgb(255, 255, 255);
        const QImage window = windowBackground();
        QCOMPARE(window.size(), QSize(885, 678));
        for (int y = 0; y < window.height(); ++y) {
            for (int x = 0; x < window.width(); ++x) {
                bool isLine = y % 3 == 0;
                if (x < 192 && y < 364)
                    isLine = y % 2 == 1 && !(x == 0 && y >= 192 && y <= 363);
                QCOMPARE(window.pixel(x, y), isLine ? line : white);
            }
        }
        const QImage chart = chartBackground();
        QCOMPARE(chart.size(), QSize(624, 587));
        for (int y = 0; y < chart.height(); ++y) {
            for (int x = 0; x < chart.width(); ++x)
                QCOMPARE(chart.pixel(x, y), y % 3 == 0 ? line : white);
        }
    }

    void theWindowShowsItsPicturesUnscaled()
    {
        fMain window(m_fileSystem);
        const QImage shot = window.grab().toImage();
        const QRgb line = qRgb(85, 234, 201);
        // Margins of the block, then the stripes below and right of it, then the chart
        // area whose stripes continue the window's from row 42 on.
        QCOMPARE(shot.pixel(100, 1), line);
        QCOMPARE(shot.pixel(100, 2), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(0, 301), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(1, 301), line);
        QCOMPARE(shot.pixel(200, 303), line);
        QCOMPARE(shot.pixel(200, 304), qRgb(255, 255, 255));
        for (int y = 42; y < 60; ++y) {
            QCOMPARE(shot.pixel(400, y), y % 3 == 0 ? line : qRgb(255, 255, 255));
            QCOMPARE(shot.pixel(328, y), shot.pixel(400, y));
        }
    }

    void choosingAFolderFillsTheTree()
    {
        FixtureTree fixture;
        fixture.make({"b/x=2048", "a/inner/y=10", "own=1"});
        fMain window(m_fileSystem);
        answerPicker(QString::fromLocal8Bit(fixture.path().chopped(1)));
        clickSelect(window);

        QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(fixture.path()));
        QCOMPARE(window.trvFolders->topLevelItemCount(), 1);
        TreeNode *root = window.trvFolders->node(fixture.path());
        QVERIFY(root);
        QCOMPARE(childTexts(root), (QStringList{"a 【10 バイト】", "b 【2.0 KB】"}));
        QCOMPARE(childTexts(window.trvFolders->node(fixture.path() + "a/")), (QStringList{"FILLER"}));
        QVERIFY(!FolderTreeWidget::itemOf(root)->isExpanded());
    }

    void cancellingChangesNothing()
    {
        FixtureTree fixture;
        fixture.make({"a/x=5"});
        fMain window(m_fileSystem);
        answerPicker({});
        const int calls = m_pickerCalls;
        clickSelect(window);
        QCOMPARE(m_pickerCalls, calls + 1);
        QVERIFY(window.txtRootFolder->text().isEmpty());
        QCOMPARE(window.trvFolders->topLevelItemCount(), 0);
        QCOMPARE(window.oPopulater(), nullptr);

        answerPicker(QString::fromLocal8Bit(fixture.path()));
        clickSelect(window);
        cNodePopulater *populater = window.oPopulater();
        window.List2->addItem(QStringLiteral("earlier line"));
        answerPicker({});
        clickSelect(window);
        QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(fixture.path()));
        QCOMPARE(window.oPopulater(), populater);
        QCOMPARE(childTexts(window.trvFolders->node(fixture.path())), (QStringList{"a 【5 バイト】"}));
        QCOMPARE(window.List2->count(), 1);
    }

    void choosingTheSameFolderAgainScansAgain()
    {
        FixtureTree fixture;
        fixture.make({"a/x=5"});
        fMain window(m_fileSystem);
        answerPicker(QString::fromLocal8Bit(fixture.path()));
        clickSelect(window);
        fixture.make({"a/y=10", "b/"});
        clickSelect(window);
        QCOMPARE(window.trvFolders->topLevelItemCount(), 1);
        QCOMPARE(childTexts(window.trvFolders->node(fixture.path())), (QStringList{"a 【15 バイト】", "b 【0 バイト】"}));
    }

    void theFileSystemRootKeepsItsOneSeparator()
    {
        // Listing "/" fails on purpose: the test must not add up the whole machine.
        FaultyFolderEnumerator faulty(m_fileSystem, {"/"});
        fMain window(faulty);
        answerPicker(QStringLiteral("/"));
        clickSelect(window);
        QCOMPARE(window.txtRootFolder->text(), QStringLiteral("/"));
        QCOMPARE(window.trvFolders->node("/")->text(), QStringLiteral("/ 【0 バイト】 ［読み取り不可］"));
    }

    void expandingAndClickingFillInChildren()
    {
        FixtureTree fixture;
        fixture.make({"a/b/c/x=1", "a/d/y=2"});
        fMain window(m_fileSystem);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.openRoot(fixture.path());
        FolderTreeWidget *tree = window.trvFolders;
        tree->expandItem(FolderTreeWidget::itemOf(tree->node(fixture.path())));

        // A click fills in the children and leaves the node closed.
        TreeNode *a = tree->node(fixture.path() + "a/");
        clickNode(window, a);
        QCOMPARE(childTexts(a), (QStringList{"b 【1 バイト】", "d 【2 バイト】"}));
        QVERIFY(!FolderTreeWidget::itemOf(a)->isExpanded());
        // Clicking again adds nothing.
        clickNode(window, a);
        QCOMPARE(a->children(), 2);

        // Opening a node fills it in too.
        tree->expandItem(FolderTreeWidget::itemOf(a));
        TreeNode *b = tree->node(fixture.path() + "a/b/");
        tree->expandItem(FolderTreeWidget::itemOf(b));
        QCOMPARE(childTexts(b), (QStringList{"c 【1 バイト】"}));
        QVERIFY(FolderTreeWidget::itemOf(b)->isExpanded());
    }

    void aPersonsActionOnTheTreeNeverEndsTheProgram_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("graph");
        const QStringList root = {"単一フォルダ 50 バイト 11.09%", "a 100 バイト 22.17%", "b 301 バイト 66.74%"};
        const QStringList a = {"単一フォルダ 100 バイト 100.00%"};
        const QStringList b = {"c 1 バイト 0.33%", "単一フォルダ 300 バイト 99.67%"};
        const QStringList nothing;
        QTest::newRow("Enter on the current root, never selected") << QStringList{"select", "enter"} << root;
        QTest::newRow("Return on it") << QStringList{"select", "return"} << root;
        QTest::newRow("Space on it") << QStringList{"select", "space"} << root;
        QTest::newRow("Enter on an empty tree") << QStringList{"enter"} << nothing;
        QTest::newRow("a click on an empty tree") << QStringList{"click below"} << nothing;
        QTest::newRow("a click below the nodes") << QStringList{"select", "click below"} << nothing;
        QTest::newRow("a click below the nodes, then Enter") << QStringList{"select", "click below", "enter"} << root;
        QTest::newRow("a double-click on a node") << QStringList{"select", "right", "double-click b"} << b;
        QTest::newRow("a double-click on the root") << QStringList{"select", "double-click root"} << root;
        QTest::newRow("Right, Down, Enter") << QStringList{"select", "right", "down", "enter"} << a;
        QTest::newRow("Right, End, Space") << QStringList{"select", "right", "end", "space"} << b;
        QTest::newRow("Right, End, Home, Enter") << QStringList{"select", "right", "end", "home", "enter"} << root;
        QTest::newRow("typing a name's first letter") << QStringList{"select", "right", "type b", "enter"} << b;
        QTest::newRow("the same root twice, then Enter") << QStringList{"select", "select", "enter"} << root;
        // Told it is gone, in a box that is no error: nothing false is graphed.
        QTest::newRow("a click on a folder that vanished") << QStringList{"select", "right", "remove b", "click b"} << nothing;
    }

    void aPersonsActionOnTheTreeNeverEndsTheProgram()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, graph);
        FixtureTree fixture;
        fixture.make({"a/x=100", "b/y=300", "b/c/z=1", "own=50"});
        fMain window(m_fileSystem);
        showWindow(window);
        answerPicker(QString::fromLocal8Bit(fixture.path()));
        const MessageBoxCloser errors;

        FolderTreeWidget *tree = window.trvFolders;
        const auto node = [&](const QByteArray &relative) { return tree->node(fixture.path() + relative); };
        const auto focusTree = [&] {
            for (int tabs = 0; !tree->hasFocus() && tabs < 6; ++tabs)
                WindowInput::key(&window, Qt::Key_Tab);
            QVERIFY(tree->hasFocus());
        };
        for (const QString &step : steps) {
            if (step == "select") {
                clickSelect(window);
                focusTree();
            } else if (step == "enter" || step == "return" || step == "space" || step == "right" || step == "down"
                       || step == "end" || step == "home") {
                focusTree();
                const QHash<QString, Qt::Key> keys = {{"enter", Qt::Key_Enter}, {"return", Qt::Key_Return},
                                                      {"space", Qt::Key_Space}, {"right", Qt::Key_Right},
                                                      {"down", Qt::Key_Down}, {"end", Qt::Key_End}, {"home", Qt::Key_Home}};
                WindowInput::key(&window, keys.value(step), step == "enter" ? Qt::KeypadModifier : Qt::NoModifier);
            } else if (step == "type b") {
                WindowInput::type(&window, "b");
            } else if (step == "click below") {
                WindowInput::click(tree->viewport(), QPoint(40, tree->viewport()->height() - 5));
            } else if (step == "click b") {
                clickNode(window, node("b/"));
            } else if (step == "double-click b" || step == "double-click root") {
                WindowInput::doubleClick(tree->viewport(), placeOfNode(window, node(step == "double-click b" ? "b/" : "")));
            } else if (step == "remove b") {
                QVERIFY(QDir(QString::fromLocal8Bit(fixture.path() + "b")).removeRecursively());
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
        QCoreApplication::processEvents();

        const bool vanished = steps.contains(QStringLiteral("remove b"));
        QCOMPARE(errors.texts.size(), vanished ? 1 : 0);
        if (vanished)
            QVERIFY2(errors.last().startsWith(QStringLiteral("このフォルダは集計の後に削除された")), qPrintable(errors.last()));
        QCOMPARE(breakdownRows(window), graph);
        if (!graph.isEmpty())
            QVERIFY(tree->selectedItem());
    }

    void aSizeThatDoesNotFitItsColumnShowsInFullAsATooltip()
    {
        FixtureTree fixture;
        fixture.make({"huge/x=2925738803", "small/y=1"});
        fMain window(m_fileSystem);
        showWindow(window);
        window.openRoot(fixture.path());
        clickNode(window, window.trvFolders->node(fixture.path()));
        QCOMPARE(breakdownRows(window), (QStringList{"small 1 バイト 0.00%", "huge 2,790.2 MB 100.00%"}));
        QCOMPARE(window.lvwFolders->columnWidth(1), 67);

        BreakdownListWidget *list = window.lvwFolders;
        const auto sizeCell = [&](int row) { return list->visualRect(list->model()->index(row, 1)).center(); };
        // A size that fits has no tooltip; one that is cut short shows in full.
        WindowInput::moveTo(list->viewport(), sizeCell(0));
        QTest::qWait(1000);
        QVERIFY(QToolTip::text().isEmpty());
        WindowInput::moveTo(list->viewport(), sizeCell(1));
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("2,790.2 MB"));
        QCOMPARE(window.lvwFolders->columnWidth(1), 67);
    }

    void droppingAFolderChoosesIt_data()
    {
        QTest::addColumn<QList<QByteArray>>("dropped"); // relative to the fixture
        QTest::addColumn<QByteArray>("root");          // the root then, relative; "-" for none
        QTest::newRow("a folder") << QList<QByteArray>{"a"} << QByteArray("a/");
        QTest::newRow("a folder whose name is not UTF-8") << QList<QByteArray>{"caf\xe9"} << QByteArray("caf\xe9/");
        // A file is taken for an export, and this one is none.
        QTest::newRow("a plain file") << QList<QByteArray>{"a/x"} << QByteArray("-");
        QTest::newRow("two folders") << QList<QByteArray>{"a", "caf\xe9"} << QByteArray("-");
        QTest::newRow("something gone") << QList<QByteArray>{"gone"} << QByteArray("-");
    }

    void droppingAFolderChoosesIt()
    {
        QFETCH(QList<QByteArray>, dropped);
        QFETCH(QByteArray, root);
        FixtureTree fixture;
        fixture.make({"a/x=5", "a/b/", "caf\xe9/y=7"});
        fMain window(m_fileSystem);
        showWindow(window);
        QMimeData data;
        QList<QUrl> urls;
        for (const QByteArray &relative : dropped)
            urls << QUrl::fromEncoded("file://" + (fixture.path() + relative).toPercentEncoding("/"));
        data.setUrls(urls);

        const MessageBoxCloser boxes;
        WindowInput::drop(window.trvFolders, data);
        QCOMPARE(boxes.last().startsWith(QStringLiteral("エクスポートファイルを読めません")), dropped == QList<QByteArray>{"a/x"});

        if (root == "-") {
            QCOMPARE(window.trvFolders->topLevelItemCount(), 0);
            QVERIFY(window.txtRootFolder->text().isEmpty());
            return;
        }
        QVERIFY(window.trvFolders->node(fixture.path() + root));
        QCOMPARE(window.txtRootFolder->text(), displayText(fixture.path() + root));
    }

    void openingAnExport_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("how"); // "open" or "drop"
        QTest::addColumn<QStringList>("tree"); // the root and its children; empty: the window as it was
        QTest::addColumn<QString>("message");  // what the box says
        const QByteArray good = "[1,2,{\"progname\":\"ncdu\"},[{\"name\":\"/srv/data\"},{\"name\":\"own\",\"asize\":1536},"
                                "[{\"name\":\"b\"},{\"name\":\"x\",\"asize\":2048}],[{\"name\":\"a\"},[{\"name\":\"in\"},"
                                "{\"name\":\"y\",\"asize\":10}]]]]";
        const QStringList shown = {"data 【3.5 KB】", "a 【10 バイト】", "b 【2.0 KB】"};
        QTest::newRow("opened") << good << "open" << shown << QString();
        QTest::newRow("dropped") << good << "drop" << shown << QString();
        // The box names the file ("%1") and counts the bytes before the fault.
        QTest::newRow("cut short") << good.left(40) << "open" << QStringList()
                                   << QStringLiteral("エクスポートファイルを読めません: 「%1」の先頭から 40 バイトの位置に");
        QTest::newRow("another format") << QByteArray("{\"files\":[]}") << "drop" << QStringList()
                                        << QStringLiteral("エクスポートファイルを読めません: 「%1」の先頭から 0 バイトの位置に「[」");
        QProcess gzip;
        gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c")});
        gzip.write(good);
        gzip.closeWriteChannel();
        QVERIFY(gzip.waitForFinished());
        QTest::newRow("dropped, compressed with gzip") << gzip.readAllStandardOutput() << "drop" << shown << QString();
    }

    void openingAnExport()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, how);
        QFETCH(QStringList, tree);
        QFETCH(QString, message);
        FixtureTree fixture;
        fixture.make({"before/x=5"});
        QFile file(QString::fromLocal8Bit(fixture.path() + "srv.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        fMain window(m_fileSystem);
        showWindow(window);
        window.openRoot(fixture.path() + "before/");
        const MessageBoxCloser boxes;
        if (how == "open") {
            window.openImport(file.fileName());
        } else {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file.fileName())});
            WindowInput::drop(window.trvFolders, data);
        }
        QTRY_VERIFY(message.isEmpty() || !boxes.texts.isEmpty());
        if (message.contains(QStringLiteral("%1")))
            message = message.arg(file.fileName());
        QVERIFY2(boxes.last().startsWith(message), qPrintable(boxes.last()));
        if (tree.isEmpty()) {
            // The window as it was: the folder chosen before, under the program's name.
            QCOMPARE(window.txtRootFolder->text(), displayText(fixture.path() + "before/"));
            QVERIFY(window.trvFolders->node(fixture.path() + "before/"));
            QCOMPARE(window.windowTitle(), fMain::caption);
            return;
        }
        QCOMPARE(window.txtRootFolder->text(), QStringLiteral("/srv/data/"));
        QCOMPARE(window.windowTitle(), fMain::caption + QStringLiteral(" - srv.json"));
        TreeNode *root = window.trvFolders->node("/srv/data/");
        QVERIFY(root);
        QCOMPARE(QStringList{root->text()} + childTexts(root), tree);
        // The tree opens and graphs as for a folder scanned here.
        clickNode(window, root);
        QCOMPARE(breakdownRows(window), (QStringList{"a 10 バイト 0.28%", "単一フォルダ 1.5 KB 42.74%", "b 2.0 KB 56.98%"}));
        window.trvFolders->expandItem(FolderTreeWidget::itemOf(root));
        TreeNode *a = window.trvFolders->node("/srv/data/a/");
        clickNode(window, a);
        QCOMPARE(childTexts(a), (QStringList{"in 【10 バイト】"}));
    }

    void typedTextChangesNothing()
    {
        FixtureTree fixture;
        fixture.make({"a/"});
        fMain window(m_fileSystem);
        showWindow(window);
        window.openRoot(fixture.path());
        window.txtRootFolder->setFocus();
        WindowInput::type(&window, "/elsewhere/");
        QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(fixture.path()) + "/elsewhere/");
        QCOMPARE(window.trvFolders->topLevelItemCount(), 1);
        QVERIFY(window.trvFolders->node(fixture.path()));
    }

    void anErrorThatEscapesAHandlerIsShownAndEndsTheProgram()
    {
        BrokenFileSystem broken;
        fMain window(broken);
        window.show();
        const MessageBoxCloser boxes;
        QTimer::singleShot(0, &window, [&] { window.openRoot("/tmp/"); });
        QCOMPARE(QCoreApplication::exec(), 1);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("ディスクを読めません")});
    }

    void closingReleasesThePopulater()
    {
        FixtureTree fixture;
        fMain window(m_fileSystem);
        window.show();
        window.openRoot(fixture.path());
        QVERIFY(window.oPopulater());
        QVERIFY(window.close());
        QCOMPARE(window.oPopulater(), nullptr);
    }
};

ZK_TEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
