#pragma once

#include <QString>

// The display formats, with the separators of the user's locale.

// "#,##0.0": rounded to one decimal, at least one digit before the decimal separator,
// those digits grouped in threes. The group separator is written in every locale.
QString formatGroupedOneDecimal(double value);

// "0.0%" (decimals 1) and "0.00%" (decimals 2): the share times 100 with that many
// decimals, then a percent sign. 0.1234 gives 12.3% and 12.34%.
QString formatPercent(double share, int decimals);
