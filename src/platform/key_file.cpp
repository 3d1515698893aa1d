#include "platform/key_file.h"

#include <QFile>

KeyFile KeyFile::read(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

KeyFile KeyFile::parse(const QByteArray &text)
{
    KeyFile keyFile;
    QHash<QString, QString> *group = nullptr;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2);
            // A group given twice is invalid; its first appearance counts.
            group = keyFile.m_groups.contains(name) ? nullptr : &keyFile.m_groups[name];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!group || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!group->contains(key))
            group->insert(key, line.mid(equals + 1).trimmed());
    }
    return keyFile;
}

QString KeyFile::rawValue(const QString &group, const QString &key) const
{
    return m_groups.value(group).value(key);
}

QString KeyFile::string(const QString &group, const QString &key) const
{
    const QString raw = rawValue(group, key);
    QString text;
    text.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'\\' || i + 1 == raw.size()) {
            text += raw[i];
            continue;
        }
        switch (raw[i + 1].unicode()) {
        case 's': text += u' '; break;
        case 'n': text += u'\n'; break;
        case 't': text += u'\t'; break;
        case 'r': text += u'\r'; break;
        case '\\': text += u'\\'; break;
        default: text += raw[i]; continue;
        }
        ++i;
    }
    return text;
}

QStringList KeyFile::list(const QString &group, const QString &key) const
{
    QStringList items;
    for (const QString &item : rawValue(group, key).split(u';')) {
        if (!item.trimmed().isEmpty())
            items << item.trimmed();
    }
    return items;
}

bool KeyFile::boolean(const QString &group, const QString &key) const
{
    return rawValue(group, key) == QLatin1String("true");
}
