#include "support/export_text.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

// The program built for a server (-DZK_GUI=OFF): it links Qt Core alone, exports as the
// desktop build does, and says plainly what it cannot do without the window.
class TestServerBuild : public QObject
{
    Q_OBJECT

private:
    struct Run {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    // Started as on a server: no display of any kind named.
    static Run run(const QString &program, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    static QByteArray undatedFile(const QString &file)
    {
        QFile exported(file);
        return exported.open(QIODevice::ReadOnly) ? undatedExport(exported.readAll()) : QByteArray();
    }

private slots:
    // Every library the program loads, directly or through another, is Qt Core or
    // below it: nothing of Qt Gui or Widgets, no X, no OpenGL, no font library.
    void itLoadsNothingOfTheWindow()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {QStringLiteral(ZK_SERVER_PROGRAM)});
        QVERIFY(ldd.waitForFinished(60000));
        QCOMPARE(ldd.exitCode(), 0);
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(libraries.contains(QStringLiteral("libQt6Core.so")), qPrintable(libraries));
        const QRegularExpression windowing(QStringLiteral("libQt6(Gui|Widgets|DBus|OpenGL)|libX|libxcb|libGL|libEGL|libfontconfig|libfreetype"));
        QVERIFY2(!windowing.match(libraries).hasMatch(), qPrintable(libraries));
    }

    // The server's program is linked from the engine's libraries alone: the chart, the
    // tree filler, the controls and the window are not on its link line, and none of
    // their code is in it.
    void itLinksNoChartOrTreeCode()
    {
        QFile linkLine(QStringLiteral(ZK_SERVER_LINK_LINE));
        QVERIFY2(linkLine.open(QIODevice::ReadOnly), qPrintable(linkLine.fileName()));
        const QString line = QString::fromLocal8Bit(linkLine.readAll());
        for (const char *library : {"libzk_platform.a", "libzk_scan.a", "libzk_exchange.a", "libzk_command_line.a"})
            QVERIFY2(line.contains(QLatin1String(library)), qPrintable(line));
        const QRegularExpression windowLibraries(QStringLiteral("libzk_(chart|populater|controls|control_widgets|ui)\\.a"));
        QVERIFY2(!windowLibraries.match(line).hasMatch(), qPrintable(line));

        QProcess symbols;
        symbols.start(QStringLiteral("nm"), {QStringLiteral("--demangle"), QStringLiteral(ZK_SERVER_PROGRAM)});
        QVERIFY(symbols.waitForFinished(60000));
        QCOMPARE(symbols.exitCode(), 0);
        const QString names = QString::fromLocal8Bit(symbols.readAllStandardOutput());
        QVERIFY2(names.contains(QStringLiteral("ParallelFolderSizeScan")), "the engine's own code is looked for and found");
        for (const char *name : {"cPieChart", "cSections", "cNodePopulater", "LabelLayout"})
            QVERIFY2(!names.contains(QLatin1String(name)), name);
    }

    // The same tree, exported by both builds, gives the same file but for its date.
    void itExportsWhatTheDesktopBuildExports()
    {
        FixtureTree fixture;
        fixture.make({"srv/Data/photos/p=300000", "srv/Data/big=2925738803", "srv/docs/d=5000", "srv/own=1536",
                      "srv/caf\xe9/n\xff=12", "srv/.hidden/x=7", "srv/link->Data"});
        const QString folder = QString::fromLocal8Bit(fixture.path() + "srv");
        const QString fromServer = QString::fromLocal8Bit(fixture.path()) + "server.json";
        const QString fromDesktop = QString::fromLocal8Bit(fixture.path()) + "desktop.json";

        const Run server = run(QStringLiteral(ZK_SERVER_PROGRAM), {QStringLiteral("--export"), fromServer, folder});
        QCOMPARE(server.exitCode, 0);
        QCOMPARE(server.err, QByteArray());
        const Run desktop = run(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), fromDesktop, folder});
        QCOMPARE(desktop.exitCode, 0);

        const QByteArray written = undatedFile(fromServer);
        QVERIFY(written.contains("\"name\":\"Data\""));
        QCOMPARE(written, undatedFile(fromDesktop));

        // To standard output, as `ssh server zorvik-kavrona --export - /srv` sends it.
        const Run piped = run(QStringLiteral(ZK_SERVER_PROGRAM), {QStringLiteral("--export"), QStringLiteral("-"), folder});
        QCOMPARE(piped.exitCode, 0);
        QCOMPARE(undatedExport(piped.out), written);
    }

    void itAnswersHelpAndVersion()
    {
        const Run help = run(QStringLiteral(ZK_SERVER_PROGRAM), {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains("--export <FILE>"), help.out.constData());
        for (const char *windowOnly : {"--snapshot", "--import", "-platform"})
            QVERIFY2(!help.out.contains(windowOnly), windowOnly);

        const Run version = run(QStringLiteral(ZK_SERVER_PROGRAM), {QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, run(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--version")}).out);
    }

    // What needs the window is a wrong command line here: exit 2, and one line that
    // says what this build does instead.
    void itRefusesWhatNeedsTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("message");
        const QByteArray noWindow = "zorvik-kavrona: this build has no window; --export FILE FOLDER writes FOLDER's tree to FILE\n";
        QTest::newRow("nothing") << QStringList() << noWindow;
        QTest::newRow("a folder alone") << QStringList{QStringLiteral("/")} << noWindow;
        QTest::newRow("an import") << QStringList{QStringLiteral("--import"), QStringLiteral("-")} << noWindow;
        QTest::newRow("a snapshot") << QStringList{QStringLiteral("--snapshot"), QStringLiteral("x.png"), QStringLiteral("/")} << noWindow;
        QTest::newRow("an export and a snapshot") << QStringList{QStringLiteral("--export"), QStringLiteral("-"), QStringLiteral("--snapshot"),
                                                                 QStringLiteral("x.png"), QStringLiteral("/")}
                                                  << noWindow;
        QTest::newRow("a platform") << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("/")}
                                    << QByteArray("zorvik-kavrona: Unknown option 'platform'.\n");
    }

    void itRefusesWhatNeedsTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, message);
        const Run refused = run(QStringLiteral(ZK_SERVER_PROGRAM), arguments);
        QCOMPARE(refused.exitCode, 2);
        QCOMPARE(refused.out, QByteArray());
        QCOMPARE(refused.err, message + "usage: zorvik-kavrona --export FILE FOLDER; zorvik-kavrona --help lists the options\n");
    }
};

ZK_TEST_GUILESS_MAIN(TestServerBuild)
#include "tst_server_build.moc"
