#include "support/child_process.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

std::optional<QByteArray> runInChild(const std::function<std::optional<QByteArray>()> &work)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        ::close(channel[0]);
        const std::optional<QByteArray> result = work();
        bool written = result.has_value();
        for (qsizetype done = 0; written && done < result->size();) {
            const ssize_t n = ::write(channel[1], result->constData() + done, size_t(result->size() - done));
            written = n > 0;
            done += n;
        }
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray output;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

bool runAsNobody()
{
    constexpr uid_t nobody = 65534;
    return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setresgid(nobody, nobody, nobody) == 0 && ::setresuid(nobody, nobody, nobody) == 0);
}

std::optional<QByteArray> runAsNobodyInChild(const std::function<QByteArray()> &work)
{
    return runInChild([&]() -> std::optional<QByteArray> {
        if (!runAsNobody())
            return std::nullopt;
        return work();
    });
}
