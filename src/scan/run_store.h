#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

// Runs of elements side by side, made in pages: the sub-folders of one folder, say, in
// one run. An element never moves once made; a run longer than a page gets room of its
// own, beside the page being filled.
template<typename T>
class RunStore
{
public:
    std::span<T> add(size_t count)
    {
        if (count == 0)
            return {};
        if (count > pageSize / 4) {
            T *room = m_pages.emplace_back(std::make_unique<T[]>(count)).get();
            return {room, count};
        }
        if (count > m_left) {
            m_next = m_pages.emplace_back(std::make_unique<T[]>(pageSize)).get();
            m_left = pageSize;
        }
        const std::span<T> run(m_next, count);
        m_next += count;
        m_left -= count;
        return run;
    }

private:
    static constexpr size_t pageSize = 1024;

    std::vector<std::unique_ptr<T[]>> m_pages;
    T *m_next = nullptr;
    size_t m_left = 0;
};
