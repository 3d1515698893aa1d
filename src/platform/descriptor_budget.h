#pragma once

#include <condition_variable>
#include <mutex>

// The folders that all walks of this process may hold open at once: a share of the
// process's descriptor limit, whatever it is, so that no tree and no number of threads
// can exhaust it. The rest is left to everything else the program opens.
class DescriptorBudget
{
public:
    static DescriptorBudget &process();

    // What every walk needs to go on at all: its root, the folder it descends from and
    // the one it opens.
    static constexpr int walkMinimum = 3;

    // Waits until count descriptors are free and takes them. When none is taken, the
    // budget is first measured again from the limit as it is now.
    void reserve(int count);
    // One descriptor, if one is free now.
    bool tryTake();
    void give(int count);

private:
    std::mutex m_mutex;
    std::condition_variable m_freed;
    int m_capacity = 0;
    int m_taken = 0;
};
