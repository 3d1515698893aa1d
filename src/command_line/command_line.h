#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the program is asked to do, read from its command line before any application
// object exists, so that --help, --version and a wrong command line need no display.
struct CommandLine {
    enum class Action { ShowWindow, WriteSnapshot, Export, PrintHelp, PrintVersion, Refuse };

    Action action = Action::ShowWindow;
    // The folder to open: an absolute folder path, as bytes.
    std::optional<QByteArray> folder;
    QString snapshotFile;
    // Export: where FOLDER's export goes ("-": standard output).
    QByteArray exportFile;
    // The export to open in place of a folder; "-" is standard input.
    std::optional<QByteArray> importFile;
    // The version text for stdout, or why the command line was refused, for stderr.
    QByteArray text;
    // -platform was given, so Qt is told where to show the window.
    bool platformChosen = false;
};

// What the program was built with: the window, or (for servers, without Qt Widgets)
// only what needs no window.
enum class ProgramBuild { WithWindow, CommandLineOnly };

// zorvik-kavrona [options] [FOLDER]: FOLDER a path or a file:// URL; the options are
// --help, --version, --export FILE and, with the window, --snapshot FILE.png, --import
// FILE and Qt's own (-platform, -style, ...), which stay in argv for the application
// object. Without the window, FOLDER is refused unless it is exported.
CommandLine parseCommandLine(int argc, char *argv[], ProgramBuild build);

// What --help prints. It names the program by its first argument, so it needs the
// QCoreApplication.
QByteArray helpText(ProgramBuild build);

// What a FOLDER argument (a path or a file:// URL) names: the folder as an absolute
// path ending in the separator; or, when it names none, the path it spells (empty for a
// URL of another machine) and the system's reason (0: it is no folder).
struct FolderArgument {
    std::optional<QByteArray> folder;
    QByteArray path;
    int systemError = 0;
};
FolderArgument folderOfArgument(const QByteArray &argument);
