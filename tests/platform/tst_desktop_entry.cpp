#include "platform/desktop_entry.h"
#include "support/test_main.h"

#include <QFile>
#include <QTemporaryDir>

// How an application's Exec line becomes the command that opens one folder.
class TestDesktopEntry : public QObject
{
    Q_OBJECT

private:
    // A space, a quote, an apostrophe and a byte that is no UTF-8.
    static inline const QByteArray path = "/tmp/it's a \"caf\xe9\"";
    static inline const QUrl url = QUrl::fromEncoded("file://" + path.toPercentEncoding("/"), QUrl::StrictMode);

private slots:
    void commandLines_data()
    {
        QTest::addColumn<QByteArray>("lines"); // as written in the file, after [Desktop Entry]
        QTest::addColumn<QByteArrayList>("command"); // "FILE" stands for the entry's own path; none: malformed
        const QByteArray urlText = url.toEncoded();
        QTest::newRow("%f") << QByteArray("Exec=files %f") << QByteArrayList{"files", path};
        QTest::newRow("%F") << QByteArray("Exec=files --new %F") << QByteArrayList{"files", "--new", path};
        QTest::newRow("%u") << QByteArray("Exec=files %u") << QByteArrayList{"files", urlText};
        QTest::newRow("%U") << QByteArray("Exec=files %U") << QByteArrayList{"files", urlText};
        QTest::newRow("no field code: the path at the end") << QByteArray("Exec=files --window") << QByteArrayList{"files", "--window", path};
        QTest::newRow("inside an argument") << QByteArray("Exec=files --open=%f") << QByteArrayList{"files", "--open=" + path};
        QTest::newRow("%% is a percent sign") << QByteArray("Exec=files --format=100%% %u") << QByteArrayList{"files", "--format=100%", urlText};
        QTest::newRow("%i with an icon") << QByteArray("Exec=files %i %f\nIcon=folder") << QByteArrayList{"files", "--icon", "folder", path};
        QTest::newRow("%i without one") << QByteArray("Exec=files %i %f") << QByteArrayList{"files", path};
        QTest::newRow("%c and %k") << QByteArray("Exec=files --title %c --entry=%k %f\nName=Files 2") << QByteArrayList{"files", "--title", "Files 2", "--entry=FILE", path};
        QTest::newRow("deprecated codes stand for nothing") << QByteArray("Exec=files %d %D %n %N %v %m %f") << QByteArrayList{"files", path};
        QTest::newRow("double quotes keep spaces") << QByteArray("Exec=\"/opt/my files/files\"  -a\t%f") << QByteArrayList{"/opt/my files/files", "-a", path};
        QTest::newRow("escapes inside double quotes")
            << QByteArray("Exec=files \"a\\\\\"b\\\\$c\\\\`d\\\\\\\\e\" %f") << QByteArrayList{"files", "a\"b$c`d\\e", path};
        QTest::newRow("a field code in quotes") << QByteArray("Exec=files \"%f\"") << QByteArrayList{"files", path};
        QTest::newRow("single quotes as the shell reads them")
            << QByteArray("Exec=sh -c 'exec files \"$1\"' sh %f") << QByteArrayList{"sh", "-c", "exec files \"$1\"", "sh", path};
        QTest::newRow("string escapes first") << QByteArray("Exec=files\\s%f") << QByteArrayList{"files", path};
        QTest::newRow("UTF-8 text") << QByteArray("Exec=ファイル --名前=%f") << QByteArrayList{"ファイル", "--名前=" + path};
        QTest::newRow("an unclosed quote") << QByteArray("Exec=files \"%f") << QByteArrayList{};
        QTest::newRow("no Exec") << QByteArray("Name=Files") << QByteArrayList{};
    }

    void commandLines()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArrayList, command);
        QTemporaryDir folder;
        const QString fileName = folder.filePath("files.desktop");
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\n" + lines + '\n');
        file.close();
        for (QByteArray &argument : command)
            argument.replace("FILE", QFile::encodeName(fileName));
        const std::optional<QByteArrayList> made = DesktopEntry::read(fileName, "files.desktop").commandFor(path, url);
        QCOMPARE(made.value_or(QByteArrayList{}), command);
        QCOMPARE(made.has_value(), !command.isEmpty());
    }
};

ZK_TEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktop_entry.moc"
