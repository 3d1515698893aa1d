#include "platform/program_identity.h"
#include "support/export_text.h"
#include "support/fixture_tree.h"
#include "support/test_main.h"

#include <QImage>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

// The program itself, started as a person, a script or a file manager would start it.
class TestCommandLine : public QObject
{
    Q_OBJECT

private:
    FixtureTree m_fixture;

    static QProcessEnvironment withoutDisplay()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return environment;
    }

    static QProcess *run(QProcess &process, const QStringList &arguments)
    {
        process.setProcessEnvironment(withoutDisplay());
        process.start(QStringLiteral(ZK_PROGRAM), arguments);
        process.waitForFinished(60000);
        return &process;
    }

    static QByteArray firstLine(const QByteArray &output) { return output.left(output.indexOf('\n')); }

    // The command line speaks English: no Japanese or other CJK text in what it says.
    static bool holdsJapanese(const QByteArray &said) { return ::holdsJapanese(QString::fromUtf8(said)); }

    void writeFixtureFile(const QByteArray &relativePath, const QByteArray &contents)
    {
        QFile file(fixturePath(relativePath));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    static inline const QByteArray goodExport = "[1,2,{},[{\"name\":\"/srv\"},{\"name\":\"x\",\"asize\":5}]]";

    static QByteArray lastLine(const QByteArray &output)
    {
        const QByteArray lines = output.chopped(output.endsWith('\n') ? 1 : 0);
        return lines.mid(lines.lastIndexOf('\n') + 1);
    }

    QString fixturePath(const QByteArray &relativePath) const
    {
        return QString::fromLocal8Bit(m_fixture.path() + relativePath);
    }

    static constexpr char noDisplay[] = "zorvik-kavrona: no display to show the window on; use --snapshot FILE.png "
                                        "FOLDER for a picture of it, or -platform offscreen";

private slots:
    void initTestCase()
    {
        m_fixture.make({"Data/a=3000", "plain=10"});
        // A folder as a file manager names it: a space, and a byte that is not UTF-8.
        m_fixture.makeFolder("with space/n\xff");
        writeFixtureFile("cut.json", "[1,2,{},[{\"name\":\"/srv\"}");
        writeFixtureFile("passwd", "root:x:0:0:root:/root:/bin/bash\n");
        writeFixtureFile("good.json", goodExport);
        writeFixtureFile("good.json.gz", gzipped(goodExport));
        writeFixtureFile("word.json", "[1,2,{\"x\":tr");
    }

    // ssh server ncdu -o- /srv | zorvik-kavrona --import -
    void anExportOnStandardInput_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("opens");
        QTest::newRow("an export") << goodExport << true;
        QTest::newRow("an export compressed with gzip") << gzipped(goodExport) << true;
        QTest::newRow("anything else") << QByteArray("hello") << false;
    }

    void anExportOnStandardInput()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, opens);
        QProcess process;
        process.setProgram(QStringLiteral(ZK_PROGRAM));
        process.setArguments({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--import"), QStringLiteral("-")});
        process.start();
        QVERIFY(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        if (opens) {
            // Read to its end, the window shows the export and waits for the person.
            QVERIFY(!process.waitForFinished(1500));
            process.kill();
            process.waitForFinished();
            return;
        }
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 2);
        const QByteArray said = process.readAllStandardError();
        QVERIFY2(said.startsWith("zorvik-kavrona: -: "), "no message");
        QCOMPARE(said, QByteArray("zorvik-kavrona: -: not an export: 0 bytes from the start, expected \"[\" but found \"h\"\n"));
    }

    // Typed at a terminal, the export is asked for before the program waits for it.
    void anExportTypedAtATerminal()
    {
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0)
            QSKIP("no pseudo-terminal here");
        QProcess process;
        process.setProcessEnvironment(withoutDisplay());
        process.setStandardInputFile(QString::fromLocal8Bit(::ptsname(terminal)));
        process.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--import"), QStringLiteral("-")});
        QByteArray said;
        QTRY_VERIFY((said += process.readAllStandardError()).contains("\n"));
        QCOMPARE(said, QByteArray("zorvik-kavrona: reading an export from standard input (Ctrl-D ends it)\n"));
        // A line, then Ctrl-D at the start of the next: the end of the input.
        QCOMPARE(::write(terminal, "hello\n\x04", 7), ssize_t(7));
        QVERIFY(process.waitForFinished());
        ::close(terminal);
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(process.readAllStandardError(),
                 QByteArray("zorvik-kavrona: -: not an export: 0 bytes from the start, expected \"[\" but found \"h\"\n"));
    }

    void answers_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("firstLineOut");
        QTest::addColumn<QByteArray>("firstLineErr");

        const QByteArray usage = "Usage: " ZK_PROGRAM " [options] [FOLDER]";
        const QByteArray version = "zorvik-kavrona " ZK_VERSION;
        const QByteArray notAFolder = "zorvik-kavrona: not a folder: ";
        const QByteArray cutShort = "not an export: 24 bytes from the start, expected \",\" or \"]\" but found the end of the file";
        const QByteArray fileUrl = "file://" + m_fixture.path().toPercentEncoding("/") + "with%20space/n%FF";

        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << QByteArray();
        QTest::newRow("-h") << QStringList{"-h"} << 0 << usage << QByteArray();
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << QByteArray();
        QTest::newRow("Qt's options before --version")
            << QStringList{"-platform", "offscreen", "-style", "Fusion", "--version"} << 0 << version << QByteArray();
        QTest::newRow("an unknown option")
            << QStringList{"--bogus"} << 2 << QByteArray() << QByteArray("zorvik-kavrona: Unknown option 'bogus'.");
        QTest::newRow("a missing folder")
            << QStringList{fixturePath("missing")} << 2 << QByteArray()
            << notAFolder + m_fixture.path() + "missing (No such file or directory)";
        QTest::newRow("a path that is a file")
            << QStringList{fixturePath("plain")} << 2 << QByteArray() << notAFolder + m_fixture.path() + "plain";
        QTest::newRow("two folders")
            << QStringList{fixturePath("Data"), fixturePath("Data")} << 2 << QByteArray()
            << QByteArray("zorvik-kavrona: one FOLDER at most, not 2");
        QTest::newRow("a snapshot of no folder")
            << QStringList{"--snapshot", fixturePath("shot.png")} << 2 << QByteArray()
            << QByteArray("zorvik-kavrona: --snapshot FILE.png needs a FOLDER");
        // Accepted as a folder, so the next thing to stop it is the missing display.
        QTest::newRow("a file URL") << QStringList{QString::fromLatin1(fileUrl)} << 1 << QByteArray()
                                    << QByteArray(noDisplay);
        QTest::newRow("a file URL of a missing folder")
            << QStringList{QString::fromLatin1(fileUrl + "/missing")} << 2 << QByteArray()
            << notAFolder + m_fixture.path() + "with space/n\xff/missing (No such file or directory)";
        QTest::newRow("a URL of another machine")
            << QStringList{"file://elsewhere/tmp"} << 2 << QByteArray()
            << QByteArray("zorvik-kavrona: not a local folder: file://elsewhere/tmp");
        QTest::newRow("an export that is cut short")
            << QStringList{"-platform", "offscreen", "--import", fixturePath("cut.json")} << 2 << QByteArray()
            << "zorvik-kavrona: " + m_fixture.path() + "cut.json: " + cutShort;
        // Without a display, what can be known of the file is told before the display is asked for.
        QTest::newRow("no display, a file that is no export")
            << QStringList{"--import", fixturePath("passwd")} << 2 << QByteArray()
            << "zorvik-kavrona: " + m_fixture.path() + "passwd: not an export: 0 bytes from the start, expected \"[\" but found \"r\"";
        QTest::newRow("no display, an export") << QStringList{"--import", fixturePath("good.json")} << 1 << QByteArray() << QByteArray(noDisplay);
        QTest::newRow("no display, an export compressed with gzip")
            << QStringList{"--import", fixturePath("good.json.gz")} << 1 << QByteArray() << QByteArray(noDisplay);
        QTest::newRow("no display, a folder for the export")
            << QStringList{"--import", fixturePath("Data")} << 2 << QByteArray()
            << "zorvik-kavrona: cannot open " + m_fixture.path() + "Data: file to open is a directory";
        QTest::newRow("an export cut inside a word")
            << QStringList{"-platform", "offscreen", "--import", fixturePath("word.json")} << 2 << QByteArray()
            << "zorvik-kavrona: " + m_fixture.path() + "word.json: not an export: 12 bytes from the start, expected true or false but found the end of the file";
        QTest::newRow("an export to a missing folder")
            << QStringList{"--export", fixturePath("missing/out.json"), fixturePath("Data")} << 1 << QByteArray()
            << "zorvik-kavrona: cannot write " + m_fixture.path() + "missing/out.json: No such file or directory";
        QTest::newRow("an export that is not there")
            << QStringList{"-platform", "offscreen", "--import", fixturePath("missing.json")} << 2 << QByteArray()
            << "zorvik-kavrona: cannot open " + m_fixture.path() + "missing.json: No such file or directory";
        QTest::newRow("an export and a folder")
            << QStringList{"--import", fixturePath("cut.json"), fixturePath("Data")} << 2 << QByteArray()
            << QByteArray("zorvik-kavrona: --import FILE takes the place of FOLDER");
        QTest::newRow("no display") << QStringList{} << 1 << QByteArray() << QByteArray(noDisplay);
        QTest::newRow("no display, a folder")
            << QStringList{fixturePath("Data")} << 1 << QByteArray() << QByteArray(noDisplay);
    }

    void answers()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, firstLineOut);
        QFETCH(QByteArray, firstLineErr);
        QProcess process;
        run(process, arguments);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(firstLine(process.readAllStandardOutput()), firstLineOut);
        const QByteArray said = process.readAllStandardError();
        QCOMPARE(firstLine(said), firstLineErr);
        QVERIFY2(!holdsJapanese(said), said.constData());
    }

    void aPlatformThatCannotStart()
    {
        QProcess process;
        run(process, {QStringLiteral("-platform"), QStringLiteral("nowhere"), fixturePath("Data")});
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(lastLine(process.readAllStandardError()),
                 QByteArray("zorvik-kavrona: Qt could not start a platform plugin to show the window with; use "
                            "--snapshot FILE.png FOLDER for a picture of it, or -platform offscreen"));
    }

    void aSnapshotOfAFolder()
    {
        FixtureTree fixture;
        fixture.make({"Data/a=3000", "docs/b=100"});
        const QString png = QString::fromLocal8Bit(fixture.path()) + QStringLiteral("shot.png");
        QProcess process;
        run(process, {QStringLiteral("--snapshot"), png, QString::fromLocal8Bit(fixture.path())});
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QImage shot(png);
        QCOMPARE(shot.size(), QSize(781, 466));
    }

    // The picture's format is the one its suffix names; a suffix that names none is a
    // wrong command line, and nothing is scanned or written.
    void aSnapshotInTheFormatItsSuffixNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("begins"); // the file's first bytes
        QTest::newRow("PNG") << "shot.png" << 0 << QByteArray("\x89PNG");
        QTest::newRow("JPEG") << "shot.jpg" << 0 << QByteArray("\xff\xd8");
        QTest::newRow("BMP, in capitals") << "shot.BMP" << 0 << QByteArray("BM");
        QTest::newRow("no format") << "shot.xyz" << 2 << QByteArray();
        QTest::newRow("no suffix") << "shot" << 2 << QByteArray();
    }

    void aSnapshotInTheFormatItsSuffixNames()
    {
        QFETCH(QString, name);
        QFETCH(int, status);
        QFETCH(QByteArray, begins);
        FixtureTree fixture;
        fixture.make({"Data/a=3000"});
        const QString picture = QString::fromLocal8Bit(fixture.path()) + name;
        QProcess process;
        // LeakSanitizer's check at exit now and then faults on its own in a program that
        // loaded Qt's JPEG plugin ("Tracer caught signal 11"): the leak check is left out
        // here, the other sanitizers stay.
        QProcessEnvironment environment = withoutDisplay();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0:abort_on_error=1"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--snapshot"), picture, QString::fromLocal8Bit(fixture.path())});
        process.waitForFinished(60000);
        const QByteArray told = process.readAllStandardError();
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == status, told.constData());
        if (status != 0) {
            QVERIFY(told.contains("zorvik-kavrona: cannot write " + picture.toLocal8Bit() + ": its suffix names no image format"));
            QVERIFY(!QFile::exists(picture));
            return;
        }
        QFile file(picture);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(begins.size()) == begins);
        QCOMPARE(QImage(picture).size(), QSize(781, 466));
    }

    // A shell passes a name's bytes as they are, UTF-8 or not.
    void aSnapshotOfAFolderNamedInOtherBytes()
    {
        const QString png = fixturePath("bytes.png");
        QProcess process;
        process.setProcessEnvironment(withoutDisplay());
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --snapshot \"$1\" \"$2\"$(printf 'n\\377')"),
                       QStringLiteral(ZK_PROGRAM), png, fixturePath("with space/")});
        process.waitForFinished(60000);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QImage(png).size(), QSize(781, 466));
    }

    void aFolderThatDoesNotExist()
    {
        FixtureTree fixture;
        const QString missing = QString::fromLocal8Bit(fixture.path()) + QStringLiteral("missing");
        QProcess process;
        run(process, {QStringLiteral("--snapshot"), missing + QStringLiteral(".png"), missing});
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().contains("not a folder: " + missing.toLocal8Bit()));
        QVERIFY(!QFile::exists(missing + QStringLiteral(".png")));
    }

    void badArgumentsShowTheUsage()
    {
        QProcess process;
        run(process, {QStringLiteral("--bogus")});
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().contains("usage:"));
    }
};

ZK_TEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
