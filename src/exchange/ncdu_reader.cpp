#include "exchange/ncdu_reader.h"

#include <QIODevice>
#include <QSet>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

using NcduFormat::FormatError;
using NcduFormat::Item;
using NcduFormat::Wording;

namespace {

Wording phrase(const char16_t *japanese, const char16_t *english)
{
    return {QString::fromUtf16(japanese), QString::fromUtf16(english)};
}

Wording quoted(char character)
{
    return {QStringLiteral("「%1」").arg(QLatin1Char(character)), QStringLiteral("\"%1\"").arg(QLatin1Char(character))};
}

Wording describe(int byte)
{
    if (byte < 0)
        return phrase(u"ファイルの終わり", u"the end of the file");
    if (byte > 0x20 && byte < 0x7f)
        return quoted(char(byte));
    const QString hex = QStringLiteral("0x%1").arg(byte, 2, 16, QLatin1Char('0'));
    return {QStringLiteral("バイト ") + hex, QStringLiteral("byte ") + hex};
}

Wording operator+(const Wording &a, const Wording &b)
{
    return {a.japanese + b.japanese, a.english + b.english};
}

// The deepest nesting of a value the reader passes over; it takes a byte a level.
constexpr int deepestSkippedValue = 1024;

// The file a buffer at a time, with the offset of every byte.
class Input
{
public:
    Input(QIODevice &device, NcduReceiver &receiver)
        : m_device(device)
        , m_receiver(receiver)
        , m_buffer(1 << 16, Qt::Uninitialized)
    {
    }

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

    // Passes over the bytes up to the next one that needs a look of its own (a quote, a
    // backslash or a control character), appending them to out while it is shorter
    // than limit, and leaves that one unread. Returns how many bytes it passed over.
    qint64 takePlainRun(QByteArray &out, qsizetype limit)
    {
        qint64 taken = 0;
        for (;;) {
            if (m_position == m_end && !refill())
                return taken;
            qsizetype run = m_position;
            while (run < m_end) {
                const auto byte = static_cast<unsigned char>(m_buffer[run]);
                if (byte == '"' || byte == '\\' || byte < 0x20)
                    break;
                ++run;
            }
            const qsizetype kept = std::min(run - m_position, std::max<qsizetype>(limit - out.size(), 0));
            out.append(m_buffer.constData() + m_position, kept);
            taken += run - m_position;
            const bool stopped = run < m_end;
            m_position = run;
            if (stopped)
                return taken;
        }
    }

private:
    bool refill()
    {
        m_receiver.checkpoint();
        m_base += m_end;
        m_position = 0;
        m_end = 0;
        const qint64 read = m_device.read(m_buffer.data(), m_buffer.size());
        if (read < 0) {
            const QString reason = m_device.errorString();
            throw FormatError(m_base, phrase(u"読めるデータ", u"data to read"),
                              {QStringLiteral("読み込みエラー（%1）").arg(reason), QStringLiteral("a read error (%1)").arg(reason)});
        }
        m_end = read;
        return read > 0;
    }

    QIODevice &m_device;
    NcduReceiver &m_receiver;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    qsizetype m_end = 0;
    qint64 m_base = 0;
};

class Reader
{
public:
    Reader(QIODevice &device, NcduReceiver &receiver) : m_in(device, receiver), m_receiver(receiver) {}

