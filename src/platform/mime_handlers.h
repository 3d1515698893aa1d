#pragma once

#include "platform/desktop_entry.h"

#include <QList>
#include <QString>

// The installed applications that open a MIME type, most preferred first: the defaults
// of the mimeapps.list files, then every application associated with the type, as the
// freedesktop MIME association rules read $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS,
// $XDG_DATA_HOME and $XDG_DATA_DIRS (desktop-specific lists by $XDG_CURRENT_DESKTOP).
// Entries marked Hidden count as not installed; whether a program is found is left to
// the caller.
QList<DesktopEntry> mimeHandlers(const QString &mimeType);
