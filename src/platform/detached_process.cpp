#include "platform/detached_process.h"

#include <QFile>

#include <glib.h>
#include <unistd.h>

#include <vector>

bool startDetached(const QString &program, const QList<QByteArray> &arguments, QString *error)
{
    QByteArray file = QFile::encodeName(program);
    QList<QByteArray> texts = arguments;
    std::vector<char *> argv{file.data()};
    for (QByteArray &argument : texts)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    GError *failure = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD the program starts from an intermediate child
    // that exits at once, so nothing is left to wait for.
    const bool started = g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_FILE_AND_ARGV_ZERO,
                                       [](gpointer) { setsid(); }, nullptr, nullptr, &failure);
    if (!started) {
        if (error)
            *error = QString::fromUtf8(failure->message);
        g_error_free(failure);
    }
    return started;
}
