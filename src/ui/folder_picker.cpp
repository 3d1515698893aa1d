#include "ui/folder_picker.h"

#include "platform/folder_path.h"

#include <QFile>
#include <QFileDialog>

#include <utility>

namespace mBrowse {
namespace {

// Every folder this dialog offers is a file-system folder, whatever the flags ask.
QString showFileDialog(QWidget *owner, const QString &title, unsigned, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
}

// The folder the dialog opens on; kept from the last call that named one.
QByteArray sInitialFolder;
FolderDialog folderDialog = showFileDialog;

// The chosen folder as a folder path: empty stays empty, and a path that already ends
// in the separator (the root "/") keeps its one separator.
QByteArray PathFromChoice(const QString &chosen)
{
    const QByteArray path = QFile::encodeName(chosen);
    if (path.isEmpty() || path.endsWith(folderSeparator))
        return path;
    return path + folderSeparator;
}

} // namespace

QByteArray BrowseForFolder(QWidget *owner, const QString &title, unsigned flags, const QByteArray &folderToPreselect)
{
    if (!folderToPreselect.isEmpty())
        sInitialFolder = folderToPreselect;
    // A path for the file system, not for showing: decoded as it is.
    return PathFromChoice(folderDialog(owner, title, flags, QFile::decodeName(sInitialFolder)));
}

FolderDialog setFolderDialog(FolderDialog dialog)
{
    return std::exchange(folderDialog, std::move(dialog));
}

} // namespace mBrowse
