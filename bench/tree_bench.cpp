// Times what a user waits for with a folder of 33,000 sub-folders, each holding one
// small file: the scan, opening the folder in the tree, and clicking it (its graph and
// breakdown list). The window is on screen (offscreen here) as in use.
// The last line is "subfolders=N scan_seconds=S expand_seconds=S graph_seconds=S".

#include "controls/widgets/folder_tree_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int subFolderCount = 33000;

double secondsOf(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    QApplication::processEvents();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();

    QTemporaryDir fixture;
    const QByteArray root = QFile::encodeName(fixture.path()) + '/';
    const QByteArray big = root + "big/";
    ::mkdir(big.constData(), 0755);
    for (int i = 0; i < subFolderCount; ++i) {
        const QByteArray folder = big + "folder" + QByteArray::number(i) + '/';
        ::mkdir(folder.constData(), 0755);
        const int fd = ::open((folder + "file").constData(), O_WRONLY | O_CREAT, 0644);
        if (fd < 0 || ::ftruncate(fd, 1 + i % 1000) != 0)
            return 1;
        ::close(fd);
    }

    PosixFolderEnumerator fileSystem;
    fMain window(fileSystem);
    window.show();
    QApplication::processEvents();
    FolderTreeWidget &tree = *window.trvFolders;

    const double scanSeconds = secondsOf([&] { window.openRoot(root); });
    tree.expandItem(FolderTreeWidget::itemOf(tree.node(root)));
    const double expandSeconds = secondsOf([&] { tree.expandItem(FolderTreeWidget::itemOf(tree.node(big))); });
    const double graphSeconds = secondsOf([&] { tree.clickNode(*tree.node(big)); });

    std::printf("subfolders=%d scan_seconds=%.3f expand_seconds=%.3f graph_seconds=%.3f\n", tree.node(big)->children(),
                scanSeconds, expandSeconds, graphSeconds);
    return 0;
}
