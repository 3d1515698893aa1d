#include "support/fixture_tree.h"
#include "support/test_main.h"

#include <QImage>
#include <QProcess>

// The program itself, started as a person or a script would start it.
class TestCommandLine : public QObject
{
    Q_OBJECT

private:
    static QProcess *run(QProcess &process, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZK_PROGRAM), arguments);
        process.waitForFinished(60000);
        return &process;
    }

private slots:
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
