#include "support/desktop_fixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QList<QByteArray> variables = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                     "XDG_CURRENT_DESKTOP", "PATH", "ZK_RECORDINGS"};

} // namespace

DesktopFixture::DesktopFixture()
{
    for (const QByteArray &name : variables)
        m_saved.insert(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("config-dirs")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(path("system") + u':' + path("vendor")));
    qunsetenv("XDG_CURRENT_DESKTOP");
    qputenv("PATH", QFile::encodeName(path("bin")) + ':' + qgetenv("PATH"));
    qputenv("ZK_RECORDINGS", QFile::encodeName(path("recordings")));
    QDir().mkpath(path("recordings"));
}

DesktopFixture::~DesktopFixture()
{
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
        if (it.value())
            qputenv(it.key(), *it.value());
        else
            qunsetenv(it.key());
    }
}

void DesktopFixture::write(const QString &relative, const QByteArray &text) const
{
    QDir().mkpath(QFileInfo(path(relative)).path());
    QFile file(path(relative));
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(text) == text.size(), qPrintable(relative));
    if (relative.startsWith(QLatin1String("bin/")))
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther);
}

QByteArray DesktopFixture::recorder(const QByteArray &name, const QByteArray &fileCode, const QByteArray &mimeTypes)
{
    // The shell's words are quoted as the Exec key wants: in the file, "\\\\" is one
    // backslash inside the quoted argument, "\\"" a quote and "\\$" a dollar sign. The
    // whole recording appears at once, by rename.
    const QByteArray out = R"(\\"\\$ZK_RECORDINGS/)" + name;
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nMimeType=" + mimeTypes + '\n'
           + R"(Exec=sh -c "printf '%%s\\\\n' \\"\\$@\\" > )" + out + R"(.part\\" && mv )" + out + R"(.part\\" )" + out
           + R"(\\"" sh )" + fileCode + '\n';
}

QByteArray DesktopFixture::recording(const QString &name) const
{
    QFile file(path("recordings/" + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void DesktopFixture::forgetRecording(const QString &name) const
{
    QFile::remove(path("recordings/" + name));
}
