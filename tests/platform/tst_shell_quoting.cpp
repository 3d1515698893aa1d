#include "platform/shell_quoting.h"
#include "support/test_main.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

// A path quoted for the clipboard reads back, in a shell, as that one path.
class TestShellQuoting : public QObject
{
    Q_OBJECT

private slots:
    void pathsAsAShellReadsThem_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("quoted");

        QTest::newRow("plain") << QByteArray("/home/user/Data-1.2_x") << "/home/user/Data-1.2_x";
        QTest::newRow("Japanese") << QByteArray("/tmp/写真") << "/tmp/写真";
        QTest::newRow("a space") << QByteArray("/tmp/a b") << "'/tmp/a b'";
        QTest::newRow("empty") << QByteArray() << "''";
        QTest::newRow("newline") << QByteArray("/tmp/a\nb") << "'/tmp/a'$'\\n''b'";
        QTest::newRow("tab") << QByteArray("/tmp/a\tb") << "'/tmp/a'$'\\t''b'";
        QTest::newRow("ESC") << QByteArray("/tmp/\x1b[2J") << "'/tmp/'$'\\033''[2J'";
        QTest::newRow("DEL") << QByteArray("/tmp/a\x7f") << "'/tmp/a'$'\\177'";
        QTest::newRow("C1 NEL, as its two bytes") << QByteArray("/tmp/a\xc2\x85") << "'/tmp/a'$'\\302\\205'";
        QTest::newRow("right-to-left override") << QByteArray("/tmp/evil\xe2\x80\xaegnp.exe") << "'/tmp/evil'$'\\342\\200\\256''gnp.exe'";
        QTest::newRow("command substitution") << QByteArray("/tmp/$(touch x)`id`") << "'/tmp/$(touch x)`id`'";
        QTest::newRow("command substitution after a newline") << QByteArray("/tmp/a\n$(touch x)") << "'/tmp/a'$'\\n''$(touch x)'";
        QTest::newRow("single quote") << QByteArray("/tmp/it's") << "'/tmp/it'\\''s'";
        QTest::newRow("quote and newline") << QByteArray("/tmp/'\n'") << "'/tmp/'\\'$'\\n'\\'";
        QTest::newRow("double quote") << QByteArray("/tmp/say \"hi\"") << "'/tmp/say \"hi\"'";
        QTest::newRow("backslash") << QByteArray("/tmp/a\\nb") << "'/tmp/a\\nb'";
        QTest::newRow("not UTF-8") << QByteArray("/tmp/caf\xe9") << "'/tmp/caf'$'\\351'";
        QTest::newRow("a sequence cut short") << QByteArray("/tmp/\xe5\x86" "x") << "'/tmp/'$'\\345\\206''x'";
        QTest::newRow("an encoded surrogate") << QByteArray("/tmp/\xed\xa0\x80") << "'/tmp/'$'\\355\\240\\200'";
        QTest::newRow("glob and history characters") << QByteArray("/tmp/*?[!]~#") << "'/tmp/*?[!]~#'";
    }

    void pathsAsAShellReadsThem()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, quoted);
        QCOMPARE(shellQuoted(path), quoted);

        if (QStandardPaths::findExecutable(QStringLiteral("bash")).isEmpty())
            QSKIP("no bash here");
        // Were a command run after all, it would run in a folder of its own.
        QTemporaryDir folder;
        QProcess shell;
        shell.setWorkingDirectory(folder.path());
        shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("printf %s ") + shellQuoted(path)});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(shell.readAllStandardOutput(), path);
        QVERIFY(QDir(folder.path()).isEmpty());
    }
};

ZK_TEST_GUILESS_MAIN(TestShellQuoting)
#include "tst_shell_quoting.moc"
