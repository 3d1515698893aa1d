#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "support/allocation_limit.h"
#include "support/export_text.h"
#include "support/fixture_tree.h"
#include "support/message_boxes.h"
#include "support/test_main.h"
#include "ui/main_window.h"

#include <QFile>
#include <QLineEdit>

// The window imports an export larger than the memory holds: it says so, and stays as it
// was. The test runs with the library that fails large allocations preloaded.
class TestImportMemory : public QObject
{
    Q_OBJECT

private slots:
    void anImportThatRunsOutOfMemoryChangesNothing()
    {
        if (!zkSetAllocationLimit)
            QSKIP("the allocation limit is not preloaded");
        FixtureTree fixture;
        fixture.make({"before/x=5"});
        // 100,000 folders take more than a megabyte to hold.
        const QString file = QString::fromLocal8Bit(fixture.path()) + "big.json";
        QVERIFY(writeWideExport(file, 100000));

        PosixFolderEnumerator fileSystem;
        fMain window(fileSystem);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.openRoot(fixture.path() + "before/");
        const MessageBoxCloser boxes;
        zkSetAllocationLimit(1 << 20);
        window.openImport(file);
        zkSetAllocationLimit(SIZE_MAX);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("「%1」を読み込むためのメモリが足りません。").arg(file)});
        QCOMPARE(window.txtRootFolder->text(), QString::fromLocal8Bit(fixture.path() + "before/"));
        QVERIFY(window.trvFolders->node(fixture.path() + "before/"));
        QCOMPARE(window.windowTitle(), fMain::caption);
    }
};

ZK_TEST_MAIN(TestImportMemory)
#include "tst_import_memory.moc"
