#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// A desktop of its own for one test: while it lives, the XDG base directories point into
// a temporary folder ("config" for $XDG_CONFIG_HOME, "config-dirs" for $XDG_CONFIG_DIRS,
// "data" for $XDG_DATA_HOME, "system" then "vendor" for $XDG_DATA_DIRS, no
// $XDG_CURRENT_DESKTOP), its "bin" leads $PATH, and fake applications write down the
// arguments they were started with.
class DesktopFixture
{
public:
    DesktopFixture();
    ~DesktopFixture();

    QString path(const QString &relative) const { return m_directory.filePath(relative); }
    // Writes a file below the fixture, making its folders; one in "bin" can be run.
    void write(const QString &relative, const QByteArray &text) const;

    // The text of a desktop entry for folders whose program writes its arguments, one a
    // line, to the recording of that name, taking the folder as fileCode gives it.
    static QByteArray recorder(const QByteArray &name, const QByteArray &fileCode = "%f", const QByteArray &mimeTypes = "inode/directory;");
    // What the recorder of that name wrote; empty while it has not run, as it writes at
    // least one line.
    QByteArray recording(const QString &name) const;
    void forgetRecording(const QString &name) const;

private:
    QTemporaryDir m_directory;
    QHash<QByteArray, std::optional<QByteArray>> m_saved;
};
