#include "ui/application_setup.h"

#include "ui/fonts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace {

// The window is Japanese throughout, so Qt's dialogs are too.
void installQtTranslations()
{
    static QTranslator qtBase;
    if (qtBase.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtBase);
}

// Qt's file dialog saves its state (history, last folder, view) in the user's settings
// when it closes. The program writes nothing, so user settings live under a resource
// path: it can never be created or written, and a QSettings object keeps what it is
// given in memory only.
void keepSettingsInMemory()
{
    const QString nowhere = QStringLiteral(":/settings-kept-in-memory");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

} // namespace

void prepareApplication()
{
    installFontSubstitutions();
    installQtTranslations();
    keepSettingsInMemory();
}
