#pragma once

#include "exchange/ncdu_format.h"

#include <optional>

class QIODevice;

// Receives an export's entries in file order: a folder, then its entries, then its end.
// Every folder's name is unique among its sibling folders, holds no "/" and no NUL and
// is not empty; only the root's name is a path. A receiver may refuse an entry by
// throwing NcduFormat::FormatError at the offset it is given, or end the reading by
// throwing anything else, which passes through the reader.
class NcduReceiver
{
public:
    virtual ~NcduReceiver() = default;
    // False when the folder's entries are not wanted: the reader then passes over
    // everything below it, in memory that does not grow with it, and tells nothing of
    // it, not even the folder's end.
    virtual bool beginFolder(const NcduFormat::Item &folder, qint64 offset) = 0;
    virtual void file(const NcduFormat::Item &file, qint64 offset) = 0;
    virtual void endFolder() = 0;
    // Called each time the reader takes in more of the file, however long the folder
    // or the value it is in, so that a receiver may stop it there.
    virtual void checkpoint() {}
};

// Reads an export as a stream, a buffer at a time and without recursion, so neither the
// file's size nor its nesting is bounded by memory or the call stack. Names longer than
// NcduFormat::longestName are refused; values the format has no use for are passed over
// without being kept. Returns the first fault, with nothing read after it; the receiver
// has then seen part of the file.
std::optional<NcduFormat::FormatError> readNcduExport(QIODevice &in, NcduReceiver &receiver);
