#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// A freedesktop key file as desktop entries, mimeapps.list and mimeinfo.cache are
// written: "[Group]" headers, "Key=Value" lines, "#" comments, UTF-8 text.
class KeyFile
{
public:
    // Empty when the file is missing or unreadable, as such a file counts as empty.
    static KeyFile read(const QString &fileName);
    static KeyFile parse(const QByteArray &text);

    bool hasGroup(const QString &group) const { return m_groups.contains(group); }
    // The value as written, escapes and all; empty when absent.
    QString rawValue(const QString &group, const QString &key) const;
    // A string value with its escapes (\s \n \t \r \\) resolved; any other backslash
    // stays, for the Exec key's own quoting to read.
    QString string(const QString &group, const QString &key) const;
    // A list value: items separated by ";", empty items dropped.
    QStringList list(const QString &group, const QString &key) const;
    bool boolean(const QString &group, const QString &key) const;

private:
    QHash<QString, QHash<QString, QString>> m_groups;
};
