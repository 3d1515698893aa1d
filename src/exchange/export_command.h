#pragma once

#include <QByteArray>

// zorvik-kavrona --export FILE FOLDER: FOLDER scanned by the window's number of threads
// and written to FILE ("-": standard output) as ExportTarget opens it, with progress
// on standard error when that is a terminal. The scan stops at the first failed write;
// any failure, of a write, the flush, the close or memory, is said on standard error,
// naming the output, and exits with status 1. Returns the exit status.
int runExportCommand(const QByteArray &file, const QByteArray &rootPath);
