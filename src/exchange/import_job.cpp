#include "exchange/import_job.h"

#include "exchange/gzip_device.h"
#include "exchange/ncdu_reader.h"
#include "scan/folder_scan_job.h"

#include <QFile>

#include <new>

#include <unistd.h>

namespace {

// An export as it is read: the device itself, or what it holds decompressed.
class ExportStream
{
public:
    explicit ExportStream(QIODevice &in)
    {
        if (GzipDevice::holdsGzip(in)) {
            m_inflated = std::make_unique<GzipDevice>(in);
            m_inflated->open(QIODevice::ReadOnly);
        }
        m_device = m_inflated ? m_inflated.get() : &in;
    }

    QIODevice &device() { return *m_device; }

    // A fault found in reading, told as a fault of the compressed data where it was one.
    NcduFormat::FormatError restated(NcduFormat::FormatError error) const
    {
        if (!m_inflated)
            return error;
        if (!m_inflated->fault().english.isEmpty())
            error = NcduFormat::FormatError(error.offset, {QStringLiteral("gzip の正しいデータ"), QStringLiteral("intact gzip data")},
                                            m_inflated->fault());
        error.decompressed = true;
        return error;
    }

private:
    std::unique_ptr<GzipDevice> m_inflated;
    QIODevice *m_device = nullptr;
};

// Stops the reading at the root folder, once the file has shown itself an export.
class BeginningReceiver final : public NcduReceiver
{
public:
    struct Seen {};
    bool beginFolder(const NcduFormat::Item &, qint64) override { throw Seen{}; }
    void file(const NcduFormat::Item &, qint64) override {}
    void endFolder() override {}
};

} // namespace

bool openExport(QFile &file, const QByteArray &name)
{
    // By its descriptor, not its stdio stream, so that a read returns what a pipe or a
    // terminal has given so far rather than waiting to fill the buffer.
    if (name == "-")
        return file.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered);
    file.setFileName(QFile::decodeName(name));
    return file.open(QIODevice::ReadOnly);
}

std::optional<NcduFormat::FormatError> checkExportBeginning(QIODevice &in)
{
    ExportStream stream(in);
    BeginningReceiver receiver;
    try {
        if (std::optional<NcduFormat::FormatError> error = readNcduExport(stream.device(), receiver))
            return stream.restated(std::move(*error));
    } catch (const BeginningReceiver::Seen &) {
    }
    return std::nullopt;
}

void ImportJob::run()
{
    try {
        read();
    } catch (const std::bad_alloc &) {
        // What was read so far is gone with the stack; the caller is as before.
        m_root.reset();
        m_error.reset();
        m_outOfMemory = true;
    }
}

void ImportJob::read()
{
    ExportStream stream(m_in);
    ImportedTree::Outcome outcome = ImportedTree::read(stream.device(), &m_control);
    if (outcome.error || !outcome.tree) {
        if (outcome.error)
            m_error = stream.restated(std::move(*outcome.error));
        return;
    }
    ImportedRoot root;
    root.tree = std::make_unique<ImportedTree>(std::move(*outcome.tree));
    root.enumerator = std::make_unique<ImportedFolderEnumerator>(*root.tree);
    // The tree is in memory: one thread adds it up faster than several would.
    FolderScanJob scan(*root.enumerator, root.rootPath(), 1);
    scan.run();
    if (m_control.cancelRequested())
        return;
    root.records = scan.takeRecords();
    root.total = scan.total();
    m_root = std::move(root);
}

QString ImportJob::message(const QString &source) const
{
    if (m_outOfMemory)
        return QStringLiteral("「%1」を読み込むためのメモリが足りません。").arg(source);
    return m_error ? m_error->message(source) : QString();
}

QString ImportJob::commandLineMessage(const QString &source) const
{
    if (m_outOfMemory)
        return QStringLiteral("%1: not enough memory to import it").arg(source);
    return m_error ? m_error->commandLineMessage(source) : QString();
}
