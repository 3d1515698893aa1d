#include "ui/window_program.h"

#include "exchange/import_job.h"
#include "platform/posix_folder_enumerator.h"
#include "platform/program_identity.h"
#include "ui/application_setup.h"
#include "ui/import_source.h"
#include "ui/main_window.h"
#include "ui/scan_progress_dialog.h"
#include "ui/snapshot.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

constexpr char noDisplay[] = "zorvik-kavrona: no display to show the window on; use --snapshot FILE.png FOLDER "
                             "for a picture of it, or -platform offscreen\n";
constexpr char noPlatform[] = "zorvik-kavrona: Qt could not start a platform plugin to show the window with; use "
                              "--snapshot FILE.png FOLDER for a picture of it, or -platform offscreen\n";

bool displayNamed(const CommandLine &commandLine)
{
    return commandLine.platformChosen || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QtMessageHandler qtMessageHandler = nullptr;

// Qt ends with a fatal message when its platform plugin cannot start (a display that
// cannot be reached, a plugin that is not there): say so and exit rather than abort.
void exitWhenTheWindowCannotShow(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs(noPlatform, stderr);
        std::_Exit(1);
    }
    if (qtMessageHandler)
        qtMessageHandler(type, context, message);
}

// An export named on the command line is read before any window: a file that is no
// export is a wrong command line, told even when there is no display to show it on.
std::optional<int> readImport(const CommandLine &commandLine, std::optional<ImportedRoot> &imported)
{
    QFile file;
    const QByteArray &name = *commandLine.importFile;
    if (!openExport(file, name)) {
        std::fprintf(stderr, "zorvik-kavrona: cannot open %s: %s\n", name.constData(), qPrintable(file.errorString()));
        return 2;
    }
    if (name == "-" && ::isatty(STDIN_FILENO))
        std::fputs("zorvik-kavrona: reading an export from standard input (Ctrl-D ends it)\n", stderr);
    if (!displayNamed(commandLine)) {
        if (const std::optional<NcduFormat::FormatError> error = checkExportBeginning(file)) {
            std::fprintf(stderr, "zorvik-kavrona: %s\n", qPrintable(error->commandLineMessage(QFile::decodeName(name))));
            return 2;
        }
        std::fputs(noDisplay, stderr);
        return 1;
    }
    ImportJob job(file, name);
    job.run();
    if (!job.completed()) {
        std::fprintf(stderr, "zorvik-kavrona: %s\n", qPrintable(job.commandLineMessage(QFile::decodeName(name))));
        return job.ranOutOfMemory() ? 1 : 2;
    }
    imported = job.takeRoot();
    return std::nullopt;
}

} // namespace

int runWindowProgram(const CommandLine &commandLine, int argc, char *argv[])
{
    std::optional<ImportedRoot> imported;
    if (commandLine.action == CommandLine::Action::WriteSnapshot) {
        // A snapshot needs no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    } else if (commandLine.importFile) {
        if (const std::optional<int> status = readImport(commandLine, imported))
            return *status;
    } else if (!displayNamed(commandLine)) {
        std::fputs(noDisplay, stderr);
        return 1;
    }

    QCoreApplication::setApplicationVersion(QStringLiteral(ZK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZK_APP_ID));
    qtMessageHandler = qInstallMessageHandler(exitWhenTheWindowCannotShow);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessageHandler);
    prepareApplication();
    PosixFolderEnumerator fileSystem;
    fMain window(fileSystem);

    if (commandLine.action == CommandLine::Action::WriteSnapshot) {
        // A file that cannot be written is a wrong command line, told before any scan.
        if (QString message; !canWriteSnapshot(commandLine.snapshotFile, message)) {
            std::fprintf(stderr, "zorvik-kavrona: %s\n", qPrintable(message));
            return 2;
        }
        // Inside the event loop, so that an error shown by the window ends it.
        QTimer::singleShot(0, &window, [&] {
            QString message;
            if (!writeSnapshot(window, *commandLine.folder, commandLine.snapshotFile, message)) {
                std::fprintf(stderr, "zorvik-kavrona: %s\n", qPrintable(message));
                QCoreApplication::exit(1);
                return;
            }
            QCoreApplication::exit(0);
        });
        return app.exec();
    }

    window.show();
    if (commandLine.folder)
        QTimer::singleShot(0, &window, [&] { window.openRoot(*commandLine.folder); });
    if (imported) {
        const QString source = importSourceName(QFile::decodeName(*commandLine.importFile), true);
        QTimer::singleShot(0, &window, [&window, &imported, source] { window.openImported(std::move(*imported), source); });
    }
    const int status = app.exec();
    // A scan stopped inside a listing that never returned still holds its thread: the
    // program ends without waiting for it.
    if (ScanProgressDialog::abandonedJobs() > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
