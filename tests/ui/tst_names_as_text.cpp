#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/message_boxes.h"
#include "support/test_main.h"
#include "support/window_input.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

const QByteArray newlineName = "a\nb";
const QByteArray overrideName = "evil\xe2\x80\xaegnp.txt"; // shows as "evil" and "txt.png" reversed

// What a shell makes of a text pasted as one argument, byte for byte.
QByteArray asAShellReadsIt(const QString &text)
{
    QTemporaryDir folder;
    QProcess shell;
    shell.setWorkingDirectory(folder.path());
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("printf %s ") + text});
    shell.waitForFinished();
    return shell.readAllStandardOutput();
}

} // namespace

// Names that are not plain text, through the window: each shows on one row, as visible
// escapes that reorder nothing around them, and its path is copied as a shell reads it.
class TestNamesAsText : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;
    MessageBoxCloser m_boxes;
    FixtureTree m_fixture;
    std::unique_ptr<fMain> m_window;

    FolderTreeWidget *tree() const { return m_window->trvFolders; }
    TreeNode *node(const QByteArray &name) const { return tree()->node(m_fixture.path() + name + (name.isEmpty() ? "" : "/")); }

    QPoint placeOf(const QByteArray &name) const
    {
        QTreeWidgetItem *item = FolderTreeWidget::itemOf(node(name));
        tree()->scrollToItem(item);
        return tree()->visualItemRect(item).center();
    }

    // Picks an entry from the menu the right button opens on a node.
    void pickFromMenu(const QByteArray &name, const QString &choice)
    {
        bool picked = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || picked)
                return;
            if (QGuiApplication::mouseButtons() & Qt::RightButton)
                QTest::mouseRelease(menu->windowHandle(), Qt::RightButton, {}, QPoint(1, 1));
            for (QAction *action : menu->actions()) {
                if (action->text() == choice) {
                    picked = true;
                    WindowInput::click(menu, menu->actionGeometry(action).center());
                    return;
                }
            }
            menu->close();
        });
        watcher.start(20);
        QTest::mousePress(WindowInput::windowOf(tree()->viewport()), Qt::RightButton, {}, WindowInput::placeOf(tree()->viewport(), placeOf(name)));
        QVERIFY(picked);
    }

private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        m_fixture.make({newlineName + "/x=1000", overrideName + "/y=9500", "plain/z=500"});
        m_window = std::make_unique<fMain>(m_fileSystem);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // The root is opened as a person opens it: "SELECT", and the folder chosen.
        const QString folder = QString::fromLocal8Bit(m_fixture.path());
        mBrowse::setFolderDialog([folder](QWidget *, const QString &, unsigned, const QString &) { return folder; });
        WindowInput::click(m_window->cmdBrowse);
        QVERIFY(node(""));
        tree()->expandItem(FolderTreeWidget::itemOf(node("")));
    }

    void cleanup() { QCOMPARE(m_boxes.texts, QStringList()); }

    void eachNameIsOneRowOfVisibleEscapes()
    {
        QCOMPARE(node("")->children(), 3);
        QCOMPARE(node(newlineName)->text(), QStringLiteral("a\\nb 【1000 バイト】"));
        QCOMPARE(node(overrideName)->text(), QStringLiteral("evil\\u202Egnp.txt 【9.3 KB】"));
        QCOMPARE(node("plain")->text(), QStringLiteral("plain 【500 バイト】"));
        // A row as high as a plain name's: no second line.
        const int plainHeight = tree()->visualItemRect(FolderTreeWidget::itemOf(node("plain"))).height();
        for (const QByteArray &name : {newlineName, overrideName})
            QCOMPARE(tree()->visualItemRect(FolderTreeWidget::itemOf(node(name))).height(), plainHeight);
        // What assistive technology is told of a node is what it shows.
        QAccessibleInterface *treeAccessible = QAccessible::queryAccessibleInterface(tree());
        QVERIFY(treeAccessible);
        QStringList told;
        for (int i = 0; i < treeAccessible->childCount(); ++i)
            told << treeAccessible->child(i)->text(QAccessible::Name);
        QVERIFY(told.contains(node(newlineName)->text()));
        QVERIFY(told.contains(node(overrideName)->text()));
    }

    void theGraphShowsTheSameEscapes()
    {
        WindowInput::click(tree()->viewport(), placeOf(""));
        QStringList rows;
        for (int i = 0; i < m_window->lvwFolders->topLevelItemCount(); ++i)
            rows << m_window->lvwFolders->topLevelItem(i)->text(0);
        const QString shownOverride = QStringLiteral("evil\\u202Egnp.txt");
        QCOMPARE(rows, (QStringList{"plain", "a\\nb", shownOverride}));
        QStringList slices;
        for (const PieSlice &slice : m_window->picGraph->figure().slices)
            slices << slice.name;
        QCOMPARE(slices, (QStringList{"plain", "a\\nb", shownOverride}));
    }

    void copyingAPathGivesWhatAShellReadsBack_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("quoted"); // %1: the fixture's path
        QTest::newRow("newline") << newlineName << "'%1a'$'\\n''b'";
        QTest::newRow("right-to-left override") << overrideName << "'%1evil'$'\\342\\200\\256''gnp.txt'";
        QTest::newRow("plain, as it is") << QByteArray("plain") << "%1plain";
    }

    void copyingAPathGivesWhatAShellReadsBack()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, quoted);
        QGuiApplication::clipboard()->clear();
        pickFromMenu(name, fMain::copyPathText);
        const QByteArray path = m_fixture.path() + name;
        const QString text = QGuiApplication::clipboard()->text();
        QCOMPARE(text, quoted.arg(QString::fromUtf8(m_fixture.path())));
        if (!QStandardPaths::findExecutable(QStringLiteral("bash")).isEmpty())
            QCOMPARE(asAShellReadsIt(text), path);
        // The URL keeps every byte.
        const QList<QUrl> urls = QGuiApplication::clipboard()->mimeData()->urls();
        QCOMPARE(urls.size(), 1);
        QCOMPARE(urls.first().toEncoded(), "file://" + path.toPercentEncoding("/"));
    }
};

ZK_TEST_MAIN(TestNamesAsText)
#include "tst_names_as_text.moc"
