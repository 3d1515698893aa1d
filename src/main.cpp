// Zorvik_Kavrona: shows where the disk space below a folder goes.
//
//   zorvik-kavrona                            the window
//   zorvik-kavrona FOLDER                     the window, FOLDER chosen as with "SELECT"
//   zorvik-kavrona --snapshot FILE.png FOLDER a PNG of the window with FOLDER's root
//                                             node opened and clicked; no window shown

#include "platform/folder_path.h"
#include "platform/posix_folder_enumerator.h"
#include "ui/application_setup.h"
#include "ui/main_window.h"
#include "ui/snapshot.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include <sys/stat.h>

namespace {

struct Options {
    QByteArray folder;
    QString snapshotFile;
};

void printUsage(const char *program)
{
    std::fprintf(stderr, "usage: %s [FOLDER]\n       %s --snapshot FILE.png FOLDER\n", program, program);
}

std::optional<Options> parseOptions(int argc, char *argv[])
{
    Options options;
    if (argc == 4 && QByteArray(argv[1]) == "--snapshot") {
        options.snapshotFile = QString::fromLocal8Bit(argv[2]);
        options.folder = argv[3];
    } else if (argc == 2 && !QByteArray(argv[1]).startsWith("--")) {
        options.folder = argv[1];
    } else if (argc != 1) {
        return std::nullopt;
    }
    return options;
}

// The folder named on the command line as an absolute folder path, or nothing with a
// message when it names no folder.
std::optional<QByteArray> folderPathOf(const QByteArray &argument)
{
    char *resolved = ::realpath(argument.constData(), nullptr);
    struct stat status;
    if (!resolved || ::stat(resolved, &status) != 0 || !S_ISDIR(status.st_mode)) {
        std::fprintf(stderr, "zorvik-kavrona: not a folder: %s\n", argument.constData());
        std::free(resolved);
        return std::nullopt;
    }
    QByteArray path(resolved);
    std::free(resolved);
    if (!path.endsWith(folderSeparator))
        path += folderSeparator;
    return path;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        printUsage(argv[0]);
        return 2;
    }
    std::optional<QByteArray> folder;
    if (!options->folder.isEmpty() && !(folder = folderPathOf(options->folder)))
        return 2;

    const bool snapshot = !options->snapshotFile.isEmpty();
    // A snapshot needs no display.
    if (snapshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    prepareApplication();
    PosixFolderEnumerator fileSystem;
    fMain window(fileSystem);

    if (snapshot) {
        // Inside the event loop, so that an error shown by the window ends it.
        QTimer::singleShot(0, &window, [&] {
            QString message;
            if (!writeSnapshot(window, *folder, options->snapshotFile, message)) {
                std::fprintf(stderr, "zorvik-kavrona: %s\n", qPrintable(message));
                QCoreApplication::exit(1);
                return;
            }
            QCoreApplication::exit(0);
        });
        return app.exec();
    }

    window.show();
    if (folder)
        QTimer::singleShot(0, &window, [&] { window.openRoot(*folder); });
    return app.exec();
}
