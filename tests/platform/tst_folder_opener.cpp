#include "platform/folder_opener.h"
#include "support/desktop_fixture.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"

#include <QCoreApplication>

#include <utility>

using Files = QList<std::pair<QString, QByteArray>>;

// Which application a folder opens in, as the desktop's associations choose it, never
// this program, and with what arguments it starts.
class TestFolderOpener : public QObject
{
    Q_OBJECT

private:
    static inline const QString ours = QStringLiteral("org.example.Ours.desktop");

    static QByteArray defaults(const QByteArray &ids)
    {
        return "[Default Applications]\ninode/directory=" + ids + '\n';
    }

private slots:
    void opening_data()
    {
        QTest::addColumn<Files>("files"); // relative to the desktop fixture
        QTest::addColumn<QString>("desktops"); // $XDG_CURRENT_DESKTOP
        QTest::addColumn<QByteArray>("folder"); // the name of the folder opened
        QTest::addColumn<QString>("handler"); // the entry started; empty: none, and told
        QTest::addColumn<bool>("url"); // it was given the folder's URL, else its path
        QTest::addColumn<bool>("failed"); // none started, with a reason

        const std::pair<QString, QByteArray> oursInstalled{"data/applications/" + ours, DesktopFixture::recorder("ours", "%u")};
        const std::pair<QString, QByteArray> oursDefault{"config/mimeapps.list", defaults(ours.toUtf8())};
        const std::pair<QString, QByteArray> files{"system/applications/files.desktop", DesktopFixture::recorder("files")};
        const std::pair<QString, QByteArray> viewer{"system/applications/viewer.desktop", DesktopFixture::recorder("viewer")};
        const Files oursAndFiles{oursInstalled, oursDefault, files};
        const Files oursFilesAndViewer{oursInstalled, oursDefault, files, viewer};

        QTest::newRow("ours the default, a file manager besides") << oursAndFiles << "" << QByteArray("plain") << "files.desktop" << false << false;
        QTest::newRow("a name with a space") << oursAndFiles << "" << QByteArray("a b") << "files.desktop" << false << false;
        QTest::newRow("a name with quotes") << oursAndFiles << "" << QByteArray("it's \"x\"") << "files.desktop" << false << false;
        QTest::newRow("a name that is no UTF-8") << oursAndFiles << "" << QByteArray("caf\xe9") << "files.desktop" << false << false;
        QTest::newRow("ours alone") << Files{oursInstalled, oursDefault} << "" << QByteArray("plain") << "" << false << false;
        QTest::newRow("nothing at all") << Files{} << "" << QByteArray("plain") << "" << false << false;
        QTest::newRow("a %U handler gets the URL")
            << Files{oursInstalled, oursDefault, {files.first, DesktopFixture::recorder("files", "%U")}} << "" << QByteArray("caf\xe9 x")
            << "files.desktop" << true << false;
        QTest::newRow("another default") << Files{oursInstalled, files, viewer, {"config-dirs/mimeapps.list", defaults("viewer.desktop")}}
                                         << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("defaults in turn") << Files{oursInstalled, files, viewer, {"config/mimeapps.list", defaults(ours.toUtf8() + ";gone.desktop;viewer.desktop")}}
                                          << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("a default reaches no earlier folder")
            << Files{files, viewer, {"vendor/applications/mimeapps.list", defaults("viewer.desktop")}}
            << "" << QByteArray("plain") << "files.desktop" << false << false;
        QTest::newRow("the desktop's own defaults first")
            << Files{oursInstalled, files, viewer, {"config/mimeapps.list", defaults("files.desktop")}, {"config/other-mimeapps.list", defaults("viewer.desktop")}}
            << "Test:Other" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("a default that is not associated is passed over")
            << Files{files, {viewer.first, DesktopFixture::recorder("viewer", "%f", "text/plain;")}, {"config/mimeapps.list", defaults("viewer.desktop")}}
            << "" << QByteArray("plain") << "files.desktop" << false << false;
        QTest::newRow("a removed association")
            << (oursFilesAndViewer + Files{{"config/mimeapps.list", defaults(ours.toUtf8()) + "[Removed Associations]\ninode/directory=files.desktop;\n"}})
            << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("a removal reaches no earlier folder")
            << (oursFilesAndViewer + Files{{"vendor/applications/mimeapps.list", "[Removed Associations]\ninode/directory=files.desktop;\n"}})
            << "" << QByteArray("plain") << "files.desktop" << false << false;
        QTest::newRow("an added association comes first")
            << (oursFilesAndViewer + Files{{"system/applications/zz.desktop", DesktopFixture::recorder("zz", "%f", "text/plain;")},
                                   {"config-dirs/mimeapps.list", "[Added Associations]\ninode/directory=zz.desktop;\n"}})
            << "" << QByteArray("plain") << "zz.desktop" << false << false;
        QTest::newRow("mimeinfo.cache orders its folder")
            << (oursFilesAndViewer + Files{{"system/applications/mimeinfo.cache", "[MIME Cache]\ninode/directory=viewer.desktop;files.desktop;\n"}})
            << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("an entry in a sub-folder")
            << Files{oursInstalled, files, {"vendor/applications/zz/files.desktop", DesktopFixture::recorder("zz")}, {"config/mimeapps.list", defaults("zz-files.desktop")}}
            << "" << QByteArray("plain") << "zz-files.desktop" << false << false;
        QTest::newRow("a hidden entry hides the installed one")
            << (oursFilesAndViewer + Files{{"data/applications/files.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n"}})
            << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("the user's entry takes the place of the system's")
            << (oursFilesAndViewer + Files{{"data/applications/files.desktop", DesktopFixture::recorder("files", "%f", "text/plain;")}})
            << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("TryExec not found")
            << Files{oursInstalled, oursDefault, {files.first, files.second + "TryExec=zk-no-such-program\n"}, viewer}
            << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("Exec not found")
            << Files{oursInstalled, oursDefault, {files.first, "[Desktop Entry]\nType=Application\nMimeType=inode/directory;\nExec=zk-no-such-program %f\n"}, viewer}
            << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("an entry that runs this program")
            << Files{oursInstalled, {"system/applications/copy.desktop", "[Desktop Entry]\nType=Application\nMimeType=inode/directory;\nExec="
                                                                           + QFile::encodeName(QCoreApplication::applicationFilePath()) + " %f\n"}, viewer}
            << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        const std::pair<QString, QByteArray> broken{"bin/zk-broken", "#!/zk/no/such/interpreter\n"};
        const std::pair<QString, QByteArray> brokenFiles{files.first, "[Desktop Entry]\nType=Application\nMimeType=inode/directory;\nExec=zk-broken %f\n"};
        QTest::newRow("one that cannot start gives way") << Files{oursInstalled, broken, brokenFiles, viewer}
                                                         << "" << QByteArray("plain") << "viewer.desktop" << false << false;
        QTest::newRow("none can start") << Files{oursInstalled, broken, brokenFiles} << "" << QByteArray("plain") << "" << false << true;
    }

