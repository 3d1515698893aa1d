#include "exchange/ncdu_reader.h"

#include <QHash>
#include <QIODevice>
#include <QSet>

#include <limits>
#include <vector>

using NcduFormat::FormatError;
using NcduFormat::Item;

namespace {

QString quoted(char character)
{
    return QStringLiteral("「%1」").arg(QLatin1Char(character));
}

QString describe(int byte)
{
    if (byte < 0)
        return QStringLiteral("ファイルの終わり");
    if (byte > 0x20 && byte < 0x7f)
        return quoted(char(byte));
    return QStringLiteral("バイト 0x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

// The file a buffer at a time, with the offset of every byte.
class Input
{
public:
    explicit Input(QIODevice &device) : m_device(device), m_buffer(1 << 16, Qt::Uninitialized) {}

    int peek()
    {
        if (m_position == m_end && !refill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_position]);
    }

    int get()
    {
        const int byte = peek();
        if (byte >= 0)
            ++m_position;
        return byte;
    }

    qint64 offset() const { return m_base + m_position; }

    void skipSpace()
    {
        for (;;) {
            const int byte = peek();
            if (byte != ' ' && byte != '\n' && byte != '\r' && byte != '\t')
                return;
            ++m_position;
        }
    }

    // Appends the bytes up to the next one that needs a look of its own (a quote, a
    // backslash or a control character) and leaves that one unread.
    void takePlainRun(QByteArray &out)
    {
        for (;;) {
            if (m_position == m_end && !refill())
                return;
            qsizetype run = m_position;
            while (run < m_end) {
                const auto byte = static_cast<unsigned char>(m_buffer[run]);
                if (byte == '"' || byte == '\\' || byte < 0x20)
                    break;
                ++run;
            }
            out.append(m_buffer.constData() + m_position, run - m_position);
            const bool stopped = run < m_end;
            m_position = run;
            if (stopped)
                return;
        }
    }

private:
    bool refill()
    {
        m_base += m_end;
        m_position = 0;
        m_end = 0;
        const qint64 read = m_device.read(m_buffer.data(), m_buffer.size());
        if (read < 0)
            throw FormatError(m_base, QStringLiteral("読めるデータ"), QStringLiteral("読み込みエラー（%1）").arg(m_device.errorString()));
        m_end = read;
        return read > 0;
    }

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    qsizetype m_end = 0;
    qint64 m_base = 0;
};

class Reader
{
public:
    Reader(QIODevice &device, NcduReceiver &receiver) : m_in(device), m_receiver(receiver) {}

    void read()
    {
        expect('[');
        const qint64 majorAt = nextOffset();
        const quint64 major = readWholeNumber(QStringLiteral("バージョン番号"));
        if (major != NcduFormat::majorVersion)
            throw FormatError(majorAt, QStringLiteral("メジャーバージョン 1"), QStringLiteral("バージョン %1").arg(major));
        expect(',');
        const qint64 minorAt = nextOffset();
        // Minor versions only add fields, which a reader passes over.
        if (readWholeNumber(QStringLiteral("バージョン番号")) > 10000)
            throw FormatError(minorAt, QStringLiteral("10000 以下のマイナーバージョン"), QStringLiteral("それより大きな数"));
        expect(',');
        m_in.skipSpace();
        if (m_in.peek() != '{')
            throw FormatError(m_in.offset(), QStringLiteral("メタデータのオブジェクト（「{」）"), describe(m_in.peek()));
        skipValue();
        expect(',');
        readTree();
        expect(']');
        m_in.skipSpace();
        if (m_in.peek() >= 0)
            throw FormatError(m_in.offset(), QStringLiteral("ファイルの終わり"), describe(m_in.peek()));
    }

private:
    // The folder tree, one element at a time; the folders open around the current
    // element are only counted, never recursed into.
    void readTree()
    {
        expect('[');
        const qint64 rootAt = nextOffset();
        readItem();
        if (m_item.name.isEmpty() || m_item.name.contains('\0'))
            throw FormatError(rootAt, QStringLiteral("根のフォルダのパス"), QStringLiteral("空か NUL を含む名前"));
        m_receiver.beginFolder(m_item, rootAt);
        m_siblingNames.emplace_back();
        while (!m_siblingNames.empty()) {
            m_in.skipSpace();
            const qint64 at = m_in.offset();
            const int separator = m_in.get();
            if (separator == ']') {
                m_siblingNames.pop_back();
                m_receiver.endFolder();
                continue;
            }
            if (separator != ',')
                throw FormatError(at, QStringLiteral("「,」か「]」"), describe(separator));
            m_in.skipSpace();
            const qint64 entryAt = m_in.offset();
            const int opening = m_in.peek();
            if (opening == '{') {
                readItem();
                checkName(entryAt);
                m_receiver.file(m_item, entryAt);
            } else if (opening == '[') {
                m_in.get();
                const qint64 infoAt = nextOffset();
                readItem();
                checkName(infoAt);
                m_receiver.beginFolder(m_item, infoAt);
                m_siblingNames.emplace_back();
            } else {
                throw FormatError(entryAt, QStringLiteral("項目（「{」か「[」）"), describe(opening));
            }
        }
    }

    // A name of an entry is one file name: not empty, no "/" and no NUL, and no other
    // entry of the same folder has it.
    void checkName(qint64 at)
    {
        const QByteArray &name = m_item.name;
        if (name.isEmpty())
            throw FormatError(at, QStringLiteral("空でない名前"), QStringLiteral("空の名前"));
        if (name.contains('/') || name.contains('\0'))
            throw FormatError(at, QStringLiteral("「/」も NUL も含まない名前"), QStringLiteral("それを含む名前"));
        // Hashes, not names, so that a folder of a million files costs little to check.
        if (!insertNew(m_siblingNames.back(), qHash(name, size_t(0x5eed))))
            throw FormatError(at, QStringLiteral("フォルダの中で重ならない名前"), QStringLiteral("同じフォルダに二つ目の「%1」").arg(QString::fromUtf8(name)));
    }

    static bool insertNew(QSet<size_t> &names, size_t hash)
    {
        const qsizetype before = names.size();
        names.insert(hash);
        return names.size() != before;
    }

    // One info object into m_item.
    void readItem()
    {
        // The name's buffer is kept from one item to the next.
        QByteArray name = std::move(m_item.name);
        m_item = Item{};
        m_item.name = std::move(name);
        const qint64 objectAt = nextOffset();
        expect('{');
        bool named = false;
        m_in.skipSpace();
        if (m_in.peek() == '}') {
            m_in.get();
        } else {
            for (;;) {
                m_in.skipSpace();
                readString(m_key);
                expect(':');
                m_in.skipSpace();
                if (m_key == "name") {
                    readString(m_item.name);
                    named = true;
                } else if (m_key == "asize") {
                    m_item.asize = readSize();
                } else if (m_key == "dsize") {
                    m_item.dsize = readSize();
                } else if (m_key == "dev") {
                    m_item.dev = readSize();
                } else if (m_key == "ino") {
                    m_item.ino = readSize();
                } else if (m_key == "nlink") {
                    m_item.nlink = readSize();
                } else if (m_key == "hlnkc") {
                    m_item.hardLinked = readBool();
                } else if (m_key == "read_error") {
                    m_item.readError = readBool();
                } else if (m_key == "notreg") {
                    m_item.notRegular = readBool();
                } else if (m_key == "excluded") {
                    // A reason ("pattern", "otherfs", "kernfs", ...), or a Boolean in some writers.
                    m_item.excluded = m_in.peek() == 'f' ? readBool() : (skipValue(), true);
                } else {
                    skipValue();
                }
                m_in.skipSpace();
                const qint64 at = m_in.offset();
                const int next = m_in.get();
                if (next == '}')
                    break;
                if (next != ',')
                    throw FormatError(at, QStringLiteral("「,」か「}」"), describe(next));
            }
        }
        if (!named)
            throw FormatError(objectAt, QStringLiteral("名前（「name」）のある項目"), QStringLiteral("名前のない項目"));
    }

    void expect(char wanted)
    {
        m_in.skipSpace();
        const qint64 at = m_in.offset();
        const int byte = m_in.get();
        if (byte != wanted)
            throw FormatError(at, quoted(wanted), describe(byte));
    }

    qint64 nextOffset()
    {
        m_in.skipSpace();
        return m_in.offset();
    }

    // A JSON string as raw bytes: escapes are decoded, other bytes kept as they stand,
    // valid UTF-8 or not.
    void readString(QByteArray &out)
    {
        out.resize(0);
        expect('"');
        for (;;) {
            m_in.takePlainRun(out);
            const qint64 at = m_in.offset();
            const int byte = m_in.get();
            if (byte == '"')
                return;
            if (byte < 0)
                throw FormatError(at, QStringLiteral("文字列の終わり（「\"」）"), describe(byte));
            if (byte != '\\')
                throw FormatError(at, QStringLiteral("文字列の文字"), QStringLiteral("制御文字 ") + describe(byte));
            readEscape(out, at);
        }
    }

    void readEscape(QByteArray &out, qint64 at)
    {
        const int kind = m_in.get();
        switch (kind) {
        case '"': out.append('"'); return;
        case '\\': out.append('\\'); return;
        case '/': out.append('/'); return;
        case 'b': out.append('\b'); return;
        case 'f': out.append('\f'); return;
        case 'n': out.append('\n'); return;
        case 'r': out.append('\r'); return;
        case 't': out.append('\t'); return;
        case 'u': break;
        default: throw FormatError(at, QStringLiteral("エスケープ"), QStringLiteral("「\\」の後に") + describe(kind));
        }
        char32_t code = readHex4(at);
        if (code >= 0xd800 && code < 0xdc00) {
            if (m_in.get() != '\\' || m_in.get() != 'u')
                throw FormatError(at, QStringLiteral("サロゲートの組"), QStringLiteral("組になっていない \\u エスケープ"));
            const char32_t low = readHex4(at);
            if (low < 0xdc00 || low >= 0xe000)
                throw FormatError(at, QStringLiteral("サロゲートの組"), QStringLiteral("組になっていない \\u エスケープ"));
            code = 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00);
        } else if (code >= 0xdc00 && code < 0xe000) {
            throw FormatError(at, QStringLiteral("サロゲートの組"), QStringLiteral("組になっていない \\u エスケープ"));
        }
        out.append(QString::fromUcs4(&code, 1).toUtf8());
    }

    char32_t readHex4(qint64 at)
    {
        char32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = m_in.get();
            int value;
            if (digit >= '0' && digit <= '9')
                value = digit - '0';
            else if (digit >= 'a' && digit <= 'f')
                value = digit - 'a' + 10;
            else if (digit >= 'A' && digit <= 'F')
                value = digit - 'A' + 10;
            else
                throw FormatError(at, QStringLiteral("4 桁の 16 進数"), describe(digit));
            code = code * 16 + char32_t(value);
        }
        return code;
    }

