#include "platform/keyed_collection.h"
#include "support/test_main.h"

class TestKeyedCollection : public QObject
{
    Q_OBJECT

private:
    static QList<QByteArray> keysOf(const KeyedCollection<int> &collection)
    {
        QList<QByteArray> keys;
        for (int position = 1; position <= collection.count(); ++position)
            keys << collection.keyAt(position);
        return keys;
    }

private slots:
    void positionsFollowTheOrderOfAdding()
    {
        KeyedCollection<int> collection(KeyComparison::Exact);
        QVERIFY(collection.add("b", 2));
        QVERIFY(collection.add("a", 1));
        QVERIFY(collection.add("", 0));
        QCOMPARE(collection.count(), 3);
        QCOMPARE(keysOf(collection), (QList<QByteArray>{"b", "a", ""}));
        QCOMPARE(*collection.itemAt(1), 2);
        QCOMPARE(*collection.itemAt(3), 0);
        QCOMPARE(*collection.item(""), 0);
    }

    void keysCompare_data()
    {
        QTest::addColumn<KeyComparison>("comparison");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("other");
        QTest::addColumn<bool>("same");

        QTest::newRow("exact: letter case differs") << KeyComparison::Exact << QByteArray("/Data/") << QByteArray("/data/") << false;
        QTest::newRow("exact: equal") << KeyComparison::Exact << QByteArray("/Data/") << QByteArray("/Data/") << true;
        QTest::newRow("case-insensitive: ASCII") << KeyComparison::CaseInsensitive << QByteArray("C:\\Data\\") << QByteArray("c:\\DATA\\") << true;
        QTest::newRow("case-insensitive: beyond ASCII") << KeyComparison::CaseInsensitive << QByteArray("/Ärger/") << QByteArray("/ärger/") << true;
        QTest::newRow("case-insensitive: different names") << KeyComparison::CaseInsensitive << QByteArray("/Data/") << QByteArray("/Date/") << false;
        QTest::newRow("case-insensitive: invalid UTF-8 stays apart") << KeyComparison::CaseInsensitive << QByteArray("/caf\xe9/") << QByteArray("/caf\xe8/") << false;
        QTest::newRow("case-insensitive: invalid UTF-8 folds ASCII") << KeyComparison::CaseInsensitive << QByteArray("/CAF\xe9/") << QByteArray("/caf\xe9/") << true;
    }

    void keysCompare()
    {
        QFETCH(KeyComparison, comparison);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, other);
        QFETCH(bool, same);

        KeyedCollection<int> collection(comparison);
        QVERIFY(collection.add(stored, 1));
        QCOMPARE(collection.item(other) != nullptr, same);
        // Adding under a key that is present fails and stores nothing.
        QCOMPARE(collection.add(other, 2), !same);
        QCOMPARE(collection.count(), same ? 1 : 2);
        QCOMPARE(*collection.item(stored), 1);
        QCOMPARE(collection.keyAt(1), stored);
    }

    void absentKeysAndBadPositionsFail()
    {
        KeyedCollection<int> collection(KeyComparison::Exact);
        collection.add("a", 1);
        collection.add("b", 2);
        QCOMPARE(collection.item("c"), nullptr);
        QCOMPARE(collection.itemAt(0), nullptr);
        QCOMPARE(collection.itemAt(3), nullptr);
        QCOMPARE(collection.itemAt(-1), nullptr);
        QVERIFY(!collection.remove("c"));
        QVERIFY(!collection.removeAt(0));
        QVERIFY(!collection.removeAt(3));
        QCOMPARE(keysOf(collection), (QList<QByteArray>{"a", "b"}));
    }

    void removingMovesLaterItemsDown()
    {
        KeyedCollection<int> collection(KeyComparison::CaseInsensitive);
        for (int i = 1; i <= 5; ++i)
            collection.add(QByteArray(1, char('a' + i - 1)), i);

        QVERIFY(collection.removeAt(2));
        QCOMPARE(keysOf(collection), (QList<QByteArray>{"a", "c", "d", "e"}));
        QCOMPARE(*collection.itemAt(2), 3);
        QVERIFY(collection.remove("D"));
        QCOMPARE(keysOf(collection), (QList<QByteArray>{"a", "c", "e"}));
        QCOMPARE(*collection.itemAt(3), 5);
        // A removed key may be added again; it goes to the end.
        QVERIFY(collection.add("b", 20));
        QCOMPARE(keysOf(collection), (QList<QByteArray>{"a", "c", "e", "b"}));
        QCOMPARE(collection.item("d"), nullptr);
    }

    void manyRemovalsKeepEveryOtherKeyFound()
    {
        KeyedCollection<int> collection(KeyComparison::Exact);
        QList<int> expected;
        for (int i = 0; i < 3000; ++i) {
            collection.add("key" + QByteArray::number(i), i);
            expected << i;
        }
        for (int i = 0; i < 3000; i += 3) {
            QVERIFY(collection.remove("key" + QByteArray::number(i)));
            expected.removeOne(i);
        }
        // By position too, from the front, the middle and the end (0).
        for (const int wanted : {1, 1000, 0}) {
            const int position = wanted == 0 ? collection.count() : wanted;
            expected.removeAt(position - 1);
            QVERIFY(collection.removeAt(position));
        }
        QCOMPARE(collection.count(), int(expected.size()));
        for (int position = 1; position <= collection.count(); ++position) {
            const int value = expected[position - 1];
            QCOMPARE(*collection.itemAt(position), value);
            QCOMPARE(collection.keyAt(position), "key" + QByteArray::number(value));
            QCOMPARE(*collection.item("key" + QByteArray::number(value)), value);
        }
        QCOMPARE(collection.item("key0"), nullptr);
        QVERIFY(collection.add("key0", -1));
        QCOMPARE(*collection.itemAt(collection.count()), -1);
    }

    void itemsStayInPlaceWhileTheCollectionGrows()
    {
        KeyedCollection<int> collection(KeyComparison::Exact);
        collection.add("first", 1);
        int *first = collection.item("first");
        for (int i = 0; i < 10000; ++i)
            collection.add(QByteArray::number(i), i);
        *first = 42;
        QCOMPARE(*collection.itemAt(1), 42);
        QCOMPARE(*collection.item("9999"), 9999);
        QCOMPARE(*collection.itemAt(10001), 9999);
    }
};

ZK_TEST_GUILESS_MAIN(TestKeyedCollection)
#include "tst_keyed_collection.moc"
