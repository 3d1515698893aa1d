#include "ui/main_window.h"

#include "command_line/command_line.h"
#include "controls/widgets/breakdown_list_widget.h"
#include "controls/widgets/chart_lines_widget.h"
#include "controls/widgets/chart_surface_widget.h"
#include "controls/widgets/folder_tree_widget.h"
#include "platform/folder_opener.h"
#include "platform/folder_path.h"
#include "platform/operation_error.h"
#include "platform/program_identity.h"
#include "platform/shell_quoting.h"
#include "scan/folder_scan_job.h"
#include "ui/app_icon.h"
#include "ui/background_pictures.h"
#include "ui/elided_text.h"
#include "ui/folder_picker.h"
#include "ui/fonts.h"
#include "ui/import_source.h"
#include "ui/scan_progress_dialog.h"

#include <QAccessibleWidget>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

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

// A plain widget reads as a filler to assistive technology; the program's window is a
// frame, named by its title.
QAccessibleInterface *accessibleWindow(const QString &className, QObject *object)
{
    if (className == QLatin1String("fMain") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

void describe(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

// The system's reason in the window's language, for the reasons a typed path meets.
QString systemErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("見つかりません");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスできません");
    case ENOTDIR:
        return QStringLiteral("途中にフォルダでないものがあります");
    case ELOOP:
        return QStringLiteral("シンボリックリンクが多すぎます");
    case ENAMETOOLONG:
        return QStringLiteral("パスが長すぎます");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

fMain::fMain(FolderEnumerator &fileSystem, QWidget *parent)
    : QWidget(parent)
    , txtRootFolder(place(new QLineEdit(this), 9, 10, 241, 17, 9.75))
    , cmdBrowse(place(new QPushButton(QStringLiteral("SELECT"), this), 260, 8, 66, 21, 9))
    , trvFolders(place(new FolderTreeWidget(this), 9, 40, 315, 259, 9))
    , picGraph(place(new ChartSurfaceWidget(this), 329, 42, 443, 414, 12))
    , List2(place(new ChartLinesWidget(this), 396, 12, 42, 14, 9))
    , lvwFolders(place(new BreakdownListWidget(this), 8, 308, 315, 148, 9))
    , lblGraphed(place(new QLabel(this), 333, 12, 383, 20, 9))
    , cmdUp(place(new QToolButton(this), 722, 10, 50, 24, 9))
    , m_fileSystem(fileSystem)
    , m_background(windowBackground(devicePixelRatioF()))
{
    static const bool accessible = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(accessible);
    setWindowTitle(caption);
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // The controls stand where they always stood at this size; a larger window gives the
    // tree and the list more height and the chart more room.
    setMinimumSize(defaultSize);
    resize(defaultSize);
    setFont(uiFont(8.25));
    setAcceptDrops(true);

    picGraph->setBackground([](qreal ratio, QSize covering) { return chartBackground(ratio, covering); });
    // A click on a slice gives the chart the keys, so that Backspace goes up after it.
    picGraph->setFocusPolicy(Qt::StrongFocus);
    List2->hide();

    lvwFolders->setColumnCount(3);
    lvwFolders->setHeaderLabels({QStringLiteral("フォルダ名"), QStringLiteral("容量"), QStringLiteral("割合")});
    for (const auto &[column, width] : {std::pair{0, 167}, std::pair{1, 67}, std::pair{2, 60}})
        lvwFolders->setColumnWidth(column, width);

    describe(txtRootFolder, rootFolderName, QStringLiteral("選択したフォルダのパス"));
    describe(cmdBrowse, browseName, QStringLiteral("調べるフォルダを選び、その下の容量を集計します"));
    describe(trvFolders, treeName, QStringLiteral("フォルダと容量。フォルダをクリックすると円グラフと内訳に表示します"));
    // The chart's description is its picture, summed up by the chart itself.
    picGraph->setAccessibleName(chartName);
    describe(List2, chartLinesName, QStringLiteral("円グラフの各部分と割合"));
    describe(lvwFolders, breakdownName, QStringLiteral("グラフに表示したフォルダの内訳: フォルダ名、容量、割合"));

    m_redrawTimer.setSingleShot(true);
    m_redrawTimer.setInterval(40);
    connect(&m_redrawTimer, &QTimer::timeout, this, [this] { runHandler([this] { redrawGraph(); }); });

    // Empty and hidden until a folder is graphed, so the window starts as it always did.
    lblGraphed->hide();
    lblGraphed->setAccessibleName(graphedName);
    cmdUp->setText(upText);
    cmdUp->setToolTip(QStringLiteral("上のフォルダのグラフを表示します（Backspace）"));
    describe(cmdUp, QStringLiteral("上のフォルダへ"), QStringLiteral("グラフに表示したフォルダの一つ上のフォルダを表示します"));
    cmdUp->hide();
    connect(cmdUp, &QToolButton::clicked, this, [this] { runHandler([this] { goUp(); }); });

    setTabOrder(txtRootFolder, cmdBrowse);
    setTabOrder(cmdBrowse, trvFolders);
    setTabOrder(trvFolders, picGraph);
    setTabOrder(picGraph, List2);
    setTabOrder(List2, lvwFolders);

    connect(cmdBrowse, &QPushButton::clicked, this, [this] { runHandler([this] { cmdBrowse_Click(); }); });
    connect(txtRootFolder, &QLineEdit::returnPressed, this, [this] { runHandler([this] { txtRootFolder_Enter(); }); });
    connect(trvFolders, &FolderTreeWidget::nodeMenuRequested, this, [this](TreeNode *node, const QPoint &place) {
        const QByteArray folder = node->key();
        runHandler([&] { showFolderMenu(folder, place); });
    });
    connect(lvwFolders, &BreakdownListWidget::rowMenuRequested, this, [this](const QByteArray &key, const QPoint &place) {
        if (isSubFolderRow(key))
            runHandler([&] { showFolderMenu(key, place); });
    });
    connect(lvwFolders, &BreakdownListWidget::rowActivated, this, [this](const QByteArray &key) {
        if (isSubFolderRow(key))
            runHandler([&] { graphFolder(key); });
    });
    connect(picGraph, &ChartSurfaceWidget::sliceActivated, this, [this](const QByteArray &key) {
        if (isSubFolderRow(key))
            runHandler([&] { graphFolder(key); });
        else if (key.isEmpty())
            runHandler([this] { showFoldedRows(); });
    });
    connect(picGraph, &ChartSurfaceWidget::backRequested, this, [this] { runHandler([this] { goUp(); }); });
    connect(lvwFolders, &BreakdownListWidget::backRequested, this, [this] { runHandler([this] { goUp(); }); });
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this, [this] {
        if (const QByteArray folder = folderForCommand(); !folder.isEmpty())
            runHandler([&] { copyPath(folder); });
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, [this] {
        if (const QByteArray folder = folderForCommand(); !folder.isEmpty())
            runHandler([&] { rescanFolder(folder); });
    });
    trvFolders->setExpandHandler([this](TreeNode &node) { runHandler([&] { trvFolders_Expand(node); }); });
    trvFolders->setNodeClickHandler([this](TreeNode &node) { runHandler([&] { trvFolders_NodeClick(node); }); });
}

fMain::~fMain() = default;

void fMain::openRoot(const QByteArray &folderPath)
{
    runHandler([&] { chooseRoot(folderPath); });
}

void fMain::chooseRoot(const QByteArray &folderPath)
{
    // The scan runs while the window keeps repainting; a stopped scan leaves the window
    // as it was before.
    const auto scan = std::make_shared<FolderScanJob>(m_fileSystem, folderPath);
    if (!ScanProgressDialog::run(this, scan))
        return;
    startTree(m_fileSystem, folderPath, scan->takeRecords(), scan->total());
    m_imported.reset();
    setWindowTitle(caption);
}

namespace {

// An import that holds the file it reads, so that a stopped import may outlive the wait
// for it.
class FileImportJob final : public BackgroundJob
{
public:
    explicit FileImportJob(const QByteArray &name) : m_name(name), m_import(m_file, name) {}

    bool open() { return openExport(m_file, m_name); }
    QString errorString() const { return m_file.errorString(); }
    ImportJob &import() { return m_import; }

    void run() override { m_import.run(); }
    ScanControl &control() override { return m_import.control(); }
    QByteArray subject() const override { return m_import.subject(); }
    bool completed() const override { return m_import.completed(); }

private:
    QByteArray m_name;
    QFile m_file;
    ImportJob m_import;
};

} // namespace

void fMain::openImport(const QString &fileName)
{
    runHandler([&] {
        const auto job = std::make_shared<FileImportJob>(QFile::encodeName(fileName));
        if (!job->open()) {
            QMessageBox::warning(this, caption, QStringLiteral("ファイルを開けません: %1（%2）").arg(fileName, job->errorString()));
            return;
        }
        if (!ScanProgressDialog::run(this, job)) {
            // A file that is no export, or more than the memory holds, changes nothing;
            // the person is told why, and of which file.
            if (const QString message = job->import().message(importSourceName(fileName, false)); !message.isEmpty())
                QMessageBox::warning(this, caption, message);
            return;
        }
        openImported(job->import().takeRoot(), importSourceName(fileName, true));
    });
}

void fMain::openImported(ImportedRoot &&root, const QString &source)
{
    runHandler([&] {
        // The tree of the last import goes only once the new one stands.
        std::optional<ImportedRoot> last = std::exchange(m_imported, std::move(root));
        startTree(*m_imported->enumerator, m_imported->rootPath(), std::move(m_imported->records), m_imported->total);
        setWindowTitle(caption + QStringLiteral(" - ") + source);
    });
}

void fMain::startTree(FolderEnumerator &source, const QByteArray &rootPath, SizeCache &&records, double total)
{
    txtRootFolder->setText(displayText(rootPath));
    // The populater of the last root goes now, with its size cache: nothing of it is
    // reused.
    m_oPopulater = std::make_unique<cNodePopulater>(source);
    m_oPopulater->setOTreeView(trvFolders);
    m_oPopulater->setBreakdownList(lvwFolders);
    m_oPopulater->setChartLines(List2);
    m_oPopulater->SetRootScanned(rootPath, std::move(records), total);
    m_oPopulater->PopulateNode(rootPath);
    // The chart and the list never go on showing a folder of the last root: they are
    // empty until a folder of the new one is clicked.
    clearGraph();
}

void fMain::clearGraph()
{
    m_graphedFolder.clear();
    lvwFolders->clearRows();
    List2->clear();
    picGraph->cls();
    showGraphedFolder();
}

void fMain::showGraphedFolder()
{
    lblGraphed->setVisible(!m_graphedFolder.isEmpty());
    const bool below = !m_graphedFolder.isEmpty() && m_oPopulater && m_graphedFolder != m_oPopulater->rootFolder();
    cmdUp->setVisible(below);
    if (m_graphedFolder.isEmpty())
        return;
    // The path shortened in the middle, where it is least telling, when it is long.
    const QString path = displayText(withoutClosingSeparator(m_graphedFolder));
    lblGraphed->setText(elidedInMiddle(lblGraphed->fontMetrics(), path, lblGraphed->width() - 8));
    lblGraphed->setToolTip(path);
    lblGraphed->setAccessibleDescription(path);
}

void fMain::showFoldedRows()
{
    // The folded slice's folders are rows of the list already: they are picked out there.
    for (const PieSlice &slice : picGraph->figure().slices) {
        if (slice.key.isEmpty() && !slice.foldedKeys.empty()) {
            lvwFolders->selectRows(slice.foldedKeys);
            lvwFolders->setFocus(Qt::OtherFocusReason);
        }
    }
}

void fMain::goUp()
{
    if (!m_graphedFolder.isEmpty() && m_oPopulater && m_graphedFolder != m_oPopulater->rootFolder())
        graphFolder(parentFolderPath(m_graphedFolder));
}

void fMain::cmdBrowse_Click()
{
    // The picker opens where the person is: the root on show, or the home folder before
    // any (and for an export, whose root is no folder here).
    const QByteArray startFolder = m_oPopulater && !m_imported ? m_oPopulater->rootFolder() : QFile::encodeName(QDir::homePath());
    const QByteArray chosen = mBrowse::BrowseForFolder(this, pickerTitle, mBrowse::onlyFileSystemFolders, startFolder);
    // Cancelled, or nothing with a path: everything stays as it was.
    if (chosen.isEmpty())
        return;
    chooseRoot(chosen);
}

void fMain::txtRootFolder_Enter()
{
    // A path typed as people type them: "~" is the home folder.
    QString typed = txtRootFolder->text().trimmed();
    if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
        typed.replace(0, 1, QDir::homePath());
    const FolderArgument named = folderOfArgument(QFile::encodeName(typed));
    if (named.folder) {
        chooseRoot(*named.folder);
        return;
    }
    // Told as the command line tells it, in the window's language; nothing changes.
    QString message;
    if (named.path.isEmpty())
        message = QStringLiteral("このコンピューターのフォルダではありません: ") + typed;
    else if (named.systemError)
        message = QStringLiteral("フォルダではありません: %1（%2）").arg(displayText(named.path), systemErrorText(named.systemError));
    else
        message = QStringLiteral("フォルダではありません: ") + displayText(named.path);
    QMessageBox::warning(this, caption, message);
}

void fMain::trvFolders_Expand(TreeNode &node)
{
    populater().ExpandNode(node);
}

void fMain::trvFolders_NodeClick(TreeNode &node)
{
    // A folder gone, or made unreadable, since the scan has no true breakdown to show.
    // An imported tree does not change.
    const QByteArray folder = node.key();
    if (!m_imported && !(populater().marksOf(folder) & unreadableMark) && !populater().isListable(folder)) {
        clearGraph();
        offerRescanOfLostFolder(folder);
        return;
    }
    // The children go into the tree before the node is graphed; the node stays open
    // or closed as it was.
    trvFolders_Expand(node);
    populater().GraphNode(node, picGraph, 0);
    m_graphedFolder = node.key();
    m_graphedSize = picGraph->size();
    showGraphedFolder();
}

void fMain::offerRescanOfLostFolder(const QByteArray &folderPath)
{
    QMessageBox box(QMessageBox::Warning, caption,
                    QStringLiteral("このフォルダは集計の後に削除されたか、読み取れなくなっています: ") + displayText(folderPath), QMessageBox::NoButton, this);
    const QAbstractButton *rescan = box.addButton(rescanText, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Close);
    box.exec();
    if (box.clickedButton() != rescan)
        return;
    // What still stands above the folder is counted again, and the tree shows what is
    // there now.
    QByteArray standing = parentFolderPath(folderPath);
    while (isAtOrBelow(standing, populater().rootFolder()) && standing != populater().rootFolder() && !populater().isListable(standing))
        standing = parentFolderPath(standing);
    if (!isAtOrBelow(standing, populater().rootFolder()))
        standing = populater().rootFolder();
    rescanFolder(standing);
    // The root itself may be gone: then there is nothing to graph.
    if (populater().isListable(standing))
        graphFolder(standing);
}

void fMain::showFolderMenu(const QByteArray &folderPath, const QPoint &globalPosition)
{
    QMenu menu(this);
    menu.setToolTipsVisible(true);
    QAction *open = menu.addAction(openFolderText);
    menu.addAction(copyPathText);
    const QAction *copy = menu.actions().constLast();
    menu.addSeparator();
    QAction *rescan = menu.addAction(rescanText);
    // An export's paths name folders of the machine it was made on, if any: they are
    // never opened or scanned here.
    if (m_imported) {
        for (QAction *local : {open, rescan}) {
            local->setEnabled(false);
            local->setToolTip(importedTreeNote);
        }
    }
    const QAction *chosen = menu.exec(globalPosition);
    if (chosen == open)
        openFolder(folderPath);
    else if (chosen == copy)
        copyPath(folderPath);
    else if (chosen == rescan)
        rescanFolder(folderPath);
}

QUrl fMain::folderUrl(const QByteArray &folderPath)
{
    return QUrl::fromEncoded("file://" + withoutClosingSeparator(folderPath).toPercentEncoding("/"), QUrl::StrictMode);
}

void fMain::openFolder(const QByteArray &folderPath)
{
    if (m_imported)
        return;
    // The desktop's associations decide what opens it, but never this program, which
    // opens folders too; when nothing else can, the person is told so and the program
    // goes on.
    const FolderOpening opening = openInFileManager(folderUrl(folderPath), {QStringLiteral(ZK_APP_ID ".desktop")});
    if (opening.opened())
        return;
    if (opening.failure.isEmpty())
        QMessageBox::information(this, caption, QStringLiteral("フォルダを開くプログラムが見つかりません: ") + displayText(folderPath));
    else
        QMessageBox::warning(this, caption, QStringLiteral("フォルダを開くプログラムを起動できません: %1（%2）").arg(displayText(folderPath), opening.failure));
}

void fMain::copyPath(const QByteArray &folderPath)
{
    const QByteArray path = withoutClosingSeparator(folderPath);
    const QUrl url = folderUrl(folderPath);
    const QString text = QString::fromUtf8(path);
    // A path that is not valid UTF-8 would be mangled as text: its URL keeps every byte.
    // One with characters shown as escapes would, pasted into a shell, hide them or act
    // on them: it goes quoted, as a shell reads back that one path.
    QString copied = QString::fromLatin1(url.toEncoded());
    if (text.toUtf8() == path)
        copied = holdsEscapedCharacters(text) ? shellQuoted(path) : text;
    auto *data = new QMimeData;
    data->setText(copied);
    data->setUrls({url});
    QGuiApplication::clipboard()->setMimeData(data);
}

void fMain::rescanFolder(const QByteArray &folderPath)
{
    if (m_imported) {
        QMessageBox::information(this, caption, importedTreeNote);
        return;
    }
    cNodePopulater &tree = populater();
    const auto scan = std::make_shared<FolderScanJob>(m_fileSystem, folderPath);
    if (!ScanProgressDialog::run(this, scan))
        return;
    tree.RescanFolder(folderPath, scan->takeRecords(), scan->total());
    // The graph on show is drawn again where the change reached it: the rescanned folder
    // or one below it (then, if it is gone, the rescanned folder), or one above it.
    if (m_graphedFolder.isEmpty())
        return;
    if (isAtOrBelow(m_graphedFolder, folderPath))
        graphFolder(trvFolders->node(m_graphedFolder) ? m_graphedFolder : folderPath);
    else if (isAtOrBelow(folderPath, m_graphedFolder))
        graphFolder(m_graphedFolder);
}

void fMain::graphFolder(const QByteArray &folderPath)
{
    TreeNode *node = trvFolders->node(folderPath);
    if (!node)
        return;
    QTreeWidgetItem *item = FolderTreeWidget::itemOf(node);
    for (QTreeWidgetItem *above = item->parent(); above; above = above->parent())
        trvFolders->expandItem(above);
    trvFolders->scrollToItem(item);
    trvFolders->clickNode(*node);
}

QByteArray fMain::folderForCommand() const
{
    if (lvwFolders->hasFocus() && isSubFolderRow(lvwFolders->currentKey()))
        return lvwFolders->currentKey();
    const TreeNode *selected = trvFolders->selectedItem();
    return selected ? selected->key() : QByteArray();
}

bool fMain::isSubFolderRow(const QByteArray &key) const
{
    // The row of the files lying directly in the graphed folder has that folder's key.
    return !key.isEmpty() && key != m_graphedFolder && trvFolders->node(key);
}

cNodePopulater &fMain::populater() const
{
    if (!m_oPopulater)
        throw OperationError("フォルダが選択されていません。");
    return *m_oPopulater;
}

template <typename Handler>
void fMain::runHandler(Handler &&handler)
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

bool fMain::event(QEvent *event)
{
    // On a screen of another pixel density the background is made anew at its ratio.
    if (event->type() == QEvent::ScreenChangeInternal) {
        m_background = windowBackground(devicePixelRatioF(), size());
        update();
    }
    return QWidget::event(event);
}

void fMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int wider = width() - defaultSize.width();
    const int taller = height() - defaultSize.height();
    // The tree and the list share the extra height; the chart takes the extra width and
    // height.
    const int treeShare = taller / 2;
    trvFolders->setGeometry(9, 40, 315, 259 + treeShare);
    lvwFolders->setGeometry(8, 308 + treeShare, 315, 148 + taller - treeShare);
    picGraph->setGeometry(329, 42, 443 + wider, 414 + taller);
    lblGraphed->setGeometry(333, 12, 383 + wider, 20);
    cmdUp->setGeometry(722 + wider, 10, 50, 24);
    showGraphedFolder();
    if (!QRectF(QPointF(), m_background.deviceIndependentSize()).contains(QRectF(rect())))
        m_background = windowBackground(devicePixelRatioF(), size());
    // The graph on show is drawn again at the chart's new size, once the resizing rests.
    if (!m_graphedFolder.isEmpty())
        m_redrawTimer.start();
}

void fMain::redrawGraph()
{
    TreeNode *node = trvFolders->node(m_graphedFolder);
    if (!node || trvFolders->selectedItem() != node || m_graphedSize == picGraph->size())
        return;
    populater().GraphNode(*node, picGraph, 0);
    m_graphedSize = picGraph->size();
}

void fMain::paintEvent(QPaintEvent *)
{
    QPainter(this).drawImage(0, 0, m_background);
}

namespace {

// The one local path a drag carries; empty when it carries none or several.
QByteArray droppedPath(const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    return urls.size() == 1 ? localPathOf(urls.first()) : QByteArray();
}

} // namespace

void fMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedPath(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void fMain::dropEvent(QDropEvent *event)
{
    QByteArray path = droppedPath(event->mimeData());
    struct stat status;
    if (path.isEmpty() || ::stat(path.constData(), &status) != 0)
        return;
    event->acceptProposedAction();
    // A dropped file is taken for an export.
    if (!S_ISDIR(status.st_mode)) {
        openImport(QFile::decodeName(path));
        return;
    }
    // A dropped folder is chosen as "SELECT" would choose it.
    if (!path.endsWith(folderSeparator))
        path += folderSeparator;
    runHandler([&] { chooseRoot(path); });
}

void fMain::closeEvent(QCloseEvent *event)
{
    // Closing the window during a scan ends the scan and the program, whatever a listing
    // is doing: the wait for the scan returns at once.
    if (ScanProgressDialog::cancelRunning())
        QCoreApplication::quit();
    m_oPopulater.reset();
    event->accept();
}