    // Sizes and counts: whole numbers from 0 to 2^63 - 1.
    quint64 readSize() { return readWholeNumber(QStringLiteral("0 以上の整数")); }

    quint64 readWholeNumber(const QString &what)
    {
        m_in.skipSpace();
        const qint64 at = m_in.offset();
        if (m_in.peek() == '-')
            throw FormatError(at, what, QStringLiteral("負の数"));
        constexpr quint64 limit = quint64(std::numeric_limits<qint64>::max());
        quint64 value = 0;
        int digits = 0;
        for (int byte = m_in.peek(); byte >= '0' && byte <= '9'; byte = m_in.peek()) {
            m_in.get();
            const quint64 digit = quint64(byte - '0');
            if (value > (limit - digit) / 10)
                throw FormatError(at, what + QStringLiteral("（2^63 未満）"), QStringLiteral("それより大きな数"));
            value = value * 10 + digit;
            ++digits;
        }
        if (digits == 0)
            throw FormatError(at, what, describe(m_in.peek()));
        const int after = m_in.peek();
        if (after == '.' || after == 'e' || after == 'E')
            throw FormatError(at, what, QStringLiteral("小数"));
        return value;
    }

    bool readBool()
    {
        const qint64 at = nextOffset();
        const int first = m_in.peek();
        const char *word = first == 't' ? "true" : first == 'f' ? "false" : nullptr;
        if (!word)
            throw FormatError(at, QStringLiteral("true か false"), describe(first));
        for (const char *letter = word; *letter; ++letter) {
            if (m_in.get() != *letter)
                throw FormatError(at, QStringLiteral("true か false"), QStringLiteral("崩れた語"));
        }
        return first == 't';
    }

