#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "exchange/folder_export.h"
#include "platform/posix_folder_enumerator.h"
#include "scan/scan_control.h"
#include "support/fixture_tree.h"
#include "support/message_boxes.h"
#include "support/test_main.h"
#include "support/tree_input.h"
#include "support/window_input.h"
#include "support/window_reading.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>

// The first things a person tries: typing a path, seeing which folder is graphed and
// going up from it, and where the picker opens.
class TestFirstThings : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

    static void clickNode(fMain &window, const QByteArray &key) { ::clickNode(*window.trvFolders, key); }

private slots:
    void initTestCase() { installFontSubstitutions(); }

    void aTypedPathOpensAsSelectWould_data()
    {
        QTest::addColumn<QString>("typed"); // "TREE" stands for the fixture's folder
        QTest::addColumn<QString>("root");  // the root after Enter, relative to the fixture; "-" none
        QTest::addColumn<QString>("told");  // the start of the message; empty for none
        QTest::newRow("a folder") << "TREE/sub" << "sub/" << "";
        QTest::newRow("with its closing separator") << "TREE/sub/" << "sub/" << "";
        QTest::newRow("a file:// URL") << "file://TREE/sub" << "sub/" << "";
        QTest::newRow("spaces round it") << "  TREE/sub  " << "sub/" << "";
        QTest::newRow("a file") << "TREE/file" << "-" << "フォルダではありません: ";
        QTest::newRow("nothing there") << "TREE/missing" << "-" << "フォルダではありません: ";
        QTest::newRow("another machine's URL") << "file://elsewhere/srv" << "-" << "このコンピューターのフォルダではありません: ";
    }

    void aTypedPathOpensAsSelectWould()
    {
        QFETCH(QString, typed);
        QFETCH(QString, root);
        QFETCH(QString, told);
        FixtureTree fixture;
        fixture.make({"sub/a/x=5", "file=3"});
        fMain window(m_fileSystem);
        showActive(window);
        const MessageBoxCloser boxes;
        const QString tree = QString::fromLocal8Bit(fixture.path().chopped(1));
        WindowInput::click(window.txtRootFolder);
        window.txtRootFolder->selectAll();
        WindowInput::type(window.txtRootFolder, typed.replace(QStringLiteral("TREE"), tree).toUtf8());
        WindowInput::key(window.txtRootFolder, Qt::Key_Return);
        QCoreApplication::processEvents();
        if (root == "-") {
            QCOMPARE(window.trvFolders->topLevelItemCount(), 0);
            QCOMPARE(boxes.texts.size(), 1);
            QVERIFY2(boxes.last().startsWith(told), qPrintable(boxes.last()));
        } else {
            QCOMPARE(boxes.texts, QStringList());
            QVERIFY(window.trvFolders->node(fixture.path() + root.toUtf8()));
            QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(fixture.path() + root.toUtf8()));
        }
    }

    void aTypedPathThatIsNoFolderLeavesTheTreeAsItWas()
    {
        FixtureTree fixture;
        fixture.make({"a/x=5"});
        fMain window(m_fileSystem);
        showActive(window);
        const MessageBoxCloser boxes;
        const QString answer = QString::fromLocal8Bit(fixture.path());
        mBrowse::setFolderDialog([answer](QWidget *, const QString &, unsigned, const QString &) { return answer; });
        WindowInput::click(window.cmdBrowse);
        window.txtRootFolder->setFocus();
        window.txtRootFolder->selectAll();
        WindowInput::type(window.txtRootFolder, "/nowhere/at/all");
        WindowInput::key(window.txtRootFolder, Qt::Key_Return);
        QCOMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.last(), QStringLiteral("フォルダではありません: /nowhere/at/all（見つかりません）"));
        QVERIFY(window.trvFolders->node(fixture.path()));
        QCOMPARE(window.trvFolders->topLevelItemCount(), 1);
    }

    // Which folder is graphed is written above the chart, its path shortened in the
    // middle when long; "上へ" goes up, and is there only below the root.
    void theGraphedFolderAndTheWayUp()
    {
        FixtureTree fixture;
        const QByteArray deep = "a-rather-long-folder-name/and-another-long-one/and-yet-another-one-here/";
        fixture.make({deep + "x=5", "a-rather-long-folder-name/y=1"});
        fMain window(m_fileSystem);
        showActive(window);
        const QString answer = QString::fromLocal8Bit(fixture.path());
        mBrowse::setFolderDialog([answer](QWidget *, const QString &, unsigned, const QString &) { return answer; });
        WindowInput::click(window.cmdBrowse);
        QVERIFY(!window.lblGraphed->isVisible());
        QVERIFY(!window.cmdUp->isVisible());

        clickNode(window, fixture.path());
        QVERIFY(window.lblGraphed->isVisible());
        QCOMPARE(window.lblGraphed->toolTip(), QString::fromLocal8Bit(fixture.path().chopped(1)));
        QVERIFY(!window.cmdUp->isVisible());

        // Down by the list, twice: the path grows too long and is shortened in the middle.
        for (int step = 0; step < 2; ++step) {
            BreakdownListWidget *list = window.lvwFolders;
            const int last = list->topLevelItemCount() - 1;
            WindowInput::doubleClick(list->viewport(), list->visualItemRect(list->topLevelItem(last)).center());
        }
        const QByteArray twoDown = fixture.path() + "a-rather-long-folder-name/and-another-long-one/";
        QCOMPARE(window.trvFolders->selectedItem()->key(), twoDown);
        QCOMPARE(window.lblGraphed->toolTip(), QString::fromLocal8Bit(twoDown.chopped(1)));
        const QString shown = window.lblGraphed->text();
        QVERIFY2(shown.contains(QStringLiteral("…")), qPrintable(shown));
        QVERIFY(shown.endsWith(QStringLiteral("another-long-one")) || shown.endsWith(QStringLiteral("one")));
        QVERIFY(window.lblGraphed->fontMetrics().horizontalAdvance(shown) <= window.lblGraphed->width());

        // "上へ" by the pointer: one level at a time, and gone at the root.
        QVERIFY(window.cmdUp->isVisible());
        WindowInput::click(window.cmdUp);
        QCOMPARE(window.trvFolders->selectedItem()->key(), fixture.path() + "a-rather-long-folder-name/");
        WindowInput::click(window.cmdUp);
        QCOMPARE(window.trvFolders->selectedItem()->key(), fixture.path());
        QVERIFY(!window.cmdUp->isVisible());
    }

    // The picker opens at the home folder first, then at the root on show; an export's
    // root is no folder here, so after an import it opens at home again.
    void thePickerOpensWhereThePersonIs()
    {
        FixtureTree fixture;
        fixture.make({"a/x=1"});
        QTemporaryDir folder;
        const QString exportFile = writeExportFile(m_fileSystem, folder, fixture.path());
        fMain window(m_fileSystem);
        showActive(window);
        QStringList startFolders;
        QString answer = QString::fromLocal8Bit(fixture.path());
        mBrowse::setFolderDialog([&](QWidget *, const QString &, unsigned, const QString &startFolder) {
            startFolders << startFolder;
            return answer;
        });
        WindowInput::click(window.cmdBrowse);
        answer.clear();
        WindowInput::click(window.cmdBrowse);
        window.openImport(exportFile);
        WindowInput::click(window.cmdBrowse);
        QCOMPARE(startFolders, (QStringList{QDir::homePath(), QString::fromLocal8Bit(fixture.path()), QDir::homePath()}));
    }

    // The folded slice tells what it holds, and a click or Enter on it picks those
    // folders out in the list.
    void whatTheFoldedSliceHolds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("a click") << "click";
        QTest::newRow("Enter") << "enter";
    }

    void whatTheFoldedSliceHolds()
    {
        QFETCH(QString, how);
        FixtureTree fixture;
        fixture.make({"big/x=10000", "small/y=100", "smaller/z=50"});
        fMain window(m_fileSystem);
        showActive(window);
        const QString answer = QString::fromLocal8Bit(fixture.path());
        mBrowse::setFolderDialog([answer](QWidget *, const QString &, unsigned, const QString &) { return answer; });
        WindowInput::click(window.cmdBrowse);
        clickNode(window, fixture.path());
        const PieFigure figure = window.picGraph->figure();
        QCOMPARE(figure.slices.size(), size_t(2));
        const PieSlice &other = figure.slices.back();
        QCOMPARE(other.name, QStringLiteral("その他"));
        QCOMPARE(other.note, QStringLiteral("（small 100 バイト、smaller 50 バイト）"));

        if (how == "click") {
            const double middle = (other.startAngle + other.endAngle) / 2;
            WindowInput::click(window.picGraph, QPoint(figure.centre.x() + int(0.6 * figure.radiusX * std::cos(middle)),
                                                       figure.centre.y() + int(0.6 * figure.radiusY * std::sin(middle))));
        } else {
            window.picGraph->setFocus();
            WindowInput::key(window.picGraph, Qt::Key_Right);
            WindowInput::key(window.picGraph, Qt::Key_Right);
            QCOMPARE(window.picGraph->currentSlice(), 1);
            WindowInput::key(window.picGraph, Qt::Key_Return);
        }
        QStringList selected;
        for (QTreeWidgetItem *row : window.lvwFolders->selectedItems())
            selected << row->text(0);
        selected.sort();
        QCOMPARE(selected, (QStringList{"small", "smaller"}));
        QVERIFY(window.lvwFolders->hasFocus());
        // Still the root's graph.
        QCOMPARE(window.trvFolders->selectedItem()->key(), fixture.path());
    }
};

ZK_TEST_MAIN(TestFirstThings)
#include "tst_first_things.moc"
