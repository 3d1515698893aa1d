// Measures the import of exports in ncdu's format:
//   bench/exchange_bench generate ENTRIES FILE   writes an export of ENTRIES entries, one
//                                                folder in ten, with the fields ncdu -o
//                                                writes (asize, dsize, ino)
//   bench/exchange_bench import FILE             imports FILE as --import does and prints
//                                                "folders=N bytes=N seconds=S peak_rss_kib=N"
// The generated tree is the same on every run: folders ten to a folder, as many levels
// deep as the entries need, nine files in each, sizes from a fixed pseudo-random
// sequence. What the levels do not fill, the last folders go without.

#include "exchange/import_job.h"

#include <QFile>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int subFoldersPerFolder = 10;
constexpr int filesPerFolder = 9;

class ExportGenerator
{
public:
    ExportGenerator(QFile &out, qint64 entries) : m_out(out), m_left(entries)
    {
        // Each folder and its files are ten entries.
        for (qint64 folders = 1, level = 1; folders * (filesPerFolder + 1) < entries; ++m_deepestLevel, level *= subFoldersPerFolder)
            folders += level * subFoldersPerFolder;
    }

    bool write()
    {
        m_text = "[1,2,{\"progname\":\"exchange_bench\",\"progver\":\"1\",\"timestamp\":1765000000},\n";
        folder("/srv/generated", 0);
        m_text += "]\n";
        flush();
        return m_out.error() == QFile::NoError;
    }

private:
    // Depth first, each folder's files before its sub-folders, as the format lists them.
    // The depth is bounded by the deepest level, so the recursion is too.
    void folder(const QByteArray &name, int level)
    {
        --m_left;
        m_text += "[{\"name\":\"" + name + "\",\"asize\":4096,\"dsize\":4096,\"ino\":" + QByteArray::number(++m_inode) + "}";
        for (int file = 0; file < filesPerFolder && m_left > 0; ++file, --m_left) {
            const std::uint64_t size = nextSize();
            m_text += ",\n{\"name\":\"file-" + QByteArray::number(file) + ".dat\",\"asize\":" + QByteArray::number(size)
                + ",\"dsize\":" + QByteArray::number((size + 4095) / 4096 * 4096) + ",\"ino\":" + QByteArray::number(++m_inode) + "}";
        }
        for (int sub = 0; sub < subFoldersPerFolder && level < m_deepestLevel && m_left > 0; ++sub) {
            m_text += ",\n";
            folder("folder-" + QByteArray::number(sub), level + 1);
        }
        m_text += "]";
        if (m_text.size() > (1 << 20))
            flush();
    }

    std::uint64_t nextSize()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        const std::uint64_t draw = m_state >> 33;
        return (draw % 100 < 90) ? draw % 65536 : draw % (64ULL << 20);
    }

    void flush()
    {
        m_out.write(m_text);
        m_text.clear();
    }

    QFile &m_out;
    qint64 m_left;
    int m_deepestLevel = 0;
    QByteArray m_text;
    std::uint64_t m_inode = 1000;
    std::uint64_t m_state = 42;
};

int usage(const char *program)
{
    std::fprintf(stderr, "usage: %s generate ENTRIES FILE | import FILE\n", program);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "generate" && argc == 4) {
        QFile out(QFile::decodeName(argv[3]));
        if (!out.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s: %s\n", argv[3], qPrintable(out.errorString()));
            return 1;
        }
        const qint64 entries = QByteArray(argv[2]).toLongLong();
        if (entries < 1)
            return usage(argv[0]);
        return ExportGenerator(out, entries).write() ? 0 : 1;
    }
    if (mode != "import" || argc != 3)
        return usage(argv[0]);

    QFile in;
    if (!openExport(in, argv[2])) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[2], qPrintable(in.errorString()));
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    ImportJob job(in, argv[2]);
    job.run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!job.completed()) {
        std::fprintf(stderr, "%s: %s\n", argv[2], job.error() ? job.error()->what() : "not read");
        return 1;
    }
    const ImportedRoot root = job.takeRoot();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("folders=%lld bytes=%.0f seconds=%.3f peak_rss_kib=%ld\n", static_cast<long long>(root.records.count()),
                root.total, seconds, usage.ru_maxrss);
    return 0;
}
