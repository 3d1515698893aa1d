#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// An application's desktop entry: what the desktop knows of a program it can start, and
// how its Exec line becomes the command that opens a file.
class DesktopEntry
{
public:
    // Reads the [Desktop Entry] group of a .desktop file; the id names it as the desktop
    // does ("org.example.App.desktop", or "sub-app.desktop" for applications/sub/app.desktop).
    static DesktopEntry read(const QString &fileName, const QString &id);

    QString id() const { return m_id; }
    QString fileName() const { return m_fileName; }
    // Hidden=true, or no application at all: as if the entry were not installed.
    bool isDeleted() const { return m_deleted; }
    bool declaresMimeType(const QString &mimeType) const;
    // The programs of TryExec and Exec are found, by absolute path or on $PATH.
    bool isRunnable() const;
    // The program the Exec line runs, found as isRunnable() finds it; empty when not found.
    QString program() const;

    // The command line that opens one local file: the Exec line's arguments with %f and
    // %F given the path, %u and %U the URL, %i, %c, %k and %% expanded. A line that asks
    // for no file gets the path at its end. Empty when the Exec line is malformed.
    std::optional<QList<QByteArray>> commandFor(const QByteArray &path, const QUrl &url) const;

private:
    QString m_id;
    QString m_fileName;
    bool m_deleted = true;
    QString m_exec;
    QString m_tryExec;
    QString m_name;
    QString m_icon;
    QStringList m_mimeTypes;
};
