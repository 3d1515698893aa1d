#pragma once

#include <QString>

// Where an import comes from, as the window names it: "標準入力" for standard input
// ("-"), else the file as it was given, or by its name alone.
QString importSourceName(const QString &fileName, bool nameAlone);
