#include "populater/size_text.h"
#include "support/test_main.h"

class TestSizeText : public QObject
{
    Q_OBJECT

private slots:
    void formatSize_data()
    {
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("text");

        QTest::newRow("0") << 0.0 << "0 バイト";
        QTest::newRow("1023") << 1023.0 << "1023 バイト";
        QTest::newRow("negative") << -5.0 << "-5 バイト";
        QTest::newRow("1024") << 1024.0 << "1.0 KB";
        QTest::newRow("1075") << 1075.0 << "1.0 KB";
        QTest::newRow("1536") << 1536.0 << "1.5 KB";
        QTest::newRow("1023948") << 1023948.0 << "999.9 KB";
        QTest::newRow("1023949: KB until 1000 KB, tested before rounding") << 1023949.0 << "1,000.0 KB";
        QTest::newRow("1023999") << 1023999.0 << "1,000.0 KB";
        QTest::newRow("1024000") << 1024000.0 << "1.0 MB";
        QTest::newRow("1048576") << 1048576.0 << "1.0 MB";
        QTest::newRow("1073741824") << 1073741824.0 << "1,024.0 MB";
        QTest::newRow("1099511627776: no unit beyond MB") << 1099511627776.0 << "1,048,576.0 MB";
    }

    void formatSize()
    {
        QFETCH(double, size);
        QFETCH(QString, text);
        QCOMPARE(FormatSize(size), text);
    }

    void formatSizeUsesTheLocaleSeparators()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString text = FormatSize(1023949.0);
        pinTestEnvironment();
        QCOMPARE(text, QStringLiteral("1.000,0 KB"));
    }

    void getFolderName_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("name");

        QTest::newRow("nested") << QByteArray("/usr/share/doc/") << QByteArray("doc");
        QTest::newRow("one level") << QByteArray("/Data/") << QByteArray("Data");
        QTest::newRow("the root names itself") << QByteArray("/") << QByteArray("/");
        QTest::newRow("a network path") << QByteArray("//server/share/") << QByteArray("share");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("no trailing separator drops the last character") << QByteArray("/usr/lib") << QByteArray("li");
        QTest::newRow("invalid UTF-8 kept as bytes") << QByteArray("/tmp/caf\xe9/") << QByteArray("caf\xe9");
    }

    void getFolderName()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, name);
        QCOMPARE(GetFolderName(path), name);
    }
};

ZK_TEST_GUILESS_MAIN(TestSizeText)
#include "tst_size_text.moc"
