#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Starts a program that outlives this one, in a session of its own. The arguments, the
// program's own name first, go to it as the bytes they are: a path need not be UTF-8,
// which QProcess would require. False, with the reason, when it could not start.
bool startDetached(const QString &program, const QList<QByteArray> &arguments, QString *error);
