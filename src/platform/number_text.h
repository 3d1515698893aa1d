#pragma once

#include <QString>

#include <optional>

// Number text: a number as decimal text in its shortest form. Whole numbers are
// written as their exact digits at any size, without separators or decimal point
// (1536), so that reading the text back always gives the number that was written.
QString numberText(double value);

// Reads number text back; nothing when the text is not a number.
std::optional<double> numberFromText(const QString &text);