    void read()
    {
        expect('[');
        const qint64 majorAt = nextOffset();
        const quint64 major = readWholeNumber(phrase(u"バージョン番号", u"a version number"));
        if (major != NcduFormat::majorVersion)
            throw FormatError(majorAt, phrase(u"メジャーバージョン 1", u"major version 1"),
                              {QStringLiteral("バージョン %1").arg(major), QStringLiteral("version %1").arg(major)});
        expect(',');
        const qint64 minorAt = nextOffset();
        // Minor versions only add fields, which a reader passes over.
        if (readWholeNumber(phrase(u"バージョン番号", u"a version number")) > 10000)
            throw FormatError(minorAt, phrase(u"10000 以下のマイナーバージョン", u"a minor version of 10000 at most"),
                              phrase(u"それより大きな数", u"a larger number"));
        expect(',');
        m_in.skipSpace();
        if (m_in.peek() != '{')
            throw FormatError(m_in.offset(), phrase(u"メタデータのオブジェクト（「{」）", u"the metadata object (\"{\")"), describe(m_in.peek()));
        skipValue();
        expect(',');
        readTree();
        expect(']');
        m_in.skipSpace();
        if (m_in.peek() >= 0)
            throw FormatError(m_in.offset(), phrase(u"ファイルの終わり", u"the end of the file"), describe(m_in.peek()));
    }

private:
    // The folder tree, one element at a time; the folders open around the current
    // element are only counted, never recursed into.
    void readTree()
    {
        expect('[');
        const qint64 rootAt = nextOffset();
        readItem(NcduFormat::longestRootPath);
        if (m_item.name.isEmpty() || m_item.name.contains('\0'))
            throw FormatError(rootAt, phrase(u"根のフォルダのパス", u"the root folder's path"),
                              phrase(u"空か NUL を含む名前", u"a name that is empty or holds NUL"));
        enter(rootAt);
        while (!m_folderNames.empty() || m_passedOverDepth > 0) {
            m_in.skipSpace();
            const qint64 at = m_in.offset();
            const int separator = m_in.get();
            if (separator == ']') {
                if (m_passedOverDepth > 0) {
                    --m_passedOverDepth;
                } else {
                    m_folderNames.pop_back();
                    m_receiver.endFolder();
                }
                continue;
            }
            if (separator != ',')
                throw FormatError(at, phrase(u"「,」か「]」", u"\",\" or \"]\""), describe(separator));
            m_in.skipSpace();
            const qint64 entryAt = m_in.offset();
            const int opening = m_in.peek();
            if (opening == '{') {
                readItem(NcduFormat::longestName);
                checkName(entryAt);
                if (m_passedOverDepth == 0)
                    m_receiver.file(m_item, entryAt);
            } else if (opening == '[') {
                m_in.get();
                const qint64 infoAt = nextOffset();
                readItem(NcduFormat::longestName);
                checkName(infoAt);
                if (m_passedOverDepth > 0) {
                    ++m_passedOverDepth;
                    continue;
                }
                checkFolderName(infoAt);
                enter(infoAt);
            } else {
                throw FormatError(entryAt, phrase(u"項目（「{」か「[」）", u"an entry (\"{\" or \"[\")"), describe(opening));
            }
        }
    }

    void enter(qint64 infoAt)
    {
        if (m_receiver.beginFolder(m_item, infoAt))
            m_folderNames.emplace_back();
        else
            m_passedOverDepth = 1;
    }

    // A name of an entry is one file name: not empty, no "/" and no NUL.
    void checkName(qint64 at)
    {
        const QByteArray &name = m_item.name;
        if (name.isEmpty())
            throw FormatError(at, phrase(u"空でない名前", u"a name that is not empty"), phrase(u"空の名前", u"an empty name"));
        if (name.contains('/') || name.contains('\0'))
            throw FormatError(at, phrase(u"「/」も NUL も含まない名前", u"a name without \"/\" and NUL"),
                              phrase(u"それを含む名前", u"a name holding one"));
    }

    // No other folder of the same folder has the name, since a folder's path names it.
    // A file's name is not checked: files are only added up, so a second one counts as
    // a second name of a hard link does, and checking it would cost memory per file.
    void checkFolderName(qint64 at)
    {
        // Hashes, not names, so that a folder of a million folders costs little to check;
        // a set only from the second folder on, so that a chain of folders, one in each,
        // costs none at any depth.
        FolderNames &names = m_folderNames.back();
        const size_t name = qHash(m_item.name, size_t(0x5eed));
        if (!names.first) {
            names.first = name;
            return;
        }
        if (names.others.isEmpty())
            names.others.insert(*names.first);
        const qsizetype before = names.others.size();
        names.others.insert(name);
        if (names.others.size() == before) {
            const QString name = QString::fromUtf8(m_item.name);
            throw FormatError(at, phrase(u"フォルダの中で重ならない名前", u"a name no other folder of the folder has"),
                              {QStringLiteral("同じフォルダに二つ目の「%1」").arg(name), QStringLiteral("a second \"%1\" in the same folder").arg(name)});
        }
    }

