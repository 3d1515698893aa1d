#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

// The folder picker: asks the user for a folder and turns the choice into a folder
// path that ends in the separator, or empty text when nothing was chosen. It opens on
// the last non-empty folder it was asked to preselect.
namespace mBrowse {

// BIF_RETURNONLYFSDIRS: only file-system folders can be chosen.
inline constexpr unsigned onlyFileSystemFolders = 1;

// Shows the dialog: owner, title, flags, the folder to open on (empty: the dialog's
// own choice). Returns the chosen folder's path, or empty text when cancelled.
using FolderDialog = std::function<QString(QWidget *owner, const QString &title, unsigned flags, const QString &startFolder)>;

QByteArray BrowseForFolder(QWidget *owner, const QString &title, unsigned flags, const QByteArray &folderToPreselect);

// Replaces the dialog (tests answer it themselves); returns the one it replaces.
FolderDialog setFolderDialog(FolderDialog dialog);

} // namespace mBrowse
