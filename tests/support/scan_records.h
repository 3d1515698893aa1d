#pragma once

#include "platform/folder_enumerator.h"
#include "scan/size_cache.h"

#include <QByteArray>
#include <QMap>
#include <QString>

using Records = QMap<QByteArray, QString>;

// Every record of the cache, keyed by the folder's path below root ("" for root itself).
Records recordsBelow(const SizeCache &cache, const QByteArray &root);

// One scan of root into cache: the single-threaded scan for one thread, else the
// parallel one.
void scanInto(FolderEnumerator &enumerator, SizeCache &cache, const QByteArray &root, int threads);

// The records of one scan of root: the single-threaded scan for one thread, else the
// parallel one.
Records scanRecords(FolderEnumerator &enumerator, const QByteArray &root, int threads);

// Records as lines "path=record", for comparing and for passing out of a child process.
QByteArray serialized(const Records &records);
