#pragma once

#include <QByteArray>

// How the keys of a keyed collection compare.
enum class KeyComparison {
    Exact,
    CaseInsensitive,
};

// Folder paths compare as the file system compares names: exactly where "Data" and
// "data" can be siblings, without regard to letter case where they cannot.
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
inline constexpr KeyComparison pathKeyComparison = KeyComparison::CaseInsensitive;
#else
inline constexpr KeyComparison pathKeyComparison = KeyComparison::Exact;
#endif

// The form under which a key is stored, so that keys that compare equal are equal.
QByteArray comparableKey(const QByteArray &key, KeyComparison comparison);