    // One info object into m_item, its name at most nameLimit bytes long.
    void readItem(qsizetype nameLimit)
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
                readKey();
                expect(':');
                m_in.skipSpace();
                if (m_key == "name") {
                    const qint64 nameAt = m_in.offset();
                    const qint64 length = readString(m_item.name, nameLimit);
                    if (length > nameLimit)
                        throw FormatError(nameAt,
                                          {QStringLiteral("%1 バイト以下の名前").arg(nameLimit), QStringLiteral("a name of %1 bytes at most").arg(nameLimit)},
                                          {QStringLiteral("%1 バイトの名前").arg(length), QStringLiteral("a name of %1 bytes").arg(length)});
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
                    throw FormatError(at, phrase(u"「,」か「}」", u"\",\" or \"}\""), describe(next));
            }
        }
        if (!named)
            throw FormatError(objectAt, phrase(u"名前（「name」）のある項目", u"an entry with a name (\"name\")"),
                              phrase(u"名前のない項目", u"an entry without one"));
    }

    // A key into m_key; one longer than any the reader knows comes out empty, which
    // names no field.
    void readKey()
    {
        constexpr qsizetype longestKey = 16;
        if (readString(m_key, longestKey) > longestKey)
            m_key.clear();
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
    // valid UTF-8 or not. Only the first limit bytes are kept; returns the length of
    // the whole string.
    qint64 readString(QByteArray &out, qsizetype limit)
    {
        out.resize(0);
        expect('"');
        qint64 length = 0;
        for (;;) {
            length += m_in.takePlainRun(out, limit);
            const qint64 at = m_in.offset();
            const int byte = m_in.get();
            if (byte == '"')
                return length;
            if (byte < 0)
                throw FormatError(at, phrase(u"文字列の終わり（「\"」）", u"the string's closing quote"), describe(byte));
            if (byte != '\\')
                throw FormatError(at, phrase(u"文字列の文字", u"a character of a string"), phrase(u"制御文字 ", u"the control character ") + describe(byte));
            const QByteArray decoded = readEscape(at);
            length += decoded.size();
            out.append(decoded.first(std::min(decoded.size(), std::max<qsizetype>(limit - out.size(), 0))));
        }
    }

    QByteArray readEscape(qint64 at)
    {
        const int kind = m_in.get();
        switch (kind) {
        case '"': return QByteArrayLiteral("\"");
        case '\\': return QByteArrayLiteral("\\");
        case '/': return QByteArrayLiteral("/");
        case 'b': return QByteArrayLiteral("\b");
        case 'f': return QByteArrayLiteral("\f");
        case 'n': return QByteArrayLiteral("\n");
        case 'r': return QByteArrayLiteral("\r");
        case 't': return QByteArrayLiteral("\t");
        case 'u': break;
        default: throw FormatError(at, phrase(u"エスケープ", u"an escape"), phrase(u"「\\」の後に", u"after \"\\\" ") + describe(kind));
        }
        char32_t code = readHex4(at);
        if (code >= 0xd800 && code < 0xdc00) {
            if (m_in.get() != '\\' || m_in.get() != 'u')
                throw unpairedSurrogate(at);
            const char32_t low = readHex4(at);
            if (low < 0xdc00 || low >= 0xe000)
                throw unpairedSurrogate(at);
            code = 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00);
        } else if (code >= 0xdc00 && code < 0xe000) {
            throw unpairedSurrogate(at);
        }
        return QString::fromUcs4(&code, 1).toUtf8();
    }

    static FormatError unpairedSurrogate(qint64 at)
    {
        return FormatError(at, phrase(u"サロゲートの組", u"a surrogate pair"), phrase(u"組になっていない \\u エスケープ", u"a \\u escape without its pair"));
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
                throw FormatError(at, phrase(u"4 桁の 16 進数", u"four hexadecimal digits"), describe(digit));
            code = code * 16 + char32_t(value);
        }
        return code;
    }

    // Sizes and counts: whole numbers from 0 to 2^63 - 1.
    quint64 readSize() { return readWholeNumber(phrase(u"0 以上の整数", u"a whole number of 0 or more")); }

    quint64 readWholeNumber(const Wording &what)
    {
        m_in.skipSpace();
        const qint64 at = m_in.offset();
        if (m_in.peek() == '-')
            throw FormatError(at, what, phrase(u"負の数", u"a negative number"));
        constexpr quint64 limit = quint64(std::numeric_limits<qint64>::max());
        quint64 value = 0;
        int digits = 0;
        for (int byte = m_in.peek(); byte >= '0' && byte <= '9'; byte = m_in.peek()) {
            m_in.get();
            const quint64 digit = quint64(byte - '0');
            if (value > (limit - digit) / 10)
                throw FormatError(at, what + phrase(u"（2^63 未満）", u" below 2^63"), phrase(u"それより大きな数", u"a larger number"));
            value = value * 10 + digit;
            ++digits;
        }
        if (digits == 0)
            throw FormatError(at, what, describe(m_in.peek()));
        const int after = m_in.peek();
        if (after == '.' || after == 'e' || after == 'E')
            throw FormatError(at, what, phrase(u"小数", u"a fraction"));
        return value;
    }

    bool readBool()
    {
        const qint64 at = nextOffset();
        const int first = m_in.peek();
        if (first != 't' && first != 'f')
            throw FormatError(at, phrase(u"true か false", u"true or false"), describe(first));
        readWord(first == 't' ? "true" : "false", phrase(u"true か false", u"true or false"));
        return first == 't';
    }

    // One of JSON's words; a file that ends inside it is said to end early.
    void readWord(const char *word, const Wording &what)
    {
        const qint64 at = m_in.offset();
        for (const char *letter = word; *letter; ++letter) {
            const qint64 letterAt = m_in.offset();
            const int byte = m_in.get();
            if (byte < 0)
                throw FormatError(letterAt, what, describe(byte));
            if (byte != *letter)
                throw FormatError(at, what, phrase(u"崩れた語", u"a misspelt word"));
        }
    }

    // Any JSON value this reader has no use for, nested containers included, kept
    // track of with a stack of their closing brackets rather than by recursion; its
    // strings are passed over, not kept.
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
                    if (closers.size() >= deepestSkippedValue)
                        throw FormatError(at, {QStringLiteral("%1 段までの入れ子の値").arg(deepestSkippedValue), QStringLiteral("a value nested %1 levels at most").arg(deepestSkippedValue)},
                                          phrase(u"それより深い入れ子", u"deeper nesting"));
                    closers.push_back(closer);
                    if (closer == '}') {
                        readString(m_skipped, 0);
                        expect(':');
                    }
                    opened = true;
                }
            } else if (byte == '"') {
                readString(m_skipped, 0);
            } else if (byte == '-' || (byte >= '0' && byte <= '9')) {
                skipNumber();
            } else if (byte == 't' || byte == 'f') {
                readBool();
            } else if (byte == 'n') {
                readWord("null", phrase(u"値", u"a value"));
            } else {
                throw FormatError(at, phrase(u"値", u"a value"), describe(byte));
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
                    throw FormatError(separatorAt, closers.back() == '}' ? phrase(u"「,」か「}」", u"\",\" or \"}\"") : phrase(u"「,」か「]」", u"\",\" or \"]\""),
                                      describe(separator));
                if (closers.back() == '}') {
                    readString(m_skipped, 0);
                    expect(':');
                }
                break;
            }
        }
    }

    void skipNumber()
    {
        const qint64 at = m_in.offset();
        bool any = false;
        for (int byte = m_in.peek(); byte == '-' || byte == '+' || byte == '.' || byte == 'e' || byte == 'E' || (byte >= '0' && byte <= '9');
             byte = m_in.peek()) {
            m_in.get();
            any = true;
        }
        if (!any)
            throw FormatError(at, phrase(u"数", u"a number"), describe(m_in.peek()));
    }

    Input m_in;
    NcduReceiver &m_receiver;
    Item m_item;
    QByteArray m_key;
    QByteArray m_skipped;
    // One set per open folder whose entries are wanted: the hashes of its folders' names.
    // The names of the folders met so far in each open folder.
    struct FolderNames {
        std::optional<size_t> first;
        QSet<size_t> others; // with the first, once there is a second
    };
    std::vector<FolderNames> m_folderNames;
    // Levels open inside a folder whose entries are not wanted; they cost nothing each.
    qint64 m_passedOverDepth = 0;
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
