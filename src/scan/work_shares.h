#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

// The folders waiting to be listed by a pool of threads, a share for each thread. A
// thread goes on with the first sub-folder of what it listed itself and leaves the others
// here: it takes its own newest first, depth first; an idle thread takes the oldest,
// shallowest folder of another thread's share, so a chain of folders never changes hands.
// Folder is a pointer type; null means the work is over.
template<typename Folder>
class WorkShares
{
public:
    explicit WorkShares(int threads) : m_shares(size_t(threads)) {}

    // Each of the folders, by address.
    template<typename Element>
    void push(int thread, std::span<Element> folders)
    {
        if (folders.empty())
            return;
        bool someoneIdle = false;
        {
            std::lock_guard lock(m_mutex);
            // Reversed, so that the thread takes them in listing order.
            std::deque<Folder> &own = m_shares[size_t(thread)];
            for (auto at = folders.rbegin(); at != folders.rend(); ++at)
                own.push_back(&*at);
            someoneIdle = m_idle > 0;
        }
        if (someoneIdle)
            m_wake.notify_all();
    }

    // The next folder for a thread, or null once the work is over.
    Folder pop(int thread)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_finished)
                return nullptr;
            std::deque<Folder> &own = m_shares[size_t(thread)];
            if (!own.empty()) {
                Folder folder = own.back();
                own.pop_back();
                return folder;
            }
            for (std::deque<Folder> &other : m_shares) {
                if (!other.empty()) {
                    Folder folder = other.front();
                    other.pop_front();
                    return folder;
                }
            }
            ++m_idle;
            m_wake.wait(lock);
            --m_idle;
        }
    }

    void finish()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_wake.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::deque<Folder>> m_shares;
    int m_idle = 0;
    bool m_finished = false;
};
