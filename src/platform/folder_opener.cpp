#include "platform/folder_opener.h"

#include "platform/detached_process.h"
#include "platform/folder_path.h"
#include "platform/mime_handlers.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

bool runsThisProgram(const DesktopEntry &entry)
{
    return QFileInfo(entry.program()).canonicalFilePath() == QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
}

} // namespace

FolderOpening openInFileManager(const QUrl &folder, const QStringList &ownDesktopIds)
{
    const QByteArray path = localPathOf(folder);
    FolderOpening opening;
    for (const DesktopEntry &entry : mimeHandlers(QStringLiteral("inode/directory"))) {
        if (ownDesktopIds.contains(entry.id()) || !entry.isRunnable() || runsThisProgram(entry))
            continue;
        const std::optional<QList<QByteArray>> command = entry.commandFor(path, folder);
        if (!command)
            continue;
        if (startDetached(entry.program(), *command, &opening.failure)) {
            opening.handler = entry.id();
            opening.failure.clear();
            return opening;
        }
    }
    return opening;
}
