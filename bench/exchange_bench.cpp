// Measures the import of exports in ncdu's format:
//   bench/exchange_bench generate ENTRIES FILE   writes an export of ENTRIES entries, one
//                                                folder in ten, with the fields ncdu -o
//                                                writes (asize, dsize, ino)
//   bench/exchange_bench hostile KIND COUNT FILE writes an export made to cost the reader
//                                                memory ("-": standard output):
//                                                excluded-levels, dot-levels (COUNT levels
//                                                inside an excluded or a dot-named folder),
//                                                ignored-string (a value of COUNT bytes
//                                                the reader has no use for), long-name (a
//                                                name of COUNT bytes), files-in-a-folder,
//                                                sibling-folders (COUNT of them in one folder)
//   bench/exchange_bench import FILE             imports FILE ("-": standard input) as
//                                                --import does and prints "folders=N
//                                                bytes=N seconds=S peak_rss_kib=N", or
//                                                "refused seconds=S peak_rss_kib=N" and why
// The generated tree is the same on every run: folders ten to a folder, as many levels
// deep as the entries need, nine files in each, sizes from a fixed pseudo-random
// sequence. What the levels do not fill, the last folders go without.

#include "exchange/import_job.h"

#include <QFile>

#include <algorithm>
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

// What makes each hostile export costly sits between its root and the root's end.
class HostileGenerator
{
public:
    HostileGenerator(QFile &out, const QByteArray &kind, qint64 count) : m_out(out), m_kind(kind), m_count(count) {}

    bool write()
    {
        const bool ignored = m_kind == "ignored-string";
        m_text = "[1,2,{\"progname\":\"exchange_bench\",\"progver\":\"1\"";
        if (ignored) {
            m_text += ",\"padding\":\"";
            repeat("x", m_count);
            m_text += "\"";
        }
        m_text += "},\n[{\"name\":\"/srv/hostile\"}";
        if (m_kind == "excluded-levels" || m_kind == "dot-levels") {
            m_text += m_kind == "dot-levels" ? ",[{\"name\":\".git\"}" : ",[{\"name\":\"mnt\",\"excluded\":\"otherfs\"}";
            repeat(",[{\"name\":\"d\"}", m_count);
            repeat("]", m_count + 1);
        } else if (m_kind == "long-name") {
            m_text += ",{\"name\":\"";
            repeat("n", m_count);
            m_text += "\"}";
        } else if (m_kind == "files-in-a-folder" || m_kind == "sibling-folders") {
            const bool folders = m_kind == "sibling-folders";
            for (qint64 entry = 0; entry < m_count; ++entry) {
                m_text += folders ? ",\n[{\"name\":\"d" : ",\n{\"name\":\"f";
                m_text += QByteArray::number(entry);
                m_text += folders ? "\"},{\"name\":\"x\",\"asize\":1}]" : "\",\"asize\":1}";
                flushIfFull();
            }
        } else if (!ignored) {
            return false;
        }
        m_text += "]]\n";
        flush();
        return m_out.error() == QFile::NoError;
    }

private:
    void repeat(const QByteArray &piece, qint64 times)
    {
        // A megabyte of pieces at a time, so that the writing keeps ahead of the reading.
        const qint64 perChunk = std::max<qint64>(1, (1 << 20) / piece.size());
        const QByteArray chunk = piece.repeated(perChunk);
        for (qint64 done = 0; done < times;) {
            if (times - done >= perChunk) {
                m_text += chunk;
                done += perChunk;
            } else {
                m_text += piece;
                ++done;
            }
            flushIfFull();
        }
    }

    void flushIfFull()
    {
        if (m_text.size() > (1 << 20))
            flush();
    }

    void flush()
    {
        m_out.write(m_text);
        m_text.clear();
    }

    QFile &m_out;
    QByteArray m_kind;
    qint64 m_count;
    QByteArray m_text;
};

int usage(const char *program)
{
    std::fprintf(stderr, "usage: %s generate ENTRIES FILE | hostile KIND COUNT FILE | import FILE\n", program);
    return 2;
}

bool openOutput(QFile &out, const char *name)
{
    const bool opened = QByteArrayView(name) == "-" ? out.open(stdout, QIODevice::WriteOnly) : (out.setFileName(QFile::decodeName(name)), out.open(QIODevice::WriteOnly));
    if (!opened)
        std::fprintf(stderr, "cannot write %s: %s\n", name, qPrintable(out.errorString()));
    return opened;
}

long peakKibibytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "hostile" && argc == 5) {
        QFile out;
        if (!openOutput(out, argv[4]))
            return 1;
        return HostileGenerator(out, argv[2], QByteArray(argv[3]).toLongLong()).write() ? 0 : usage(argv[0]);
    }
    if (mode == "generate" && argc == 4) {
        QFile out;
        if (!openOutput(out, argv[3]))
            return 1;
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
        // A refusal is an outcome too: what it cost is the figure.
        std::printf("refused seconds=%.3f peak_rss_kib=%ld\n", seconds, peakKibibytes());
        std::fprintf(stderr, "%s\n", qPrintable(job.commandLineMessage(QFile::decodeName(argv[2]))));
        return 0;
    }
    const ImportedRoot root = job.takeRoot();
    std::printf("folders=%lld bytes=%.0f seconds=%.3f peak_rss_kib=%ld\n", static_cast<long long>(root.records.count()),
                root.total, seconds, peakKibibytes());
    return 0;
}
