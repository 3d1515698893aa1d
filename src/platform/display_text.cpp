#include "platform/display_text.h"

#include <QFile>

namespace {

constexpr char32_t firstStrongIsolate = 0x2068;
constexpr char32_t popDirectionalIsolate = 0x2069;

bool isBidirectionalControl(char32_t character)
{
    return character == 0x061c || character == 0x200e || character == 0x200f || (character >= 0x202a && character <= 0x202e)
           || (character >= 0x2066 && character <= 0x2069);
}

bool isRightToLeft(char32_t character)
{
    const QChar::Direction direction = QChar::direction(character);
    return direction == QChar::DirR || direction == QChar::DirAL;
}

QString escaped(char32_t character)
{
    switch (character) {
    case '\t':
        return QStringLiteral("\\t");
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    // Every character escaped lies in the Basic Multilingual Plane.
    const bool ascii = character < 0x80;
    const QString digits = QString::number(uint(character), 16).toUpper().rightJustified(ascii ? 2 : 4, QLatin1Char('0'));
    return (ascii ? QStringLiteral("\\x") : QStringLiteral("\\u")) + digits;
}

// Calls visit with each character of text, a surrogate pair as one.
template <typename Visit>
void forEachCharacter(QStringView text, Visit &&visit)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(unit, text[i + 1]), text.mid(i, 2));
            ++i;
        } else {
            visit(char32_t(unit.unicode()), text.mid(i, 1));
        }
    }
}

} // namespace

bool isShownEscaped(char32_t character)
{
    return character < 0x20 || (character >= 0x7f && character < 0xa0) || character == 0x2028 || character == 0x2029
           || isBidirectionalControl(character);
}

bool holdsEscapedCharacters(QStringView text)
{
    bool holds = false;
    forEachCharacter(text, [&](char32_t character, QStringView) { holds = holds || isShownEscaped(character); });
    return holds;
}

QString displayText(const QByteArray &native)
{
    const QString decoded = QFile::decodeName(native);
    bool plain = true;
    bool reorders = false;
    forEachCharacter(decoded, [&](char32_t character, QStringView) {
        // The right-to-left marks are escaped: they are no letters that draw.
        const bool escaped = isShownEscaped(character);
        plain = plain && !escaped;
        reorders = reorders || (!escaped && isRightToLeft(character));
    });
    if (plain && !reorders)
        return decoded;
    QString shown;
    shown.reserve(decoded.size() + 8);
    if (reorders)
        shown += QChar(firstStrongIsolate);
    forEachCharacter(decoded, [&](char32_t character, QStringView unit) {
        if (isShownEscaped(character))
            shown += escaped(character);
        else
            shown += unit;
    });
    if (reorders)
        shown += QChar(popDirectionalIsolate);
    return shown;
}
