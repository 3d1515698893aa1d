#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// What became of a request to show a folder in a file manager.
struct FolderOpening {
    QString handler; // the desktop id of the application started; empty when none was
    QString failure; // why the last application tried did not start; empty when none was found
    bool opened() const { return !handler.isEmpty(); }
};

// Starts the most preferred application for inode/directory on a local folder's URL
// (every byte of its path percent-encoded), passing over this program's own desktop
// ids and any entry that runs this program: it declares folders too, and would only
// open a copy of itself. An application that fails to start gives way to the next.
FolderOpening openInFileManager(const QUrl &folder, const QStringList &ownDesktopIds);
