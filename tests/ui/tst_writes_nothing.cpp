#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"
#include "support/window_input.h"
#include "ui/application_setup.h"
#include "ui/main_window.h"

#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

// The folders a desktop program may write to, each empty and the program's own.
const QList<QByteArray> userFolderVariables = {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"};

QTemporaryDir *userFolders = nullptr;

QString userFolder(const QByteArray &variable)
{
    return userFolders->filePath(QString::fromLatin1(variable));
}

QStringList everythingBelow(const QString &folder)
{
    QStringList found;
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (entries.hasNext())
        found << entries.next();
    return found;
}

QFileDialog *openPicker()
{
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    return dialog && dialog->isActiveWindow() ? dialog : nullptr;
}

QPushButton *cancelButtonOf(QFileDialog *dialog)
{
    return dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel);
}

} // namespace

// The program as a person uses it, with Qt's own folder picker, in a session whose
// home, configuration, cache and data folders start empty.
class TestWritesNothing : public QObject
{
    Q_OBJECT

private:
    PosixFolderEnumerator m_fileSystem;

    // Clicks SELECT and, once the picker is open, does `answer` to it.
    void usePicker(fMain &window, std::function<void(QFileDialog *)> answer)
    {
        bool answered = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            if (QFileDialog *dialog = openPicker(); dialog && !answered) {
                answered = true;
                answer(dialog);
            }
        });
        watcher.start(20);
        WindowInput::click(window.cmdBrowse);
        QVERIFY(answered);
    }

private slots:
    void thePickerSpeaksJapanese()
    {
        fMain window(m_fileSystem);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QString cancelText;
        QString title;
        usePicker(window, [&](QFileDialog *dialog) {
            cancelText = cancelButtonOf(dialog)->text();
            title = dialog->windowTitle();
            WindowInput::click(cancelButtonOf(dialog));
        });
        QCOMPARE(title, fMain::pickerTitle);
        QCOMPARE(cancelText, QStringLiteral("キャンセル"));
        QVERIFY(window.txtRootFolder->text().isEmpty());
    }

    void aWholeSessionWritesNothing()
    {
        FixtureTree fixture;
        fixture.make({"a/x=100", "a/inner/y=10", "b/z=300"});
        {
            fMain window(m_fileSystem);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));

            usePicker(window, [](QFileDialog *dialog) { WindowInput::click(cancelButtonOf(dialog)); });
            QVERIFY(window.txtRootFolder->text().isEmpty());

            usePicker(window, [&](QFileDialog *dialog) {
                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                name->setFocus();
                WindowInput::type(name, fixture.path().chopped(1));
                WindowInput::key(name, Qt::Key_Return);
            });
            QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(fixture.path()));

            FolderTreeWidget *tree = window.trvFolders;
            const auto place = [&](const QByteArray &relative) {
                return tree->visualItemRect(FolderTreeWidget::itemOf(tree->node(fixture.path() + relative))).center();
            };
            WindowInput::click(tree->viewport(), place(""));
            WindowInput::key(&window, Qt::Key_Right);
            WindowInput::click(tree->viewport(), place("a/"));
            WindowInput::doubleClick(tree->viewport(), place("a/"));
            WindowInput::click(tree->viewport(), place("a/inner/"));
            QCOMPARE(window.lvwFolders->topLevelItemCount(), 1);
            window.windowHandle()->close();
            QVERIFY(!window.isVisible());
        }
        QCoreApplication::processEvents();

        // Fontconfig may keep its cache of the system's fonts in the cache folder; it is
        // the font library's, not the program's, and the only thing allowed there.
        for (const QByteArray &variable : userFolderVariables) {
            QStringList written = everythingBelow(userFolder(variable));
            written.removeIf([](const QString &path) { return path.contains(QStringLiteral("/fontconfig")); });
            QCOMPARE(written, QStringList());
        }
    }
};

int main(int argc, char *argv[])
{
    pinWidgetTestEnvironment();
    QTemporaryDir folders;
    userFolders = &folders;
    for (const QByteArray &variable : userFolderVariables) {
        QDir().mkpath(userFolder(variable));
        qputenv(variable.constData(), QFile::encodeName(userFolder(variable)));
    }
    QApplication app(argc, argv);
    prepareApplication();
    TestWritesNothing test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_writes_nothing.moc"
