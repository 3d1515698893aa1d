#pragma once

#include "platform/folder_enumerator.h"
#include "platform/program_identity.h"
#include "exchange/import_job.h"
#include "populater/node_populater.h"

#include <QImage>
#include <QSize>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QToolButton;
class QPushButton;
class BreakdownListWidget;
class ChartLinesWidget;
class ChartSurfaceWidget;
class FolderTreeWidget;

// The program's window: the chosen root folder, the "SELECT" button, the folder tree,
// the chart area, the breakdown list and a hidden list box, at fixed places in a window
// of 781 × 466 that can grow, but not shrink, from there. Its handlers are the program's only entry points; an error
// that reaches one is shown in a message box and ends the program.
class fMain final : public QWidget
{
    Q_OBJECT

public:
    explicit fMain(FolderEnumerator &fileSystem, QWidget *parent = nullptr);
    ~fMain() override;

    // Starts a tree on a folder path as a successful "SELECT" does.
    void openRoot(const QByteArray &folderPath);

    // Starts a tree on an export file ("-": standard input), read in the background; a
    // file that is no export is shown in a message box and changes nothing.
    void openImport(const QString &fileName);
    // Starts a tree on an export read already; the title names where it came from.
    void openImported(ImportedRoot &&root, const QString &source);

    cNodePopulater *oPopulater() const { return m_oPopulater.get(); }

    QLineEdit *const txtRootFolder;
    QPushButton *const cmdBrowse;
    FolderTreeWidget *const trvFolders;
    ChartSurfaceWidget *const picGraph;
    ChartLinesWidget *const List2;
    BreakdownListWidget *const lvwFolders;
    // Which folder the chart and the list show, above the chart, and the way up from it.
    QLabel *const lblGraphed;
    QToolButton *const cmdUp;

    static constexpr QSize defaultSize{781, 466};
    static inline const QString caption = QStringLiteral(ZK_DISPLAY_NAME " Ver " ZK_VERSION);
    static inline const QString pickerTitle = QStringLiteral("フォルダを選択してください。");
    static inline const QString openFolderText = QStringLiteral("フォルダを開く");
    static inline const QString copyPathText = QStringLiteral("パスをコピー");
    static inline const QString rescanText = QStringLiteral("再集計");
    static inline const QString importedTreeNote
        = QStringLiteral("書き出しファイルから読み込んだツリーです。その中のパスはこのコンピューターのフォルダとは限らないため、開いたり再集計したりできません。");

    // A folder as a file URL, every byte of its path kept (percent-encoded).
    static QUrl folderUrl(const QByteArray &folderPath);

    static inline const QString rootFolderName = QStringLiteral("ルートフォルダ");
    static inline const QString browseName = QStringLiteral("SELECT（フォルダを選択）");
    static inline const QString treeName = QStringLiteral("フォルダツリー");
    static inline const QString chartName = QStringLiteral("円グラフ");
    static inline const QString chartLinesName = QStringLiteral("円グラフの内訳行");
    static inline const QString breakdownName = QStringLiteral("内訳");
    static inline const QString graphedName = QStringLiteral("グラフのフォルダ");
    static inline const QString upText = QStringLiteral("上へ");

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void chooseRoot(const QByteArray &folderPath);
    void startTree(FolderEnumerator &source, const QByteArray &rootPath, SizeCache &&records, double total);
    void clearGraph();
    void redrawGraph();
    void showGraphedFolder();
    void goUp();
    void showFoldedRows();
    void offerRescanOfLostFolder(const QByteArray &folderPath);
    void cmdBrowse_Click();
    void txtRootFolder_Enter();
    void trvFolders_Expand(TreeNode &node);
    void trvFolders_NodeClick(TreeNode &node);

    // What a person does with a folder beyond the tree's own commands: a menu, the
    // desktop's file manager, the clipboard, a fresh scan, and going down or up.
    void showFolderMenu(const QByteArray &folderPath, const QPoint &globalPosition);
    void openFolder(const QByteArray &folderPath);
    void copyPath(const QByteArray &folderPath);
    void rescanFolder(const QByteArray &folderPath);
    void graphFolder(const QByteArray &folderPath);
    QByteArray folderForCommand() const;
    bool isSubFolderRow(const QByteArray &key) const;

    // Runs a handler; whatever escapes it is shown and ends the program.
    template <typename Handler>
    void runHandler(Handler &&handler);

    cNodePopulater &populater() const;

    FolderEnumerator &m_fileSystem;
    // The export the tree shows, when it shows one; its enumerator walks for the tree.
    std::optional<ImportedRoot> m_imported;
    std::unique_ptr<cNodePopulater> m_oPopulater;
    QImage m_background;
    // The folder the chart and the breakdown list show; empty before the first graph.
    QByteArray m_graphedFolder;
    QSize m_graphedSize; // the chart's size when it was drawn
    QTimer m_redrawTimer;
};
