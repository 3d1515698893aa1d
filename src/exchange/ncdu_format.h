#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <exception>

// The JSON export format that ncdu writes with -o and reads with -f, and that gdu and
// others share:
//
//   [1, minor, {metadata}, [ {root info}, {file}, [ {sub-folder info}, ... ], ... ]]
//
// A folder is an array whose first element describes the folder itself; a non-folder
// is an object. Names are the file system's raw bytes and need not be valid UTF-8.
namespace NcduFormat {

inline constexpr int majorVersion = 1;
inline constexpr int newestMinorVersion = 2;

// The longest entry name read. Linux allows 255 bytes, but exports come from other
// systems too: 255 UTF-16 units of NTFS or HFS+ take up to 765 bytes of UTF-8, and
// ReiserFS allows 4032.
inline constexpr qsizetype longestName = 4096;
// The longest path of the root folder read.
inline constexpr qsizetype longestRootPath = 65536;

// One entry as the export describes it; fields the file leaves out keep these values.
struct Item {
    QByteArray name;
    quint64 asize = 0; // apparent size: the length, what this program counts
    quint64 dsize = 0; // disk usage
    quint64 dev = 0;
    quint64 ino = 0;
    quint64 nlink = 0;
    bool hardLinked = false; // hlnkc: one of several names of the same file
    bool readError = false;  // a folder that could not be read (in full)
    bool excluded = false;   // left out of the scan: counts nothing
    bool notRegular = false; // notreg: neither a folder nor a regular file
};

// A phrase in both of the program's languages: the window speaks Japanese, the command
// line English.
struct Wording {
    QString japanese;
    QString english;
};

// Why a file is not a readable export: where, what the format wants there, and what
// stands there instead.
struct FormatError final : std::exception {
    FormatError(qint64 offset, Wording expected, Wording found);
    const char *what() const noexcept override { return m_what.constData(); }

    // For the window, naming the file when a source is given.
    QString message(const QString &source = QString()) const;
    // For the command line.
    QString commandLineMessage(const QString &source) const;

    // Bytes before the fault, counted from the start of the export as read (after
    // gzip's decompression, when decompressed).
    qint64 offset;
    QString expected; // in the window's language
    QString found;
    QString expectedInEnglish;
    QString foundInEnglish;
    bool decompressed = false;

private:
    QByteArray m_what;
};

} // namespace NcduFormat
