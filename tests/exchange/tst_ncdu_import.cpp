#include "exchange/import_job.h"
#include "exchange/imported_folder_enumerator.h"
#include "exchange/imported_tree.h"
#include "platform/posix_folder_enumerator.h"
#include "scan/folder_scan_job.h"
#include "scan/scan_control.h"
#include "support/byte_count_text.h"
#include "support/export_text.h"
#include "support/fixture_tree.h"
#include "support/scan_records.h"
#include "support/test_main.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <future>
#include <thread>

#include <unistd.h>

namespace {

// The tree as lines "path bytes files", depth first; an excluded folder is marked.
QStringList describe(const ImportedTree &tree)
{
    QStringList lines;
    std::vector<std::pair<ImportedTree::Index, QByteArray>> pending{{ImportedTree::root, tree.rootPath()}};
    while (!pending.empty()) {
        auto [folder, path] = pending.back();
        pending.pop_back();
        lines << QStringLiteral("%1 %2 %3%4")
                     .arg(QString::fromUtf8(path.toPercentEncoding("/")))
                     .arg(QString::fromLatin1(byteCountText(tree.fileBytes(folder))))
                     .arg(tree.files(folder))
                     .arg(tree.listable(folder) ? QString() : QStringLiteral(" excluded"));
        std::vector<std::pair<ImportedTree::Index, QByteArray>> children;
        for (ImportedTree::Index child = tree.firstChild(folder); child != ImportedTree::none; child = tree.nextSibling(child))
            children.push_back({child, path + tree.name(child).toByteArray() + '/'});
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return lines;
}

ImportedTree::Outcome importBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ImportedTree::read(buffer, nullptr);
}

QByteArray chain(int depth)
{
    QByteArray text = "[1,2,{},[{\"name\":\"/c\"}";
    for (int level = 0; level < depth; ++level)
        text += ",[{\"name\":\"d\"}";
    text += ",{\"name\":\"f\",\"asize\":7}";
    text += QByteArray(depth, ']');
    return text + "]]";
}

const QByteArray header = "[1,2,{\"progname\":\"ncdu\",\"progver\":\"2.3\",\"timestamp\":1700000000},";

// A chain of folders below a root's first sub-folder, described by its info object.
QByteArray chainBelow(const QByteArray &firstInfo, int depth)
{
    QByteArray text = header + "[{\"name\":\"/c\"},[" + firstInfo;
    for (int level = 0; level < depth; ++level)
        text += ",[{\"name\":\"d\"}";
    return text + QByteArray(depth + 1, ']') + ",{\"name\":\"f\",\"asize\":3}]]";
}

// One folder of many files, made as it is read and never ahead of what is asked for.
// Once `pauseAt` files are out it waits, on the reading thread, for the word to go on.
class GeneratedFolder final : public QIODevice
{
public:
    GeneratedFolder(qint64 files, qint64 pauseAt) : m_files(files), m_pauseAt(pauseAt)
    {
        m_pending = header + "[{\"name\":\"/big\"}";
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    qint64 filesOut() const { return m_made; }
    std::promise<void> paused;
    std::promise<void> goOn;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        while (m_pending.size() < maxSize && m_made < m_files) {
            m_pending += ",{\"name\":\"f" + QByteArray::number(m_made) + "\",\"asize\":1}";
            if (++m_made == m_pauseAt) {
                paused.set_value();
                goOn.get_future().wait();
            }
        }
        if (m_made == m_files && !m_ended) {
            m_pending += "]]";
            m_ended = true;
        }
        const qint64 handed = std::min<qint64>(maxSize, m_pending.size());
        std::copy_n(m_pending.constData(), handed, data);
        m_pending.remove(0, handed);
        return handed;
    }

    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 m_files;
    qint64 m_pauseAt;
    qint64 m_made = 0;
    bool m_ended = false;
    QByteArray m_pending;
};

} // namespace

