#include "platform/locale_formats.h"

#include <QLocale>

QString formatGroupedOneDecimal(double value)
{
    QLocale locale;
    // The C locale omits group separators by default; the format always has them.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 1);
}

QString formatPercent(double share, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(share * 100.0, 'f', decimals) + QLatin1Char('%');
}
