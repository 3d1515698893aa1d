#include "platform/display_text.h"
#include "support/test_main.h"

namespace {

const QString isolateStart(QChar(0x2068));
const QString isolateEnd(QChar(0x2069));

} // namespace

// How a name's native bytes are shown wherever the window shows a name or a path.
class TestDisplayText : public QObject
{
    Q_OBJECT

private slots:
    void namesAsShown_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("escapes"); // what holdsEscapedCharacters says of the name

        QTest::newRow("plain") << QByteArray("Data") << "Data" << false;
        QTest::newRow("Japanese") << QByteArray("写真 2024") << "写真 2024" << false;
        QTest::newRow("a path") << QByteArray("/home/user/写真/") << "/home/user/写真/" << false;
        QTest::newRow("a backslash stays") << QByteArray("a\\nb") << "a\\nb" << false;
        QTest::newRow("shell characters stay") << QByteArray("$(rm -rf x) 'q' \"d\"") << "$(rm -rf x) 'q' \"d\"" << false;
        QTest::newRow("not UTF-8: replaced, as before") << QByteArray("caf\xe9") << QString::fromUtf8("caf\xef\xbf\xbd") << false;
        QTest::newRow("emoji beyond 16 bits") << QByteArray("\xf0\x9f\x93\x81") << QString::fromUtf8("\xf0\x9f\x93\x81") << false;
        QTest::newRow("newline") << QByteArray("a\nb") << "a\\nb" << true;
        QTest::newRow("tab and carriage return") << QByteArray("a\tb\r") << "a\\tb\\r" << true;
        QTest::newRow("C0: ESC and BEL") << QByteArray("\x1b[31mred\x07") << "\\x1B[31mred\\x07" << true;
        QTest::newRow("DEL") << QByteArray("a\x7f") << "a\\x7F" << true;
        QTest::newRow("C1: NEL") << QByteArray("a\xc2\x85" "b") << "a\\u0085b" << true;
        QTest::newRow("C1: CSI") << QByteArray("\xc2\x9b" "2J") << "\\u009B2J" << true;
        QTest::newRow("line separator") << QByteArray("a\xe2\x80\xa8" "b") << "a\\u2028b" << true;
        QTest::newRow("right-to-left override") << QByteArray("evil\xe2\x80\xaegnp.exe") << "evil\\u202Egnp.exe" << true;
        QTest::newRow("right-to-left isolate") << QByteArray("a\xe2\x81\xa7" "b") << "a\\u2067b" << true;
        QTest::newRow("right-to-left mark") << QByteArray("a\xe2\x80\x8f") << "a\\u200F" << true;
        QTest::newRow("pop directional formatting") << QByteArray("a\xe2\x80\xac") << "a\\u202C" << true;
        QTest::newRow("Arabic letter mark") << QByteArray("a\xd8\x9c") << "a\\u061C" << true;
        QTest::newRow("an override among Hebrew letters, isolated") << QByteArray("\xd7\xa9\xe2\x80\xae" "1") << isolateStart + QString::fromUtf8("\xd7\xa9") + "\\u202E1" + isolateEnd << true;
        QTest::newRow("Hebrew letters, isolated as they are") << QByteArray("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 2") << isolateStart + QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 2") + isolateEnd << false;
        QTest::newRow("Arabic letters, isolated as they are") << QByteArray("\xd9\x85\xd9\x84\xd9\x81") << isolateStart + QString::fromUtf8("\xd9\x85\xd9\x84\xd9\x81") + isolateEnd << false;
    }

    void namesAsShown()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        QFETCH(bool, escapes);
        QCOMPARE(displayText(name), shown);
        QCOMPARE(holdsEscapedCharacters(QString::fromUtf8(name)), escapes);
    }

    void everyControlCharacterIsEscaped()
    {
        for (char32_t character = 0; character < 0xa0; ++character) {
            const bool control = character < 0x20 || character >= 0x7f;
            QCOMPARE(isShownEscaped(character), control);
            if (!control || character == 0)
                continue;
            const QString shown = displayText(QString(QChar(character)).toUtf8());
            QVERIFY2(shown.startsWith(QLatin1Char('\\')) && shown.size() >= 2, qPrintable(QString::number(character, 16)));
            for (const QChar unit : shown)
                QVERIFY(unit.isPrint());
        }
    }
};

ZK_TEST_GUILESS_MAIN(TestDisplayText)
#include "tst_display_text.moc"
