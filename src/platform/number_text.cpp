#include "platform/number_text.h"

#include <QLocale>

#include <charconv>
#include <cmath>

QString numberText(double value)
{
    // 310 digits hold the largest double written out in full.
    char buffer[400];
    std::to_chars_result written;
    if (std::isfinite(value) && value == std::trunc(value))
        written = std::to_chars(buffer, buffer + sizeof buffer, value + 0.0, std::chars_format::fixed, 0);
    else
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return QString::fromLatin1(buffer, written.ptr - buffer);
}

std::optional<double> numberFromText(const QString &text)
{
    // Number text is always written in the C form, so it is read back in that form:
    // a locale whose group separator is "." would otherwise misread "1.5".
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}
