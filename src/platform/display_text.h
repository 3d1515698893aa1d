#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Whether a character is shown as a visible escape instead of itself: the C0 and C1
// controls and DEL, which are no text; the line and paragraph separators, which would
// break the line; and the bidirectional controls, which would reorder what follows.
bool isShownEscaped(char32_t character);

// Whether a text holds any character shown as an escape.
bool holdsEscapedCharacters(QStringView text);

// A name or path as shown: the native bytes decoded, anything undecodable replaced.
// Characters that are no text are written as escapes ("\n", "\x1B", "\u202E"), so a
// bidirectional control reorders nothing; a name with right-to-left letters, which
// would draw the text after it into their run, is isolated between U+2068 and U+2069.
// Any other name shows as it is.
QString displayText(const QByteArray &native);
