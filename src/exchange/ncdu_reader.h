#pragma once

#include "exchange/ncdu_format.h"

#include <optional>

class QIODevice;

// Receives an export's entries in file order: a folder, then its entries, then its end.
// Every folder's name is unique among its siblings, holds no "/" and no NUL and is not
// empty; only the root's name is a path. A receiver may refuse an entry by throwing
// NcduFormat::FormatError at the offset it is given.
class NcduReceiver
{
public:
    virtual ~NcduReceiver() = default;
    virtual void beginFolder(const NcduFormat::Item &folder, qint64 offset) = 0;
    virtual void file(const NcduFormat::Item &file, qint64 offset) = 0;
    virtual void endFolder() = 0;
};

// Reads an export as a stream, a buffer at a time and without recursion, so neither the
// file's size nor its nesting is bounded by memory or the call stack. Returns the first
// fault, with nothing read after it; the receiver has then seen part of the file.
std::optional<NcduFormat::FormatError> readNcduExport(QIODevice &in, NcduReceiver &receiver);
