#pragma once

#include <cmath>

// Conversion of a real number to a whole number: to the nearest, ties to even
// (150.5 gives 150, 151.5 gives 152). nearbyint follows the current rounding mode,
// which is round-to-nearest-even unless someone changed it.
inline double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

// Integer division: both operands are rounded to whole numbers first, then the
// fraction of the quotient is dropped (toward zero). The divisor must not round to 0.
inline long long integerDivide(double dividend, double divisor)
{
    return static_cast<long long>(roundHalfEven(dividend)) / static_cast<long long>(roundHalfEven(divisor));
}

#include <QtGlobal>

#include <limits>
#include <optional>

// A real number as a 16-bit signed integer, rounded half to even; nothing when the
// result does not fit.
inline std::optional<qint16> toInt16(double value)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= std::numeric_limits<qint16>::min() && rounded <= std::numeric_limits<qint16>::max()))
        return std::nullopt;
    return qint16(rounded);
}
