#include "ui/elided_text.h"

#include <QApplication>
#include <QFont>
#include <QtTest>

// A path shortened in the middle shows what Qt's own shortening of the whole text shows,
// however long the path: a path 100,000 folders deep is cut to its ends before it is
// measured, and the person sees the same ends.
class TestElidedText : public QObject
{
    Q_OBJECT

private slots:
    void showsWhatTheWholeTextWouldShow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        const QString deep = QStringLiteral("/srv/") + QStringLiteral("フォルダ/").repeated(100000) + QStringLiteral("最後");
        QTest::newRow("fits") << QStringLiteral("/srv/data") << 400;
        QTest::newRow("a little long") << QStringLiteral("/srv/").repeated(40) << 200;
        QTest::newRow("100,000 deep, wide") << deep << 900;
        QTest::newRow("100,000 deep, narrow") << deep << 60;
        QTest::newRow("ASCII, 100,000 deep") << QStringLiteral("/a").repeated(100000) + QStringLiteral("/end") << 500;
        QTest::newRow("no room") << deep << 0;
    }

    void showsWhatTheWholeTextWouldShow()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        const QFontMetrics metrics(QApplication::font());
        const QString shown = elidedInMiddle(metrics, text, width);
        QCOMPARE(shown, metrics.elidedText(text, Qt::ElideMiddle, width));
        QVERIFY(metrics.horizontalAdvance(shown) <= qMax(width, metrics.horizontalAdvance(QChar(0x2026))));
    }
};

QTEST_MAIN(TestElidedText)
#include "tst_elided_text.moc"
