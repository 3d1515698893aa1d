#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <utility>
#include <vector>

// Runs of elements side by side, made in pages: the sub-folders of one folder, say, in
// one run, or the bytes of one name. An element never moves once made, and growing never
// copies what is kept. A run far longer than most gets room of its own, beside the page
// being filled, which goes on being filled.
template<typename T, size_t PageSize>
class RunStore
{
public:
    RunStore() = default;
    RunStore(RunStore &&other) noexcept
        : m_pages(std::move(other.m_pages)), m_next(std::exchange(other.m_next, nullptr)), m_left(std::exchange(other.m_left, 0))
    {
    }
    RunStore &operator=(RunStore &&other) noexcept
    {
        m_pages = std::move(other.m_pages);
        m_next = std::exchange(other.m_next, nullptr);
        m_left = std::exchange(other.m_left, 0);
        return *this;
    }

    // Elements made as T's own constructor makes them; bytes left as they are.
    std::span<T> add(size_t count)
    {
        if (count == 0)
            return {};
        if (count > PageSize / 4)
            return {m_pages.emplace_back(std::make_unique_for_overwrite<T[]>(count)).get(), count};
        if (count > m_left) {
            m_next = m_pages.emplace_back(std::make_unique_for_overwrite<T[]>(PageSize)).get();
            m_left = PageSize;
        }
        const std::span<T> run(m_next, count);
        m_next += count;
        m_left -= count;
        return run;
    }

private:
    std::vector<std::unique_ptr<T[]>> m_pages;
    T *m_next = nullptr;
    size_t m_left = 0;
};