// Export files as ncdu and gdu write them, and files that are not quite that.
class TestNcduImport : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatTheFormatHolds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("tree");

        QTest::newRow("minor version 0, just a root")
            << QByteArray("[1,0,{\"progname\":\"ncdu\",\"progver\":\"1.9\",\"timestamp\":1},[{\"name\":\"/srv\"}]]")
            << QStringList{"/srv/ 0 0"};
        QTest::newRow("minor version 1, extended fields passed over")
            << QByteArray("[1,1,{},[{\"name\":\"/srv\",\"asize\":4096,\"dsize\":4096,\"dev\":2049,\"ino\":2,\"uid\":0,\"gid\":0,"
                          "\"mode\":16877,\"mtime\":1700000000},{\"name\":\"a\",\"asize\":100,\"dsize\":4096,\"ino\":3,\"uid\":1000,"
                          "\"gid\":1000,\"mode\":33188,\"mtime\":1700000000}]]")
            << QStringList{"/srv/ 100 1"};
        QTest::newRow("minor version 2: nlink; every name of a hard link counts")
            << (header + "[{\"name\":\"/h\"},{\"name\":\"x\",\"asize\":10,\"ino\":9,\"nlink\":2,\"hlnkc\":true},"
                         "{\"name\":\"y\",\"asize\":10,\"ino\":9,\"nlink\":2,\"hlnkc\":true}]]")
            << QStringList{"/h/ 20 2"};
        QTest::newRow("a newer minor version only adds fields")
            << QByteArray("[1,7,{},[{\"name\":\"/n\",\"future\":{\"a\":[1,{\"b\":null}]}},{\"name\":\"x\",\"asize\":1,\"new\":[[],{}]}]]")
            << QStringList{"/n/ 1 1"};
        QTest::newRow("apparent size counts, disk usage and a folder's own size do not")
            << (header + "[{\"name\":\"/s\",\"asize\":4096},{\"name\":\"f\",\"asize\":100,\"dsize\":8192},"
                         "[{\"name\":\"sub\",\"asize\":4096,\"dsize\":4096},{\"name\":\"g\",\"asize\":5}]]]")
            << QStringList{"/s/ 100 1", "/s/sub/ 5 1"};
        QTest::newRow("notreg: links and devices count at their length")
            << (header + "[{\"name\":\"/l\"},{\"name\":\"link\",\"asize\":11,\"notreg\":true},{\"name\":\"dev\",\"notreg\":true}]]")
            << QStringList{"/l/ 11 2"};
        QTest::newRow("read_error: what was read counts")
            << (header + "[{\"name\":\"/r\"},[{\"name\":\"locked\",\"read_error\":true}],"
                         "[{\"name\":\"half\",\"read_error\":true},{\"name\":\"x\",\"asize\":3}]]]")
            << QStringList{"/r/ 0 0", "/r/locked/ 0 0", "/r/half/ 3 1"};
        QTest::newRow("excluded: a file counts nothing, a folder stays empty")
            << (header + "[{\"name\":\"/e\"},{\"name\":\"skip\",\"asize\":50,\"excluded\":\"pattern\"},"
                         "[{\"name\":\"mnt\",\"excluded\":\"otherfs\"},{\"name\":\"x\",\"asize\":9},[{\"name\":\"y\"}]],"
                         "{\"name\":\"kept\",\"asize\":1,\"excluded\":false}]]")
            << QStringList{"/e/ 1 1", "/e/mnt/ 0 0 excluded"};
        QTest::newRow("names beginning with a dot are left out, with all below them")
            << (header + "[{\"name\":\"/d\"},{\"name\":\".hidden\",\"asize\":5},[{\"name\":\".git\"},{\"name\":\"x\",\"asize\":9},"
                         "[{\"name\":\"objects\"},{\"name\":\"y\",\"asize\":1}]],{\"name\":\"shown\",\"asize\":2}]]")
            << QStringList{"/d/ 2 1"};
        QTest::newRow("a chosen root may itself begin with a dot")
            << (header + "[{\"name\":\"/home/u/.cache\"},{\"name\":\"x\",\"asize\":2}]]") << QStringList{"/home/u/.cache/ 2 1"};
        QTest::newRow("the file system root keeps its one separator")
            << (header + "[{\"name\":\"/\"},[{\"name\":\"etc\"}]]]") << QStringList{"/ 0 0", "/etc/ 0 0"};
        QTest::newRow("names are raw bytes; escapes decode to UTF-8")
            << (header + "[{\"name\":\"/b\"},[{\"name\":\"caf\xe9\"}],[{\"name\":\"\\u00e9t\\u00E9 \\\"q\\\" \\\\ \\ud83d\\ude00\"}]]]")
            << QStringList{"/b/ 0 0", "/b/caf%E9/ 0 0", "/b/%C3%A9t%C3%A9%20%22q%22%20%5C%20%F0%9F%98%80/ 0 0"};
        QTest::newRow("white space anywhere between tokens")
            << QByteArray(" [ 1 ,\n 2 ,\r\n {\t} , [ { \"name\" : \"/w\" } , [ { \"name\" : \"a\" } , { \"name\" : \"x\" , \"asize\" : 4 } ] ] ]\n")
            << QStringList{"/w/ 0 0", "/w/a/ 4 1"};
        QTest::newRow("sizes up to 2^63 - 1")
            << (header + "[{\"name\":\"/big\"},{\"name\":\"x\",\"asize\":9223372036854775807}]]")
            << QStringList{"/big/ 9223372036854775807 1"};
        QTest::newRow("a folder's files past 2^64 bytes, exactly")
            << (header + "[{\"name\":\"/big\"},{\"name\":\"x\",\"asize\":9223372036854775807},"
                         "{\"name\":\"y\",\"asize\":9223372036854775807},{\"name\":\"z\",\"asize\":3}]]")
            << QStringList{"/big/ 18446744073709551617 3"};
        // Files are only added up: a name given twice counts twice, as two names of a hard link do.
        QTest::newRow("two files of one name")
            << (header + "[{\"name\":\"/t\"},{\"name\":\"x\",\"asize\":2},{\"name\":\"x\",\"asize\":1}]]") << QStringList{"/t/ 3 2"};
        QTest::newRow("a folder and a file of one name")
            << (header + "[{\"name\":\"/t\"},[{\"name\":\"x\"}],{\"name\":\"x\",\"asize\":4}]]") << QStringList{"/t/ 4 1", "/t/x/ 0 0"};
        QTest::newRow("metadata nested 1,024 deep")
            << QByteArray("[1,2,{\"x\":" + QByteArray(1023, '[') + "1" + QByteArray(1023, ']') + "},[{\"name\":\"/t\"}]]") << QStringList{"/t/ 0 0"};
        QTest::newRow("a name of 4,096 bytes")
            << (header + "[{\"name\":\"/t\"},[{\"name\":\"" + QByteArray(4096, 'n') + "\"}]]]")
            << QStringList{"/t/ 0 0", "/t/" + QString(4096, 'n') + "/ 0 0"};
        QTest::newRow("an ignored value of 8 MB and a long key")
            << QByteArray("[1,2,{\"note\":\"" + QByteArray(8 << 20, 'v') + "\",\"" + QByteArray(100, 'k') + "\":[\"" + QByteArray(1000, 'w')
                          + "\"]},[{\"name\":\"/t\",\"x\":\"" + QByteArray(100000, 'x') + "\"},{\"name\":\"f\",\"asize\":6}]]")
            << QStringList{"/t/ 6 1"};
        QTest::newRow("a dot folder 300,000 levels deep")
            << chainBelow("{\"name\":\".git\"}", 300000) << QStringList{"/c/ 3 1"};
        QTest::newRow("an excluded folder 300,000 levels deep")
            << chainBelow("{\"name\":\"mnt\",\"excluded\":\"otherfs\"}", 300000) << QStringList{"/c/ 3 1", "/c/mnt/ 0 0 excluded"};
        QTest::newRow("an excluded root") << (header + "[{\"name\":\"/x\",\"excluded\":\"pattern\"},[{\"name\":\"a\"}]]]")
                                          << QStringList{"/x/ 0 0 excluded"};
        QTest::newRow("one name in two folders")
            << (header + "[{\"name\":\"/t\"},[{\"name\":\"a\"},[{\"name\":\"x\"}]],[{\"name\":\"b\"},[{\"name\":\"x\"}]]]]")
            << QStringList{"/t/ 0 0", "/t/a/ 0 0", "/t/a/x/ 0 0", "/t/b/ 0 0", "/t/b/x/ 0 0"};
        QTest::newRow("5,000 levels deep") << chain(5000) << QStringList();
    }

    void readsWhatTheFormatHolds()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, tree);
        const ImportedTree::Outcome outcome = importBytes(file);
        QVERIFY2(!outcome.error, outcome.error ? qPrintable(outcome.error->message()) : "");
        QVERIFY(outcome.tree);
        if (tree.isEmpty()) {
            // The chain: one folder a level, the file at the bottom.
            QCOMPARE(outcome.tree->folderCount(), 5001);
            ImportedTree::Index folder = ImportedTree::root;
            while (outcome.tree->firstChild(folder) != ImportedTree::none)
                folder = outcome.tree->firstChild(folder);
            QCOMPARE(outcome.tree->fileBytes(folder), ByteCount(7));
            return;
        }
        QCOMPARE(describe(*outcome.tree), tree);
    }

    void findsFoldersByPath()
    {
        const ImportedTree::Outcome outcome = importBytes(header + "[{\"name\":\"/p\"},[{\"name\":\"a\"},[{\"name\":\"b\"}]],[{\"name\":\"c\"}]]]");
        const ImportedTree &tree = *outcome.tree;
        const ImportedTree::Index b = tree.find("/p/a/b/", ImportedTree::root, 3);
        QCOMPARE(tree.name(b), QByteArrayView("b"));
        QCOMPARE(tree.find("/p/a/b/", tree.child(ImportedTree::root, "a"), 5), b);
        QCOMPARE(tree.find("/p/", ImportedTree::root, 3), ImportedTree::root);
        QCOMPARE(tree.find("/p/c/b/", ImportedTree::root, 3), ImportedTree::none);
        QCOMPARE(tree.find("/p/a", ImportedTree::root, 3), ImportedTree::none);
    }

    void scansAnImportAsItScansAFolder_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("four threads") << 4;
        QTest::newRow("32 threads") << 32;
    }

    void scansAnImportAsItScansAFolder()
    {
        QFETCH(int, threads);
        const ImportedTree::Outcome outcome = importBytes(
            header + "[{\"name\":\"/srv\"},{\"name\":\"own\",\"asize\":1},[{\"name\":\"a\"},{\"name\":\"x\",\"asize\":100},"
                     "[{\"name\":\"deep\"},[{\"name\":\"deeper\"},{\"name\":\"y\",\"asize\":7}]]],"
                     "[{\"name\":\"b\"},{\"name\":\"z\",\"asize\":20}],[{\"name\":\"gone\",\"excluded\":\"otherfs\"}],"
                     "[{\"name\":\".hidden\"},{\"name\":\"w\",\"asize\":9}]]]");
        QVERIFY(outcome.tree);
        ImportedFolderEnumerator enumerator(*outcome.tree);
        FolderScanJob scan(enumerator, "/srv/", threads);
        scan.run();
        QVERIFY(scan.completed());
        QCOMPARE(scan.total(), 128.0);
        SizeCache records = scan.takeRecords();
        QStringList shown;
        for (int position = 1; position <= records.count(); ++position)
            shown << QString::fromUtf8(records.keyAt(position)) + ' ' + *records.itemAt(position);
        QCOMPARE(shown, (QStringList{"/srv/a/deep/deeper/ 07", "/srv/a/deep/ 17", "/srv/a/ 1107", "/srv/b/ 020",
                                     "/srv/gone/ 00", "/srv/ 1128"}));
        // Listing as the tree does when a node opens: one walk from the root, down.
        const std::unique_ptr<FolderWalk> walk = enumerator.startWalk("/srv/");
        FolderListing listing;
        QVERIFY(walk->list("/srv/a/deep/", EntryDetail::NamesAndTypes, listing));
        QCOMPARE(listing.subFolders.size(), size_t(1));
        QCOMPARE(listing.subFolders[0].toByteArray(), QByteArray("deeper"));
        QVERIFY(walk->list("/srv/b/", EntryDetail::WithSizes, listing));
        QCOMPARE(listing.fileBytes, ByteCount(20));
        QVERIFY(!walk->list("/srv/gone/", EntryDetail::WithSizes, listing));
        QVERIFY(!walk->list("/srv/nowhere/", EntryDetail::WithSizes, listing));
        QVERIFY(!walk->list("/elsewhere/", EntryDetail::WithSizes, listing));
        QVERIFY(walk->list("/srv/a/deep/deeper/", EntryDetail::WithSizes, listing));
        QCOMPARE(listing.files, qint64(1));
    }

    // What ncdu and gdu write of a folder, read back, adds up as the scan of it here does.
    void readsWhatThePeersWrite_data()
    {
        QTest::addColumn<QStringList>("command"); // %1 the export file, %2 the folder
        QTest::addColumn<bool>("keepsRawNames");
        QTest::newRow("ncdu") << QStringList{"ncdu", "-0", "-o", "%1", "%2"} << true;
        // gdu writes a name that is not UTF-8 with replacement characters in it.
        QTest::newRow("gdu") << QStringList{"gdu", "-n", "-p", "-o", "%1", "%2"} << false;
    }

    void readsWhatThePeersWrite()
    {
        QFETCH(QStringList, command);
        QFETCH(bool, keepsRawNames);
        FixtureTree fixture;
        fixture.make({"Data/photos/p=300000", "Data/big=2925738803", "docs/d=5000", "own=1536", "empty/",
                       ".hidden/x=77", ".dot=5", "link->Data", keepsRawNames ? "caf\xe9/n\xff=12" : "café/n=12"});
        QVERIFY(::link((fixture.path() + "docs/d").constData(), (fixture.path() + "docs/hard").constData()) == 0);
        const QString exportFile = QString::fromLocal8Bit(fixture.path()) + "export.json";
        const QString folder = QString::fromLocal8Bit(fixture.path().chopped(1));
        QStringList arguments;
        for (const QString &argument : command.mid(1))
            arguments << QString(argument).replace("%1", exportFile).replace("%2", folder);
        QProcess peer;
        peer.start(command.first(), arguments);
        QVERIFY2(peer.waitForFinished(60000) && peer.exitCode() == 0, qPrintable(peer.readAllStandardError()));
        QFile file(exportFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const ImportedTree::Outcome outcome = ImportedTree::read(file);
        QVERIFY2(outcome.tree, outcome.error ? qPrintable(outcome.error->message()) : "no tree");
        QCOMPARE(outcome.tree->rootPath(), fixture.path());
        QVERIFY(QFile::remove(exportFile));

        ImportedFolderEnumerator imported(*outcome.tree);
        PosixFolderEnumerator here;
        // Records by path: gdu writes a folder's entries in an order of its own.
        QCOMPARE(serialized(scanRecords(imported, fixture.path(), 1)), serialized(scanRecords(here, fixture.path(), 1)));
    }

    void refusesWhatIsNotAnExport_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("faultAt"); // the fault is where this first stands; empty: at the end
        QTest::addColumn<QString>("expected");

        const QByteArray good = header + "[{\"name\":\"/t\"},[{\"name\":\"a\"},{\"name\":\"x\",\"asize\":1}]]]";
        QTest::newRow("empty file") << QByteArray() << QByteArray() << "「[」";
        QTest::newRow("truncated in a name") << good.left(good.size() - 12) << QByteArray() << "文字列の終わり";
        QTest::newRow("truncated in an object") << good.left(good.size() - 4) << QByteArray() << "「,」か「}」";
        QTest::newRow("truncated after an element") << good.chopped(2) << QByteArray() << "「,」か「]」";
        QTest::newRow("not JSON at all") << QByteArray("PK\x03\x04 zip") << QByteArray("PK") << "「[」";
        QTest::newRow("JSON, but another format") << QByteArray("{\"files\":[]}") << QByteArray("{") << "「[」";
        QTest::newRow("ncdu's binary export") << QByteArray("\xbfncduEX1") << QByteArray("\xbf") << "「[」";
        QTest::newRow("major version 2") << QByteArray("[2,0,{},[{\"name\":\"/v\"}]]") << QByteArray("2,0") << "メジャーバージョン 1";
        QTest::newRow("metadata not an object") << QByteArray("[1,2,[],[{\"name\":\"/v\"}]]") << QByteArray("[],") << "メタデータ";
        QTest::newRow("a missing comma") << header + "[{\"name\":\"/t\"}{\"name\":\"x\"}]]" << QByteArray("{\"name\":\"x\"") << "「,」か「]」";
        QTest::newRow("a bare value in a folder") << header + "[{\"name\":\"/t\"},42]]" << QByteArray("42") << "項目";
        QTest::newRow("an entry without a name") << header + "[{\"name\":\"/t\"},{\"asize\":1}]]" << QByteArray("{\"asize\"") << "名前";
        QTest::newRow("an empty name") << header + "[{\"name\":\"/t\"},{\"name\":\"\"}]]" << QByteArray("{\"name\":\"\"}") << "空でない名前";
        QTest::newRow("an empty root") << header + "[{\"name\":\"\"}]]" << QByteArray("{\"name\":\"\"}") << "根のフォルダのパス";
        QTest::newRow("a name holding /") << header + "[{\"name\":\"/t\"},{\"name\":\"a/b\"}]]" << QByteArray("{\"name\":\"a/b") << "「/」も NUL も";
        QTest::newRow("a name holding an escaped /") << header + "[{\"name\":\"/t\"},[{\"name\":\"..\\/..\"}]]]" << QByteArray("{\"name\":\"..") << "「/」も NUL も";
        QTest::newRow("a name holding NUL") << header + "[{\"name\":\"/t\"},{\"name\":\"a\\u0000b\"}]]" << QByteArray("{\"name\":\"a\\u") << "「/」も NUL も";
        QTest::newRow("a raw control character") << header + "[{\"name\":\"/t\"},{\"name\":\"a\tb\"}]]" << QByteArray("\tb") << "文字列の文字";
        QTest::newRow("a lone surrogate") << header + "[{\"name\":\"/t\"},{\"name\":\"\\ud800x\"}]]" << QByteArray("\\ud800") << "サロゲートの組";
        QTest::newRow("two folders of one name") << header + "[{\"name\":\"/t\"},[{\"name\":\"x\"}],[{\"name\":\"x\",\"asize\":1}]]]" << QByteArray("{\"name\":\"x\",\"asize\":1") << "重ならない名前";
        QTest::newRow("a name longer than 4,096 bytes") << header + "[{\"name\":\"/t\"},{\"name\":\"" + QByteArray(4097, 'n') + "\"}]]" << QByteArray("\"nnn") << "4096 バイト以下の名前";
        QTest::newRow("a name of 100 MB") << header + "[{\"name\":\"/t\"},[{\"name\":\"" + QByteArray(100 << 20, 'n') + "\"}]]]" << QByteArray("\"nnn") << "4096 バイト以下の名前";
        QTest::newRow("a root path longer than 65,536 bytes") << header + "[{\"name\":\"/" + QByteArray(65536, 'r') + "\"}]]" << QByteArray("\"/rr") << "65536 バイト以下の名前";
        QTest::newRow("metadata nested 1,025 deep") << QByteArray("[1,2,{\"x\":" + QByteArray(1024, '[') + "1" + QByteArray(1024, ']') + "},[{\"name\":\"/t\"}]]") << QByteArray("[1]") << "1024 段までの入れ子の値";
        QTest::newRow("cut inside true") << header + "[{\"name\":\"/t\"},{\"name\":\"x\",\"hlnkc\":tr" << QByteArray() << "true か false";
        QTest::newRow("cut inside null") << QByteArray("[1,2,{\"x\":nu") << QByteArray() << "値";
        QTest::newRow("a negative size") << header + "[{\"name\":\"/t\"},{\"name\":\"x\",\"asize\":-1}]]" << QByteArray("-1") << "0 以上の整数";
        QTest::newRow("a size of 2^63") << header + "[{\"name\":\"/t\"},{\"name\":\"x\",\"asize\":9223372036854775808}]]" << QByteArray("9223") << "2^63 未満";
        QTest::newRow("a size of 2^64 and more") << header + "[{\"name\":\"/t\"},{\"name\":\"x\",\"asize\":123456789012345678901234}]]" << QByteArray("1234") << "2^63 未満";
        QTest::newRow("a fractional size") << header + "[{\"name\":\"/t\"},{\"name\":\"x\",\"asize\":1.5}]]" << QByteArray("1.5") << "0 以上の整数";
        QTest::newRow("a size written as text") << header + "[{\"name\":\"/t\"},{\"name\":\"x\",\"asize\":\"12\"}]]" << QByteArray("\"12\"") << "0 以上の整数";
        QTest::newRow("something after the end") << good + "[]" << QByteArray("[]", 2) << "ファイルの終わり";
        // A folder's path names it: two folders of one folder may not share a name,
        // however it is written; the second is the fault.
        QTest::newRow("a folder's second folder of a name")
            << header + "[{\"name\":\"/t\"},[{\"name\":\"a\"}],[{\"name\":\"\\u0061\"}]]]" << QByteArray("{\"name\":\"\\u0061\"}")
            << "フォルダの中で重ならない名前";
        QTest::newRow("a folder's third folder named as its first")
            << header + "[{\"name\":\"/t\"},[{\"name\":\"a\"}],[{\"name\":\"b\"}],[{\"name\":\"\\u0061\"}]]]"
            << QByteArray("{\"name\":\"\\u0061\"}") << "フォルダの中で重ならない名前";
    }

    void refusesWhatIsNotAnExport()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, faultAt);
        QFETCH(QString, expected);
        const ImportedTree::Outcome outcome = importBytes(file);
        QVERIFY(!outcome.tree);
        QVERIFY(outcome.error);
        const NcduFormat::FormatError &error = *outcome.error;
        QVERIFY2(error.expected.contains(expected), qPrintable(error.message()));
        QVERIFY(error.message().contains(QString::number(error.offset)));
        // The same fault, told on the command line, in its language.
        const QString told = error.commandLineMessage(QStringLiteral("x.json"));
        QVERIFY2(!holdsJapanese(told) && told.contains(QString::number(error.offset)), qPrintable(told));
        // A file that ends early says so, wherever it ends.
        if (faultAt.isEmpty())
            QCOMPARE(error.found, QStringLiteral("ファイルの終わり"));
        const qsizetype searchFrom = file.startsWith(header) ? header.size() : 0;
        const qint64 at = faultAt.isEmpty() ? file.size() : file.indexOf(faultAt, searchFrom);
        QVERIFY(at >= 0);
        QCOMPARE(error.offset, at);
    }

    // A person counts to the fault as the message does: the bytes before it.
    void messagesCountTheBytesBeforeTheFault()
    {
        const ImportedTree::Outcome outcome = importBytes("{\"files\":[]}");
        QVERIFY(outcome.error);
        QCOMPARE(outcome.error->message(QStringLiteral("/tmp/a.json")),
                 QStringLiteral("エクスポートファイルを読めません: 「/tmp/a.json」の先頭から 0 バイトの位置に「[」が必要ですが、「{」があります。"));
        QCOMPARE(outcome.error->commandLineMessage(QStringLiteral("/tmp/a.json")),
                 QStringLiteral("/tmp/a.json: not an export: 0 bytes from the start, expected \"[\" but found \"{\""));
    }

    // 中止 while one folder's entries are read: the reading ends within the buffer it
    // was reading, not at the folder's end.
    void aStopEndsTheReadingInsideAFolder()
    {
        // The stop comes well after the folder began, some buffers into its entries.
        GeneratedFolder source(2000000, 10000);
        ScanControl control;
        ImportedTree::Outcome outcome;
        std::thread reading([&] { outcome = ImportedTree::read(source, &control); });
        source.paused.get_future().wait();
        control.requestCancel();
        const qint64 outAtTheStop = source.filesOut();
        source.goOn.set_value();
        reading.join();
        QVERIFY(outcome.cancelled);
        QVERIFY(!outcome.tree);
        // One buffer of the reader's holds fewer than 4,000 of these entries.
        QVERIFY2(source.filesOut() - outAtTheStop < 4000, qPrintable(QString::number(source.filesOut())));
    }

    // ncdu -o- /srv | gzip: read as it was before it was compressed.
    void readsAnExportCompressedWithGzip_data()
    {
        const QByteArray good = header + "[{\"name\":\"/z\"},{\"name\":\"x\",\"asize\":5},[{\"name\":\"a\"},{\"name\":\"y\",\"asize\":7}]]]";
        const QByteArray packed = gzipped(good);
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("fault"); // what the message says instead; empty: it is read
        QTest::newRow("compressed") << packed << QString();
        QTest::newRow("in two members, as cat a.gz b.gz") << gzipped(good.left(40)) + gzipped(good.mid(40)) << QString();
        QTest::newRow("cut short") << packed.chopped(12) << QStringLiteral("途中で切れた gzip のデータ");
        // Its check sum does not match what it holds.
        QByteArray damaged = packed;
        damaged[damaged.size() - 8] = char(damaged[damaged.size() - 8] ^ 0xff);
        QTest::newRow("damaged") << damaged << QStringLiteral("壊れた gzip のデータ");
        QTest::newRow("compressed, but no export") << gzipped("hello") << QStringLiteral("gzip を展開した内容の先頭から 0 バイトの位置に「[」");
    }

    void readsAnExportCompressedWithGzip()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, fault);
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        ImportJob job(buffer, "z.json.gz");
        job.run();
        QCOMPARE(job.completed(), fault.isEmpty());
        if (!fault.isEmpty()) {
            QVERIFY2(job.message(QStringLiteral("z.json.gz")).contains(fault), qPrintable(job.message(QStringLiteral("z.json.gz"))));
            QVERIFY(!holdsJapanese(job.commandLineMessage(QStringLiteral("z.json.gz"))));
            return;
        }
        const ImportedRoot root = job.takeRoot();
        QCOMPARE(describe(*root.tree), (QStringList{"/z/ 5 1", "/z/a/ 7 1"}));
        QCOMPARE(root.total, 12.0);
    }
};

ZK_TEST_GUILESS_MAIN(TestNcduImport)
#include "tst_ncdu_import.moc"
