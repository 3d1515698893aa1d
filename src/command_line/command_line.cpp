#include "command_line/command_line.h"

#include "platform/folder_path.h"
#include "platform/program_identity.h"

#include <QCommandLineParser>
#include <QFile>
#include <QUrl>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

namespace {

const QByteArray programName = QByteArrayLiteral("zorvik-kavrona");

// The options QGuiApplication and QApplication take from argv: accepted here so that
// they keep working, and acted on by the application object.
struct QtOption {
    const char *name;
    const char *valueName; // nullptr for a switch
    const char *description; // nullptr: not listed in --help
};

constexpr QtOption qtOptions[] = {
    {"platform", "NAME", "Qt's platform plugin to show the window with: xcb, wayland, or offscreen for none."},
    {"style", "STYLE", "Qt's widget style, such as Fusion."},
    {"platformpluginpath", "PATH", nullptr},
    {"platformtheme", "THEME", nullptr},
    {"plugin", "PLUGIN", nullptr},
    {"qwindowgeometry", "GEOMETRY", nullptr},
    {"geometry", "GEOMETRY", nullptr},
    {"qwindowicon", "ICON", nullptr},
    {"icon", "ICON", nullptr},
    {"qwindowtitle", "TITLE", nullptr},
    {"title", "TITLE", nullptr},
    {"display", "DISPLAY", nullptr},
    {"name", "NAME", nullptr},
    {"session", "SESSION", nullptr},
    {"stylesheet", "FILE", nullptr},
    {"qmljsdebugger", "SETTINGS", nullptr},
    {"reverse", nullptr, nullptr},
    {"widgetcount", nullptr, nullptr},
    {"testability", nullptr, nullptr},
    {"nograb", nullptr, nullptr},
    {"dograb", nullptr, nullptr},
    {"sync", nullptr, nullptr},
};

// The parser sees each argument that is not an option as a placeholder holding its
// place in argv (no argument can contain a NUL), so FOLDER comes back as the bytes it
// was given, UTF-8 or not.
class PlaceholderArguments
{
public:
    PlaceholderArguments(int argc, char *argv[])
        : m_argv(argv)
    {
        bool optionsEnded = false;
        for (int index = 0; index < argc; ++index) {
            const QByteArray argument(argv[index]);
            const bool option = index > 0 && !optionsEnded && argument.startsWith('-') && argument != "-";
            if (option)
                m_arguments.append(QString::fromLocal8Bit(argument));
            else
                m_arguments.append(QChar(u'\0') + QString::number(index));
            optionsEnded = optionsEnded || (option && argument == "--");
        }
    }

    const QStringList &arguments() const { return m_arguments; }

    // What the parser returned for an argument, as the bytes the argument was given in.
    QByteArray bytes(const QString &parsed) const
    {
        if (parsed.startsWith(QChar(u'\0')))
            return QByteArray(m_argv[parsed.mid(1).toInt()]);
        return parsed.toLocal8Bit();
    }

private:
    char **m_argv;
    QStringList m_arguments;
};

CommandLine refused(ProgramBuild build, const QByteArray &message, bool withUsage)
{
    CommandLine commandLine;
    commandLine.action = CommandLine::Action::Refuse;
    commandLine.text = programName + ": " + message + '\n';
    if (withUsage) {
        const QByteArray usage = build == ProgramBuild::WithWindow ? " [options] [FOLDER]; " : " --export FILE FOLDER; ";
        commandLine.text += "usage: " + programName + usage + programName + " --help lists the options\n";
    }
    return commandLine;
}

void describeOptions(QCommandLineParser &parser, ProgramBuild build)
{
    const bool withWindow = build == ProgramBuild::WithWindow;
    // Qt's options are single-dash words (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(withWindow
        ? QStringLiteral("Shows where the disk space below a folder goes: a tree of folders with their totals,\n"
                         "a pie chart and a breakdown list.")
        : QStringLiteral("Adds up every file below a folder and writes the tree to a file in ncdu's JSON format,\n"
                         "for the window of a desktop build or ncdu to show. This build has no window."));
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Print this help and exit.")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Print the version and exit.")});
    QCommandLineOption snapshot(QStringLiteral("snapshot"),
                                QStringLiteral("Show no window: write a PNG of it, FOLDER's root opened and clicked, to FILE.png."),
                                QStringLiteral("FILE.png"));
    const QCommandLineOption export_(
        QStringLiteral("export"),
        withWindow ? QStringLiteral("Show no window: scan FOLDER and write it to FILE (\"-\": standard output) in ncdu's JSON format.")
                   : QStringLiteral("Scan FOLDER and write it to FILE (\"-\": standard output) in ncdu's JSON format."),
        QStringLiteral("FILE"));
    QCommandLineOption import(QStringLiteral("import"),
                              QStringLiteral("Open an export in ncdu's JSON format (\"-\": standard input) in place of a folder."),
                              QStringLiteral("FILE"));
    // Without the window they stay known, so that asking for them is told there is none.
    if (!withWindow) {
        snapshot.setFlags(QCommandLineOption::HiddenFromHelp);
        import.setFlags(QCommandLineOption::HiddenFromHelp);
    }
    parser.addOptions({snapshot, export_, import});
    if (!withWindow) {
        parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The folder to scan: a path or a file:// URL."));
        return;
    }
    for (const QtOption &qtOption : qtOptions) {
        QCommandLineOption option(QString::fromLatin1(qtOption.name));
        if (qtOption.valueName)
            option.setValueName(QString::fromLatin1(qtOption.valueName));
        if (qtOption.description)
            option.setDescription(QString::fromLatin1(qtOption.description));
        else
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The folder to open: a path or a file:// URL."),
                                 QStringLiteral("[FOLDER]"));
}

} // namespace

