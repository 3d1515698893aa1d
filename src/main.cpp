// Zorvik_Kavrona: shows where the disk space below a folder goes.
//
//   zorvik-kavrona [options] [FOLDER]         the window, FOLDER (a path or a file://
//                                             URL) chosen as with "SELECT"
//   zorvik-kavrona --snapshot FILE.png FOLDER a PNG of the window with FOLDER's root
//                                             node opened and clicked; no window shown
//   zorvik-kavrona --export FILE FOLDER       FOLDER scanned and written to FILE in ncdu's
//                                             format; no window
//   zorvik-kavrona --import FILE              the window on an export in ncdu's format
//                                             ("-": standard input)
//   zorvik-kavrona --help | --version
//
// Built without the window (ZK_GUI off, for servers), it does only what needs none:
// --export, --help and --version.

#include "command_line/command_line.h"
#include "exchange/export_command.h"
#if ZK_GUI
#include "ui/window_program.h"
#endif

#include <QCoreApplication>

#include <cstdio>

namespace {

#if ZK_GUI
constexpr ProgramBuild build = ProgramBuild::WithWindow;
#else
constexpr ProgramBuild build = ProgramBuild::CommandLineOnly;
#endif

} // namespace

int main(int argc, char *argv[])
{
    const CommandLine commandLine = parseCommandLine(argc, argv, build);
    switch (commandLine.action) {
    case CommandLine::Action::PrintHelp: {
        const QCoreApplication app(argc, argv);
        std::fputs(helpText(build).constData(), stdout);
        return 0;
    }
    case CommandLine::Action::PrintVersion:
        std::fputs(commandLine.text.constData(), stdout);
        return 0;
    case CommandLine::Action::Export:
        // Headless: no application object, no display.
        return runExportCommand(commandLine.exportFile, *commandLine.folder);
    case CommandLine::Action::Refuse:
        std::fputs(commandLine.text.constData(), stderr);
        return 2;
    case CommandLine::Action::ShowWindow:
    case CommandLine::Action::WriteSnapshot:
        break;
    }
#if ZK_GUI
    return runWindowProgram(commandLine, argc, argv);
#else
    // The parser of a build without the window refuses what needs one.
    Q_UNREACHABLE();
    return 2;
#endif
}
