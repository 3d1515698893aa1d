#pragma once

#include "exchange/imported_folder_enumerator.h"
#include "exchange/imported_tree.h"
#include "scan/background_job.h"
#include "scan/size_cache.h"

#include <memory>
#include <optional>

class QFile;
class QIODevice;

// An export read and scanned: the tree, the enumerator that walks it, and the scan's
// records, ready to become the window's root.
struct ImportedRoot {
    std::unique_ptr<ImportedTree> tree;
    std::unique_ptr<ImportedFolderEnumerator> enumerator;
    SizeCache records{pathKeyComparison};
    double total = 0;

    const QByteArray &rootPath() const { return tree->rootPath(); }
};

// Opens an export for reading: a file by its name, or standard input for "-".
bool openExport(QFile &file, const QByteArray &name);

// Reads an export's beginning, to its root folder, from an open device: enough to tell
// a file that is no export at all. An export compressed with gzip is read as such.
std::optional<NcduFormat::FormatError> checkExportBeginning(QIODevice &in);

// Reads an export from an open device, compressed with gzip or not, and adds it up as
// the scan adds up a folder. Running out of memory ends it as a fault of the file
// does, with nothing kept.
class ImportJob final : public BackgroundJob
{
public:
    ImportJob(QIODevice &in, const QByteArray &subject) : m_in(in), m_subject(subject) {}

    void run() override;
    ScanControl &control() override { return m_control; }
    QByteArray subject() const override { return m_subject; }
    bool completed() const override { return m_root.has_value(); }

    // After run(): why the file is no export, if it is none.
    const std::optional<NcduFormat::FormatError> &error() const { return m_error; }
    bool ranOutOfMemory() const { return m_outOfMemory; }
    // Why it did not complete, naming the file as source, for the window and for the
    // command line; empty when it was stopped.
    QString message(const QString &source) const;
    QString commandLineMessage(const QString &source) const;

    ImportedRoot takeRoot() { return std::move(*m_root); }

private:
    void read();

    QIODevice &m_in;
    QByteArray m_subject;
    ScanControl m_control;
    std::optional<NcduFormat::FormatError> m_error;
    bool m_outOfMemory = false;
    std::optional<ImportedRoot> m_root;
};