QByteArray helpText(ProgramBuild build)
{
    QCommandLineParser parser;
    describeOptions(parser, build);
    return parser.helpText().toLocal8Bit();
}

CommandLine parseCommandLine(int argc, char *argv[], ProgramBuild build)
{
    QCommandLineParser parser;
    describeOptions(parser, build);
    const PlaceholderArguments arguments(argc, argv);
    if (!parser.parse(arguments.arguments()))
        return refused(build, parser.errorText().toLocal8Bit(), true);

    CommandLine commandLine;
    if (parser.isSet(QStringLiteral("help"))) {
        commandLine.action = CommandLine::Action::PrintHelp;
        return commandLine;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        commandLine.action = CommandLine::Action::PrintVersion;
        commandLine.text = programName + ' ' + ZK_VERSION + '\n';
        return commandLine;
    }

    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return refused(build, "one FOLDER at most, not " + QByteArray::number(folders.size()), true);
    if (build == ProgramBuild::CommandLineOnly
        && (!parser.isSet(QStringLiteral("export")) || parser.isSet(QStringLiteral("snapshot")) || parser.isSet(QStringLiteral("import"))))
        return refused(build, "this build has no window; --export FILE FOLDER writes FOLDER's tree to FILE", true);
    if (parser.isSet(QStringLiteral("snapshot"))) {
        if (folders.isEmpty())
            return refused(build, "--snapshot FILE.png needs a FOLDER", true);
        commandLine.action = CommandLine::Action::WriteSnapshot;
        commandLine.snapshotFile = QFile::decodeName(arguments.bytes(parser.value(QStringLiteral("snapshot"))));
    }
    if (parser.isSet(QStringLiteral("export"))) {
        if (folders.isEmpty() || commandLine.action == CommandLine::Action::WriteSnapshot)
            return refused(build, "--export FILE needs a FOLDER, and no --snapshot", true);
        commandLine.action = CommandLine::Action::Export;
        commandLine.exportFile = arguments.bytes(parser.value(QStringLiteral("export")));
    }
    commandLine.platformChosen = parser.optionNames().contains(QStringLiteral("platform"));
    if (parser.isSet(QStringLiteral("import"))) {
        if (!folders.isEmpty() || commandLine.action == CommandLine::Action::WriteSnapshot)
            return refused(build, "--import FILE takes the place of FOLDER", true);
        commandLine.importFile = arguments.bytes(parser.value(QStringLiteral("import")));
    }
    if (!folders.isEmpty()) {
        const QByteArray argument = arguments.bytes(folders.first());
        const FolderArgument named = folderOfArgument(argument);
        if (!named.folder) {
            if (named.path.isEmpty())
                return refused(build, "not a local folder: " + argument, false);
            const QByteArray reason = named.systemError ? QByteArray(" (") + std::strerror(named.systemError) + ')' : QByteArray();
            return refused(build, "not a folder: " + named.path + reason, false);
        }
        commandLine.folder = named.folder;
    }
    return commandLine;
}

FolderArgument folderOfArgument(const QByteArray &argument)
{
    FolderArgument named;
    // A file:// URL, as file managers pass a folder, names the path its percent-encoding
    // spells byte for byte; a URL of another machine names none.
    if (argument.toLower().startsWith("file:/")) {
        const QUrl url = QUrl::fromEncoded(argument);
        if (!url.isValid() || !(url.host().isEmpty() || url.host() == QLatin1String("localhost")))
            return named;
        named.path = localPathOf(url);
    } else {
        named.path = argument;
    }
    struct stat status;
    if (::stat(named.path.constData(), &status) != 0) {
        named.systemError = errno;
        return named;
    }
    if (!S_ISDIR(status.st_mode))
        return named;
    char *resolved = ::realpath(named.path.constData(), nullptr);
    if (!resolved) {
        named.systemError = errno;
        return named;
    }
    QByteArray folder(resolved);
    std::free(resolved);
    if (!folder.endsWith(folderSeparator))
        folder += folderSeparator;
    named.folder = folder;
    return named;
}
