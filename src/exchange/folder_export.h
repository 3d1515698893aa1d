#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class FolderEnumerator;
class QIODevice;
class ScanControl;

// How an export walks: how many threads list folders, the writing one among them, and
// how much they may hold listed but not yet written before they wait for the writing.
struct ExportWalk {
    int threads = 1;
    qsizetype heldBytes = qsizetype(64) << 20;
};

// Writes the tree below a folder as an export, each folder once, depth first, each
// folder's files before its sub-folders as the format lists them; the same bytes
// whatever the threads. The writing thread follows the listing threads, which list
// ahead of it in the order it writes. A folder that cannot be listed is written with a
// read error. False, with the reason, when writing failed or a stop was asked for; the
// walk ends at the first failed write.
bool exportFolder(FolderEnumerator &fileSystem, const QByteArray &rootPath, QIODevice &out, ScanControl &control,
                  QString &error, ExportWalk walk = {});