    // Any JSON value this reader has no use for, nested containers included, kept
    // track of with a stack of their closing brackets rather than by recursion.
    void skipValue()
    {
        std::vector<char> closers;
        for (;;) {
            m_in.skipSpace();
            const qint64 at = m_in.offset();
            const int byte = m_in.peek();
            bool opened = false;
            if (byte == '{' || byte == '[') {
                m_in.get();
                m_in.skipSpace();
                const char closer = byte == '{' ? '}' : ']';
                if (m_in.peek() == closer) {
                    m_in.get();
                } else {
                    closers.push_back(closer);
                    if (closer == '}') {
                        readString(m_key);
                        expect(':');
                    }
                    opened = true;
                }
            } else if (byte == '"') {
                readString(m_skipped);
            } else if (byte == '-' || (byte >= '0' && byte <= '9')) {
                skipNumber();
            } else if (byte == 't' || byte == 'f') {
                readBool();
            } else if (byte == 'n') {
                for (const char letter : {'n', 'u', 'l', 'l'}) {
                    if (m_in.get() != letter)
                        throw FormatError(at, QStringLiteral("値"), QStringLiteral("崩れた語"));
                }
            } else {
                throw FormatError(at, QStringLiteral("値"), describe(byte));
            }
            if (opened)
                continue;
            for (;;) {
                if (closers.empty())
                    return;
                m_in.skipSpace();
                const qint64 separatorAt = m_in.offset();
                const int separator = m_in.get();
                if (separator == closers.back()) {
                    closers.pop_back();
                    continue;
                }
                if (separator != ',')
                    throw FormatError(separatorAt, closers.back() == '}' ? QStringLiteral("「,」か「}」") : QStringLiteral("「,」か「]」"),
                                      describe(separator));
                if (closers.back() == '}') {
                    readString(m_key);
                    expect(':');
                }
                break;
            }
        }
    }

    void skipNumber()
    {
        const qint64 at = m_in.offset();
        int characters = 0;
        for (int byte = m_in.peek(); byte == '-' || byte == '+' || byte == '.' || byte == 'e' || byte == 'E' || (byte >= '0' && byte <= '9');
             byte = m_in.peek()) {
            m_in.get();
            ++characters;
        }
        if (characters == 0)
            throw FormatError(at, QStringLiteral("数"), describe(m_in.peek()));
    }

    Input m_in;
    NcduReceiver &m_receiver;
    Item m_item;
    QByteArray m_key;
    QByteArray m_skipped;
    // One set per open folder: the hashes of the names its entries have used so far.
    std::vector<QSet<size_t>> m_siblingNames;
};

} // namespace

std::optional<FormatError> readNcduExport(QIODevice &in, NcduReceiver &receiver)
{
    try {
        Reader(in, receiver).read();
    } catch (const FormatError &error) {
        return error;
    }
    return std::nullopt;
}
