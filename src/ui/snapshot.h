#pragma once

#include <QByteArray>
#include <QString>

class fMain;

// Opens a folder in the window as "SELECT" would, opens and clicks the root node, and
// writes a PNG of the whole window. Returns false, with a message, when it could not.
bool writeSnapshot(fMain &window, const QByteArray &folderPath, const QString &pngPath, QString &message);
