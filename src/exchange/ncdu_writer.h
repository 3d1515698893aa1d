#pragma once

#include "platform/folder_enumerator.h"

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

// Writes an export (minor version 2) as a stream, in the order a walk meets the
// entries: a folder, its entries, its end. Names go out as their raw bytes, as ncdu
// writes them; only what JSON cannot hold in a string is escaped.
class NcduWriter
{
public:
    NcduWriter(QIODevice &out, const QByteArray &programVersion, qint64 timestamp);

    // The first folder is the root and takes its path as its name.
    void beginFolder(QByteArrayView name, bool readError = false);
    // A file with its length and its disk usage; a file of more than one name with
    // its inode and number of names too, so that readers can count it once.
    void file(const ListedFile &file);
    void endFolder();

    // Closes the document after the root's end; false when anything failed to write.
    bool finish();
    // A write has failed: what follows would be lost, so the walk may stop.
    bool failed() const { return m_failed; }

private:
    void put(const char *text) { m_buffer.append(text); }
    void putName(QByteArrayView name);
    void putNumber(quint64 value);
    void flushIfFull();

    QIODevice &m_out;
    QByteArray m_buffer;
    int m_depth = 0;
    bool m_failed = false;
};
