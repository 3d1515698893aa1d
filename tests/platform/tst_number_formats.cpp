#include "platform/locale_formats.h"
#include "platform/number_text.h"
#include "platform/rounding.h"
#include "support/test_main.h"

#include <cmath>

class TestNumberFormats : public QObject
{
    Q_OBJECT

private slots:
    void numberTextRoundTrips_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("text");

        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("plain digits") << 1536.0 << "1536";
        QTest::newRow("beyond 32 bits") << 5368709120.0 << "5368709120";
        QTest::newRow("10^15") << 1e15 << "1000000000000000";
        QTest::newRow("2^53 + 2") << 9007199254740994.0 << "9007199254740994";
        QTest::newRow("10^20, all its digits") << 1e20 << "100000000000000000000";
        QTest::newRow("negative") << -5.0 << "-5";
        QTest::newRow("a fraction") << 0.5 << "0.5";
        QTest::newRow("15 significant digits") << 1.0 / 3.0 << "0.333333333333333";
    }

    void numberTextRoundTrips()
    {
        QFETCH(double, number);
        QFETCH(QString, text);

        QCOMPARE(numberText(number), text);
        const std::optional<double> back = numberFromText(text);
        QVERIFY(back);
        if (number == std::trunc(number))
            QCOMPARE(*back, number);
    }

    void numberTextReadsBackInAnyLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(numberFromText(QStringLiteral("1.5")), std::optional<double>(1.5));
        QCOMPARE(numberFromText(QStringLiteral("1536")), std::optional<double>(1536));
        pinTestEnvironment();
    }

    void notNumberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "12a";
        QTest::newRow("group separator") << "1,536";
    }

    void notNumberText()
    {
        QFETCH(QString, text);
        QVERIFY(!numberFromText(text));
    }

    void roundsHalfToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("150.5") << 150.5 << 150.0;
        QTest::newRow("151.5") << 151.5 << 152.0;
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("-1.5") << -1.5 << -2.0;
        QTest::newRow("2.4999") << 2.4999 << 2.0;
        QTest::newRow("2.5001") << 2.5001 << 3.0;
    }

    void roundsHalfToEven()
    {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(roundHalfEven(value), rounded);
    }

    void integerDivisionRoundsOperandsFirst_data()
    {
        QTest::addColumn<double>("dividend");
        QTest::addColumn<double>("divisor");
        QTest::addColumn<long long>("quotient");
        QTest::newRow("443 \\ 2") << 443.0 << 2.0 << 221LL;
        QTest::newRow("7.5 \\ 2: 8 \\ 2") << 7.5 << 2.0 << 4LL;
        QTest::newRow("6.5 \\ 2: 6 \\ 2") << 6.5 << 2.0 << 3LL;
        QTest::newRow("-7 \\ 2 toward zero") << -7.0 << 2.0 << -3LL;
        QTest::newRow("9 \\ 2.5: 9 \\ 2") << 9.0 << 2.5 << 4LL;
    }

    void integerDivisionRoundsOperandsFirst()
    {
        QFETCH(double, dividend);
        QFETCH(double, divisor);
        QFETCH(long long, quotient);
        QCOMPARE(integerDivide(dividend, divisor), quotient);
    }

    void localeFormats_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("grouped");
        QTest::addColumn<QString>("percent1");
        QTest::addColumn<QString>("percent2");

        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("ja: small") << japanese << 0.1234 << "0.1" << "12.3%" << "12.34%";
        QTest::newRow("ja: one") << japanese << 1.0 << "1.0" << "100.0%" << "100.00%";
        QTest::newRow("ja: thousands") << japanese << 1048576.0 << "1,048,576.0" << "104857600.0%" << "104857600.00%";
        QTest::newRow("ja: rounds up to 1,000.0") << japanese << 999.95001 << "1,000.0" << "99995.0%" << "99995.00%";
        QTest::newRow("de: its own separators") << german << 1234.56 << "1.234,6" << "123456,0%" << "123456,00%";
        QTest::newRow("C: still grouped") << QLocale::c() << 1234.56 << "1,234.6" << "123456.0%" << "123456.00%";
    }

    void localeFormats()
    {
        QFETCH(QLocale, locale);
        QFETCH(double, value);
        QFETCH(QString, grouped);
        QFETCH(QString, percent1);
        QFETCH(QString, percent2);

        QLocale::setDefault(locale);
        const QString gotGrouped = formatGroupedOneDecimal(value);
        const QString gotPercent1 = formatPercent(value, 1);
        const QString gotPercent2 = formatPercent(value, 2);
        pinTestEnvironment();
        QCOMPARE(gotGrouped, grouped);
        QCOMPARE(gotPercent1, percent1);
        QCOMPARE(gotPercent2, percent2);
    }
};

ZK_TEST_GUILESS_MAIN(TestNumberFormats)
#include "tst_number_formats.moc"
