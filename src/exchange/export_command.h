#pragma once

#include <QByteArray>

// zorvik-kavrona --export FILE FOLDER: FOLDER scanned by the window's number of threads
// and written to FILE, put in place only once it is whole ("-": standard output), with
// progress on standard error when that is a terminal. Returns the exit status.
int runExportCommand(const QByteArray &file, const QByteArray &rootPath);
