// Times opening a folder of 33,000 sub-folders in the folder tree, as a user would:
// the tree is on screen (offscreen here) and the node is expanded through the control.
// The last line is "subfolders=N scan_seconds=S expand_seconds=S".

#include "platform/posix_folder_enumerator.h"
#include "platform/qt_tree_view.h"
#include "populater/node_populater.h"

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

#include <sys/stat.h>

namespace {

constexpr int subFolderCount = 33000;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir fixture;
    const QByteArray root = QFile::encodeName(fixture.path()) + '/';
    const QByteArray big = root + "big/";
    ::mkdir(big.constData(), 0755);
    for (int i = 0; i < subFolderCount; ++i)
        ::mkdir((big + "folder" + QByteArray::number(i)).constData(), 0755);

    PosixFolderEnumerator fileSystem;
    QtTreeView tree;
    tree.resize(315, 259);
    tree.show();
    cNodePopulater populater(fileSystem);
    populater.setOTreeView(&tree);
    tree.setExpandHandler([&](TreeNode &node) { populater.ExpandNode(node); });

    auto start = std::chrono::steady_clock::now();
    populater.SetRoot(root);
    populater.PopulateNode(root);
    QApplication::processEvents();
    const double scanSeconds = secondsSince(start);

    start = std::chrono::steady_clock::now();
    tree.expandItem(QtTreeView::itemOf(tree.node(big)));
    QApplication::processEvents();
    tree.repaint();
    const double expandSeconds = secondsSince(start);

    std::printf("subfolders=%d scan_seconds=%.3f expand_seconds=%.3f\n", tree.node(big)->children(), scanSeconds, expandSeconds);
    return 0;
}
