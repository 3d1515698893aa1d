#pragma once

#include <QByteArray>
#include <QString>

class fMain;

// Whether a picture can be written to a file of that name: its suffix names an image
// format Qt writes here. False, with a message saying which it writes, when not.
bool canWriteSnapshot(const QString &path, QString &message);

// Opens a folder in the window as "SELECT" would, opens and clicks the root node, and
// writes a picture of the whole window in the format the file's suffix names. Returns
// false, with a message, when it could not.
bool writeSnapshot(fMain &window, const QByteArray &folderPath, const QString &imagePath, QString &message);
