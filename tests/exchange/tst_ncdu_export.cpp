#include "exchange/folder_export.h"
#include "exchange/imported_folder_enumerator.h"
#include "exchange/imported_tree.h"
#include "platform/posix_folder_enumerator.h"
#include "populater/folder_scan_job.h"
#include "populater/scan_control.h"
#include "support/faulty_folder_enumerator.h"
#include "support/fixture_tree.h"
#include "support/scan_records.h"
#include "support/test_main.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>

#include <unistd.h>


// Scan here, view elsewhere: what the export writes reads back as the same tree, here
// and in ncdu.
class TestNcduExport : public QObject
{
    Q_OBJECT

private slots:
    void aRoundTripGivesTheScansRecords_data()
    {
        QTest::addColumn<QList<QByteArray>>("layout");
        QTest::addColumn<QByteArrayList>("unreadable");
        QTest::newRow("a name that is not UTF-8") << QList<QByteArray>{"caf\xe9/n\xff=12", "a\"quote\\back/x=1", "tab\tname=3"} << QByteArrayList();
        QTest::newRow("a hard link") << QList<QByteArray>{"docs/d=5000"} << QByteArrayList();
        QTest::newRow("a symbolic link") << QList<QByteArray>{"Data/x=100", "link->Data"} << QByteArrayList();
        QTest::newRow("dot names") << QList<QByteArray>{".hidden/x=77", ".dot=5", "shown=2"} << QByteArrayList();
        QTest::newRow("an empty folder") << QList<QByteArray>{"empty/", "full/x=1"} << QByteArrayList();
        QTest::newRow("an unreadable folder") << QList<QByteArray>{"locked/x=9", "open/y=4"} << QByteArrayList{"locked/"};
    }

    void aRoundTripGivesTheScansRecords()
    {
        QFETCH(QList<QByteArray>, layout);
        QFETCH(QByteArrayList, unreadable);
        FixtureTree fixture;
        fixture.make(layout);
        if (QTest::currentDataTag() == QByteArrayView("a hard link"))
            QVERIFY(::link((fixture.path() + "docs/d").constData(), (fixture.path() + "docs/hard").constData()) == 0);
        PosixFolderEnumerator here;
        QByteArrayList failing;
        for (const QByteArray &relative : unreadable)
            failing << fixture.path() + relative;
        FaultyFolderEnumerator source(here, failing);

        QBuffer exported;
        exported.open(QIODevice::WriteOnly);
        ScanControl control;
        QString error;
        QVERIFY2(exportFolder(source, fixture.path(), exported, control, error), qPrintable(error));
        exported.close();
        exported.open(QIODevice::ReadOnly);
        const ImportedTree::Outcome outcome = ImportedTree::read(exported);
        QVERIFY2(outcome.tree, outcome.error ? qPrintable(outcome.error->message()) : "no tree");
        ImportedFolderEnumerator imported(*outcome.tree);
        QCOMPARE(serialized(scanRecords(imported, fixture.path(), 1)), serialized(scanRecords(source, fixture.path(), 1)));
    }

    // ncdu loads what the program writes, and reads it out again the same.
    void ncduLoadsTheExport()
    {
        FixtureTree fixture;
        fixture.make({"Data/photos/p=300000", "Data/big=2925738803", "docs/d=5000", "own=1536", "caf\xe9/n\xff=12"});
        const QString file = QString::fromLocal8Bit(fixture.path()) + "ours.json";
        QProcess program;
        program.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), file, QString::fromLocal8Bit(fixture.path() + "Data")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QProcess ncdu;
        const QString again = QString::fromLocal8Bit(fixture.path()) + "again.json";
        ncdu.start(QStringLiteral("ncdu"), {QStringLiteral("-f"), file, QStringLiteral("-o"), again});
        QVERIFY(ncdu.waitForFinished(60000));
        QCOMPARE(ncdu.exitCode(), 0);
        // ncdu ends its run with a bare newline on standard error, and nothing else.
        QVERIFY2(ncdu.readAllStandardError().trimmed().isEmpty(), "ncdu complained");
        QFile ours(file);
        QFile theirs(again);
        QVERIFY(ours.open(QIODevice::ReadOnly) && theirs.open(QIODevice::ReadOnly));
        const ImportedTree::Outcome fromUs = ImportedTree::read(ours);
        const ImportedTree::Outcome fromNcdu = ImportedTree::read(theirs);
        QVERIFY(fromUs.tree && fromNcdu.tree);
        ImportedFolderEnumerator usWalk(*fromUs.tree);
        ImportedFolderEnumerator ncduWalk(*fromNcdu.tree);
        QCOMPARE(serialized(scanRecords(ncduWalk, fixture.path() + "Data/", 1)), serialized(scanRecords(usWalk, fixture.path() + "Data/", 1)));
        QCOMPARE(fromUs.tree->rootPath(), fixture.path() + "Data/");
    }

    // An export that cannot be written leaves nothing behind; one that can leaves only itself.
    void theFileAppearsWholeOrNotAtAll()
    {
        FixtureTree fixture;
        fixture.make({"in/x=1", "out/"});
        const QString failing = QString::fromLocal8Bit(fixture.path()) + "missing/folder/ours.json";
        QProcess program;
        program.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), failing, QString::fromLocal8Bit(fixture.path() + "in")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(!QFile::exists(failing));

        const QString written = QString::fromLocal8Bit(fixture.path()) + "out/ours.json";
        program.start(QStringLiteral(ZK_PROGRAM), {QStringLiteral("--export"), written, QString::fromLocal8Bit(fixture.path() + "in")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QDir(QString::fromLocal8Bit(fixture.path()) + "out").entryList(QDir::Files | QDir::Hidden), QStringList{"ours.json"});
    }
};

ZK_TEST_GUILESS_MAIN(TestNcduExport)
#include "tst_ncdu_export.moc"
