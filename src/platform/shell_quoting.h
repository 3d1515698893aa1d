#pragma once

#include <QByteArray>
#include <QString>

// A path as text that a shell reads back as that one path, byte for byte, written the
// way `ls --quoting-style=shell-escape` writes names: bare when no character in it means
// anything to a shell; otherwise in single quotes, a quote itself as \', and every
// character that displayText escapes, and every byte that is not UTF-8, in $'…' as a C
// or octal escape. $'…' is read by bash, zsh, ksh and a POSIX.1-2024 sh.
QString shellQuoted(const QByteArray &path);
