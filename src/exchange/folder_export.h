#pragma once

#include <QByteArray>
#include <QString>

class FolderEnumerator;
class QIODevice;
class ScanControl;

// Writes the tree below a folder as an export, walking it once, depth first, each
// folder's files before its sub-folders as the format lists them; memory grows with
// the depth, not the size. A folder that cannot be listed is written with a read
// error. False, with the reason, when writing failed or a stop was asked for.
bool exportFolder(FolderEnumerator &fileSystem, const QByteArray &rootPath, QIODevice &out, ScanControl &control,
                  QString &error);

// zorvik-kavrona --export FILE FOLDER: the export to FILE, put in place only once it
// is whole ("-": standard output), with progress on standard error when that is a
// terminal. Returns the exit status.
int runExportCommand(const QByteArray &file, const QByteArray &rootPath);
