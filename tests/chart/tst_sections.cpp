#include "chart/sections.h"
#include "support/test_main.h"

namespace {

struct Entry {
    QString text;
    double size;
};

using Entries = QList<Entry>;

cSections sectionsOf(const Entries &entries)
{
    cSections sections;
    for (const Entry &entry : entries)
        sections.Add(entry.size, -1, entry.text, entry.text.toUtf8());
    return sections;
}

QString described(const cSections &sections)
{
    QStringList parts;
    for (int i = 1; i <= sections.Count(); ++i)
        parts << sections.Item(i)->Text + QLatin1Char(' ') + QString::number(sections.Item(i)->Size);
    return parts.join(QStringLiteral(", "));
}

} // namespace

Q_DECLARE_METATYPE(Entries)

class TestSections : public QObject
{
    Q_OBJECT

private slots:
    void sortsBySizeSmallestFirst_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("sorted");

        QTest::newRow("three") << Entries{{"A", 5}, {"B", 1}, {"C", 3}} << 1 << "B 1, C 3, A 5";
        QTest::newRow("order 0 leaves them") << Entries{{"A", 5}, {"B", 1}, {"C", 3}} << 0 << "A 5, B 1, C 3";
        QTest::newRow("order 2 leaves them") << Entries{{"A", 5}, {"B", 1}, {"C", 3}} << 2 << "A 5, B 1, C 3";
        QTest::newRow("empty") << Entries{} << 1 << "";
        QTest::newRow("one") << Entries{{"A", 7}} << 1 << "A 7";
        QTest::newRow("two equal change places") << Entries{{"A", 4}, {"B", 4}} << 1 << "B 4, A 4";
        QTest::newRow("three equal reverse") << Entries{{"A", 3}, {"B", 3}, {"C", 3}} << 1 << "C 3, B 3, A 3";
        // With the middle position rounded half up this would be B, D, C, A.
        QTest::newRow("pairs of equals") << Entries{{"A", 2}, {"B", 1}, {"C", 2}, {"D", 1}} << 1 << "D 1, B 1, A 2, C 2";
        QTest::newRow("descending") << Entries{{"A", 9}, {"B", 7}, {"C", 5}, {"D", 3}, {"E", 1}} << 1 << "E 1, D 3, C 5, B 7, A 9";
        QTest::newRow("ascending") << Entries{{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}} << 1 << "A 1, B 2, C 3, D 4";
    }

    void sortsBySizeSmallestFirst()
    {
        QFETCH(Entries, entries);
        QFETCH(int, order);
        QFETCH(QString, sorted);
        cSections sections = sectionsOf(entries);
        sections.Sort(order);
        QCOMPARE(described(sections), sorted);
    }

    void sortingMovesValuesNotObjects()
    {
        cSections sections = sectionsOf({{"A", 5}, {"B", 1}, {"C", 3}});
        const std::shared_ptr<cSection> first = sections.Item(1);
        sections.Sort(1);
        // The object stored under key A stays at position 1 and now holds B's values.
        QCOMPARE(sections.Item("A"), sections.Item(1));
        QCOMPARE(sections.Item("A")->Key, QByteArray("B"));
        QCOMPARE(sections.Item("A")->Size, 1.0);
        QCOMPARE(first->Text, QStringLiteral("B"));
    }

    void sortsManySections()
    {
        cSections sections;
        for (int i = 0; i < 40000; ++i)
            sections.Add(double((i * 7919) % 40000), -1, QString::number(i), QByteArray::number(i));
        sections.Sort(1);
        QCOMPARE(sections.Count(), 40000);
        for (int i = 1; i <= sections.Count(); ++i)
            QCOMPARE(sections.Item(i)->Size, double(i - 1));
    }

    void aKeyThatIsPresentStoresNothing()
    {
        cSections sections;
        const std::shared_ptr<cSection> first = sections.Add(1, -1, QStringLiteral("first"), "/a/");
        const std::shared_ptr<cSection> second = sections.Add(2, 7, QStringLiteral("second"), "/a/");
        QCOMPARE(sections.Count(), 1);
        QCOMPARE(second->Size, 2.0);
        QCOMPARE(second->Color, 7);
        QCOMPARE(second->Text, QStringLiteral("second"));
        QCOMPARE(sections.Item("/a/"), first);

        // Folder paths that differ in case are different folders here ...
        QVERIFY(sections.Add(3, -1, QStringLiteral("upper"), "/A/"));
        QCOMPARE(sections.Count(), 2);
        // ... and the same where the file system ignores case.
        cSections caseless(KeyComparison::CaseInsensitive);
        caseless.Add(1, -1, QStringLiteral("first"), "C:\\A\\");
        caseless.Add(2, -1, QStringLiteral("second"), "c:\\a\\");
        QCOMPARE(caseless.Count(), 1);
        QCOMPARE(caseless.Item("c:\\a\\")->Text, QStringLiteral("first"));
    }

    void theEmptyKeyIsAKey()
    {
        cSections sections;
        sections.Add(1, -1, QStringLiteral("その他"), "");
        QCOMPARE(sections.Count(), 1);
        QCOMPARE(sections.Item(QByteArray(""))->Text, QStringLiteral("その他"));
    }

    void positionsOutsideTheListFail()
    {
        cSections sections = sectionsOf({{"A", 1}, {"B", 2}, {"C", 3}});
        QCOMPARE(sections.Item(0), nullptr);
        QCOMPARE(sections.Item(4), nullptr);
        QCOMPARE(sections.Item("D"), nullptr);
        QVERIFY(!sections.Remove(0));
        QVERIFY(!sections.Remove(4));
        QVERIFY(!sections.Remove("D"));
        QCOMPARE(sections.Count(), 3);
    }

    void removingMovesLaterSectionsDown()
    {
        cSections sections = sectionsOf({{"A", 1}, {"B", 2}, {"C", 3}});
        QVERIFY(sections.Remove(1));
        QCOMPARE(described(sections), QStringLiteral("B 2, C 3"));
        QVERIFY(sections.Remove("C"));
        QCOMPARE(described(sections), QStringLiteral("B 2"));
    }
};

ZK_TEST_GUILESS_MAIN(TestSections)
#include "tst_sections.moc"
