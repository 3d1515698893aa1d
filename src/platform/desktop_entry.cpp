#include "platform/desktop_entry.h"

#include "platform/key_file.h"

#include <QFile>
#include <QStandardPaths>

namespace {

const QString mainGroup = QStringLiteral("Desktop Entry");

// By absolute path, or by name on $PATH; a relative path names nothing.
QString findProgram(const QString &program)
{
    if (program.isEmpty() || (program.contains(u'/') && !program.startsWith(u'/')))
        return {};
    return QStandardPaths::findExecutable(program);
}

bool isFileCode(QChar code)
{
    return code == u'f' || code == u'F' || code == u'u' || code == u'U';
}

// The Exec line split into arguments by its quoting rules, field codes left in place with
// their '%'; nothing for an unclosed quote.
std::optional<QStringList> splitExec(const QString &exec)
{
    // Double quotes as the desktop entry format has them, where a backslash keeps the
    // next '"', '`', '$' or '\'; single quotes and a bare backslash as the shell reads
    // them, since many installed entries use them.
    QStringList arguments;
    QString argument;
    bool inArgument = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                arguments << argument;
            argument.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == u'"') {
            for (++i; i < exec.size() && exec[i] != u'"'; ++i) {
                const bool escape = exec[i] == u'\\' && i + 1 < exec.size() && QStringView(u"\"`$\\").contains(exec[i + 1]);
                argument += exec[escape ? ++i : i];
            }
            if (i == exec.size())
                return std::nullopt;
        } else if (c == u'\'') {
            const qsizetype end = exec.indexOf(u'\'', i + 1);
            if (end < 0)
                return std::nullopt;
            argument += exec.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'\\' && i + 1 < exec.size()) {
            argument += exec[++i];
        } else {
            argument += c;
        }
    }
    if (inArgument)
        arguments << argument;
    return arguments;
}

} // namespace

DesktopEntry DesktopEntry::read(const QString &fileName, const QString &id)
{
    const KeyFile file = KeyFile::read(fileName);
    DesktopEntry entry;
    entry.m_id = id;
    entry.m_fileName = fileName;
    entry.m_deleted = !file.hasGroup(mainGroup) || file.boolean(mainGroup, QStringLiteral("Hidden"))
                      || file.string(mainGroup, QStringLiteral("Type")) != QLatin1String("Application");
    entry.m_exec = file.string(mainGroup, QStringLiteral("Exec"));
    entry.m_tryExec = file.string(mainGroup, QStringLiteral("TryExec"));
    entry.m_name = file.string(mainGroup, QStringLiteral("Name"));
    entry.m_icon = file.string(mainGroup, QStringLiteral("Icon"));
    entry.m_mimeTypes = file.list(mainGroup, QStringLiteral("MimeType"));
    return entry;
}

bool DesktopEntry::declaresMimeType(const QString &mimeType) const
{
    return m_mimeTypes.contains(mimeType, Qt::CaseInsensitive);
}

bool DesktopEntry::isRunnable() const
{
    return (m_tryExec.isEmpty() || !findProgram(m_tryExec).isEmpty()) && !program().isEmpty();
}

QString DesktopEntry::program() const
{
    const std::optional<QStringList> arguments = splitExec(m_exec);
    return arguments && !arguments->isEmpty() ? findProgram(arguments->first()) : QString();
}

std::optional<QList<QByteArray>> DesktopEntry::commandFor(const QByteArray &path, const QUrl &url) const
{
    const std::optional<QStringList> arguments = splitExec(m_exec);
    if (!arguments || arguments->isEmpty())
        return std::nullopt;
    QList<QByteArray> command;
    bool fileGiven = false;
    for (const QString &argument : *arguments) {
        // Alone in its argument, %i is two arguments or none.
        if (argument == QLatin1String("%i")) {
            if (!m_icon.isEmpty())
                command << "--icon" << m_icon.toUtf8();
            continue;
        }
        if (argument.size() == 2 && argument[0] == u'%' && !QStringView(u"%fFuUck").contains(argument[1]))
            continue;
        QByteArray expanded;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] != u'%') {
                // Text is UTF-8; only the path goes in as the bytes it is.
                const qsizetype next = argument.indexOf(u'%', i);
                const qsizetype end = next < 0 ? argument.size() : next;
                expanded += QStringView(argument).sliced(i, end - i).toUtf8();
                i = end - 1;
                continue;
            }
            if (++i == argument.size())
                break;
            const QChar code = argument[i];
            fileGiven = fileGiven || isFileCode(code);
            if (code == u'%')
                expanded += '%';
            else if (code == u'f' || code == u'F')
                expanded += path;
            else if (code == u'u' || code == u'U')
                expanded += url.toEncoded();
            else if (code == u'c')
                expanded += m_name.toUtf8();
            else if (code == u'k')
                expanded += QFile::encodeName(m_fileName);
            // Deprecated and unknown codes stand for nothing, and so does %i inside an argument.
        }
        command << expanded;
    }
    if (!fileGiven)
        command << path;
    return command;
}
