#include "ui/folder_picker.h"
#include "support/test_main.h"

// The picker keeps the folder to open on for the life of the program, so these cases
// run in order, as one program's calls would.
class TestFolderPicker : public QObject
{
    Q_OBJECT

private:
    QString m_answer;
    QStringList m_startFolders;

private slots:
    void initTestCase()
    {
        mBrowse::setFolderDialog([this](QWidget *, const QString &title, unsigned flags, const QString &startFolder) {
            if (title != QStringLiteral("フォルダを選択してください。") || flags != mBrowse::onlyFileSystemFolders)
                return QStringLiteral("unexpected call");
            m_startFolders << startFolder;
            return m_answer;
        });
    }

    void theFirstCallWithoutAFolderOpensWhereTheDialogChooses()
    {
        m_answer = QStringLiteral("/srv/data");
        QCOMPARE(mBrowse::BrowseForFolder(nullptr, QStringLiteral("フォルダを選択してください。"), 1, {}), QByteArray("/srv/data/"));
        QCOMPARE(m_startFolders.last(), QString());
    }

    void aFolderToPreselectIsRemembered()
    {
        m_answer = QStringLiteral("/");
        // The root keeps its one separator.
        QCOMPARE(mBrowse::BrowseForFolder(nullptr, QStringLiteral("フォルダを選択してください。"), 1, "/usr/bin"), QByteArray("/"));
        QCOMPARE(m_startFolders.last(), QStringLiteral("/usr/bin"));

        m_answer = QStringLiteral("/home/user/");
        QCOMPARE(mBrowse::BrowseForFolder(nullptr, QStringLiteral("フォルダを選択してください。"), 1, {}), QByteArray("/home/user/"));
        QCOMPARE(m_startFolders.last(), QStringLiteral("/usr/bin"));
    }

    void cancellingGivesEmptyText()
    {
        m_answer.clear();
        QCOMPARE(mBrowse::BrowseForFolder(nullptr, QStringLiteral("フォルダを選択してください。"), 1, "/opt"), QByteArray());
        QCOMPARE(m_startFolders.last(), QStringLiteral("/opt"));
    }
};

ZK_TEST_MAIN(TestFolderPicker)
#include "tst_folder_picker.moc"
