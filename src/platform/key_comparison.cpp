#include "platform/key_comparison.h"

#include <QString>
#include <QStringDecoder>

QByteArray comparableKey(const QByteArray &key, KeyComparison comparison)
{
    if (comparison == KeyComparison::Exact)
        return key;

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(key);
    // A key that is not valid UTF-8 folds its ASCII letters only, so that no two
    // distinct byte strings collapse into the same replacement characters.
    if (decoder.hasError())
        return key.toLower();
    return text.toCaseFolded().toUtf8();
}
