#include "platform/shell_quoting.h"

#include "platform/display_text.h"

#include <algorithm>

namespace {

// How many bytes the UTF-8 sequence led by this byte takes; 1 for a byte that leads none.
qsizetype sequenceLength(char lead)
{
    const auto byte = uchar(lead);
    if (byte >= 0xf0)
        return 4;
    if (byte >= 0xe0)
        return 3;
    if (byte >= 0xc0)
        return 2;
    return 1;
}

bool isBare(char character)
{
    static const QByteArray punctuation = "%+,-./:@_";
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9')
           || punctuation.contains(character);
}

// A byte as $'…' writes it.
QByteArray escapedByte(uchar byte)
{
    switch (byte) {
    case '\a':
        return "\\a";
    case '\b':
        return "\\b";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\v':
        return "\\v";
    case '\f':
        return "\\f";
    case '\r':
        return "\\r";
    default:
        return '\\' + QByteArray::number(byte, 8).rightJustified(3, '0');
    }
}

// The quoted text, built from runs: characters as they are in '…', escapes in $'…'.
class QuotedText
{
public:
    void addLiteral(QByteArrayView character)
    {
        if (character == "'") {
            close();
            m_text += "\\'";
            return;
        }
        open(Run::Literal);
        m_text += character;
    }

    void addEscaped(QByteArrayView bytes)
    {
        open(Run::Escaped);
        for (const char byte : bytes)
            m_text += escapedByte(uchar(byte));
    }

    QByteArray finished()
    {
        close();
        return m_text;
    }

private:
    enum class Run { None, Literal, Escaped };

    void open(Run run)
    {
        if (m_run == run)
            return;
        close();
        m_text += run == Run::Escaped ? "$'" : "'";
        m_run = run;
    }

    void close()
    {
        if (m_run != Run::None)
            m_text += '\'';
        m_run = Run::None;
    }

    QByteArray m_text;
    Run m_run = Run::None;
};

} // namespace

QString shellQuoted(const QByteArray &path)
{
    if (path.isEmpty())
        return QStringLiteral("''");
    QuotedText quoted;
    bool bare = true;
    for (qsizetype i = 0; i < path.size();) {
        const qsizetype length = std::min(sequenceLength(path[i]), path.size() - i);
        const QByteArrayView character = QByteArrayView(path).sliced(i, length);
        if (!character.isValidUtf8()) {
            quoted.addEscaped(character.first(1));
            bare = false;
            ++i;
            continue;
        }
        const QString decoded = QString::fromUtf8(character);
        const char32_t codePoint = decoded.size() == 2 ? QChar::surrogateToUcs4(decoded[0], decoded[1]) : char32_t(decoded[0].unicode());
        if (isShownEscaped(codePoint)) {
            quoted.addEscaped(character);
            bare = false;
        } else {
            quoted.addLiteral(character);
            bare = bare && (length > 1 || isBare(path[i]));
        }
        i += length;
    }
    return bare ? QString::fromUtf8(path) : QString::fromUtf8(quoted.finished());
}