    void opening()
    {
        QFETCH(Files, files);
        QFETCH(QString, desktops);
        QFETCH(QByteArray, folder);
        QFETCH(QString, handler);
        QFETCH(bool, url);
        QFETCH(bool, failed);
        DesktopFixture desktop;
        for (const auto &[relative, text] : files)
            desktop.write(relative, text);
        if (!desktops.isEmpty())
            qputenv("XDG_CURRENT_DESKTOP", desktops.toUtf8());
        FixtureTree tree;
        tree.makeFolder(folder);
        const QByteArray path = tree.path() + folder;
        const QUrl folderUrl = QUrl::fromEncoded("file://" + path.toPercentEncoding("/"), QUrl::StrictMode);

        const FolderOpening opening = openInFileManager(folderUrl, {ours});
        QCOMPARE(opening.handler, handler);
        QCOMPARE(opening.failure.isEmpty(), !failed);
        if (!handler.isEmpty()) {
            // Each recorder is named as its entry, less any sub-folder's part.
            const QString recorder = handler.chopped(QStringLiteral(".desktop").size()).section(u'-', 0, 0);
            QTRY_COMPARE(desktop.recording(recorder), (url ? folderUrl.toEncoded() : path) + '\n');
        } else {
            QTest::qWait(200);
        }
        QCOMPARE(desktop.recording("ours"), QByteArray());
    }
};

ZK_TEST_GUILESS_MAIN(TestFolderOpener)
#include "tst_folder_opener.moc"
