#include "platform/descriptor_budget.h"

#include <algorithm>

#include <dirent.h>
#include <sys/resource.h>

namespace {

// Two walks can always go on side by side; beyond a few thousand, more open folders
// help no walk.
constexpr int smallestCapacity = 2 * DescriptorBudget::walkMinimum;
constexpr int largestCapacity = 4096;

// How many descriptors the process holds now, or a guess where it cannot be told.
int descriptorsInUse()
{
    DIR *folder = ::opendir("/proc/self/fd");
    if (!folder)
        return 16;
    int count = 0;
    while (const struct dirent *entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(folder);
    return count;
}

int measuredCapacity()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return largestCapacity;
    const long long spare = (static_cast<long long>(limit.rlim_cur) - descriptorsInUse()) / 2;
    return int(std::clamp<long long>(spare, smallestCapacity, largestCapacity));
}

} // namespace

DescriptorBudget &DescriptorBudget::process()
{
    static DescriptorBudget budget;
    return budget;
}

void DescriptorBudget::reserve(int count)
{
    std::unique_lock lock(m_mutex);
    // The limit may have changed since (setrlimit, or a child process with its own).
    if (m_taken == 0)
        m_capacity = measuredCapacity();
    m_freed.wait(lock, [&] { return m_taken + count <= m_capacity; });
    m_taken += count;
}

bool DescriptorBudget::tryTake()
{
    std::lock_guard lock(m_mutex);
    if (m_taken >= m_capacity)
        return false;
    ++m_taken;
    return true;
}

void DescriptorBudget::give(int count)
{
    {
        std::lock_guard lock(m_mutex);
        m_taken -= count;
    }
    m_freed.notify_all();
}
