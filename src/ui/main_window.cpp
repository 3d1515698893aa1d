#include "ui/main_window.h"

#include "platform/folder_path.h"
#include "platform/operation_error.h"
#include "platform/qt_canvas.h"
#include "platform/qt_list_box.h"
#include "platform/qt_list_view.h"
#include "platform/qt_tree_view.h"
#include "populater/folder_scan_job.h"
#include "ui/app_icon.h"
#include "ui/background_pictures.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/scan_progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

namespace {

QFont uiFont(double points)
{
    QFont font(uiFontFamily);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

template <typename Control>
Control *place(Control *control, int left, int top, int width, int height, double fontPoints)
{
    control->setGeometry(left, top, width, height);
    control->setFont(uiFont(fontPoints));
    return control;
}

} // namespace

fMain::fMain(FolderEnumerator &fileSystem, QWidget *parent)
    : QWidget(parent)
    , txtRootFolder(place(new QLineEdit(this), 9, 10, 241, 17, 9.75))
    , cmdBrowse(place(new QPushButton(QStringLiteral("SELECT"), this), 260, 8, 66, 21, 9))
    , trvFolders(place(new QtTreeView(this), 9, 40, 315, 259, 9))
    , picGraph(place(new QtCanvas(this), 329, 42, 443, 414, 12))
    , List2(place(new QtListBox(this), 396, 12, 42, 14, 9))
    , lvwFolders(place(new QtListView(this), 8, 308, 315, 148, 9))
    , m_fileSystem(fileSystem)
    , m_background(windowBackground())
{
    setWindowTitle(caption);
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(781, 466);
    setFont(uiFont(8.25));

    picGraph->setBackground(chartBackground());
    picGraph->setFocusPolicy(Qt::TabFocus);
    List2->hide();

    lvwFolders->setColumnCount(3);
    lvwFolders->setHeaderLabels({QStringLiteral("フォルダ名"), QStringLiteral("容量"), QStringLiteral("割合")});
    for (const auto &[column, width] : {std::pair{0, 167}, std::pair{1, 67}, std::pair{2, 60}})
        lvwFolders->setColumnWidth(column, width);

    setTabOrder(txtRootFolder, cmdBrowse);
    setTabOrder(cmdBrowse, trvFolders);
    setTabOrder(trvFolders, picGraph);
    setTabOrder(picGraph, List2);
    setTabOrder(List2, lvwFolders);

    connect(cmdBrowse, &QPushButton::clicked, this, [this] { handle([this] { cmdBrowse_Click(); }); });
    trvFolders->setExpandHandler([this](TreeNode &node) { handle([&] { trvFolders_Expand(node); }); });
    trvFolders->setNodeClickHandler([this](TreeNode &node) { handle([&] { trvFolders_NodeClick(node); }); });
}

fMain::~fMain() = default;

void fMain::openRoot(const QByteArray &folderPath)
{
    handle([&] { chooseRoot(folderPath); });
}

void fMain::chooseRoot(const QByteArray &folderPath)
{
    // The scan runs while the window keeps repainting; a stopped scan leaves the window
    // as it was before.
    FolderScanJob scan(m_fileSystem, folderPath);
    if (!ScanProgressDialog::run(this, scan))
        return;
    txtRootFolder->setText(displayText(folderPath));
    // The populater of the last root goes now, with its size cache: nothing of it is
    // reused.
    m_oPopulater = std::make_unique<cNodePopulater>(m_fileSystem);
    m_oPopulater->setOTreeView(trvFolders);
    m_oPopulater->setBreakdownList(lvwFolders);
    m_oPopulater->setChartLines(List2);
    m_oPopulater->SetRootScanned(folderPath, scan.takeRecords(), scan.total());
    m_oPopulater->PopulateNode(folderPath);
}

void fMain::cmdBrowse_Click()
{
    const QByteArray programFolder = QFile::encodeName(QCoreApplication::applicationDirPath());
    const QByteArray chosen = mBrowse::BrowseForFolder(this, pickerTitle, mBrowse::onlyFileSystemFolders, programFolder);
    // Cancelled, or nothing with a path: everything stays as it was.
    if (chosen.isEmpty())
        return;
    chooseRoot(chosen);
}

void fMain::trvFolders_Expand(TreeNode &node)
{
    populater().ExpandNode(node);
}

void fMain::trvFolders_NodeClick(TreeNode &node)
{
    // The children go into the tree before the node is graphed; the node stays open
    // or closed as it was.
    trvFolders_Expand(node);
    populater().GraphNode(node, picGraph, 0);
}

cNodePopulater &fMain::populater() const
{
    if (!m_oPopulater)
        throw OperationError("フォルダが選択されていません。");
    return *m_oPopulater;
}

template <typename Handler>
void fMain::handle(Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        QMessageBox::critical(this, caption, QString::fromUtf8(error.what()));
        QCoreApplication::exit(1);
    } catch (...) {
        QMessageBox::critical(this, caption, QStringLiteral("予期しないエラーが発生しました。"));
        QCoreApplication::exit(1);
    }
}

void fMain::paintEvent(QPaintEvent *)
{
    QPainter(this).drawImage(0, 0, m_background);
}

void fMain::closeEvent(QCloseEvent *event)
{
    ScanProgressDialog::cancelRunning();
    m_oPopulater.reset();
    event->accept();
}
