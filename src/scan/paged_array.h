#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// An array that grows a page at a time: an element never moves once added, and growing
// never holds the old and the new room at once, as a doubling vector does while it
// copies. The last page is the only room taken and not used.
template<typename T, size_t PageBits = 12>
class PagedArray
{
public:
    static constexpr size_t pageSize = size_t(1) << PageBits;

    PagedArray() = default;
    PagedArray(PagedArray &&other) noexcept : m_pages(std::move(other.m_pages)), m_size(std::exchange(other.m_size, 0)) {}
    PagedArray &operator=(PagedArray &&other) noexcept
    {
        m_pages = std::move(other.m_pages);
        m_size = std::exchange(other.m_size, 0);
        return *this;
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    T &operator[](size_t index) { return m_pages[index >> PageBits][index & (pageSize - 1)]; }
    const T &operator[](size_t index) const { return m_pages[index >> PageBits][index & (pageSize - 1)]; }

    T &push_back(const T &value)
    {
        if ((m_size & (pageSize - 1)) == 0)
            m_pages.push_back(std::make_unique_for_overwrite<T[]>(pageSize));
        T &added = (*this)[m_size++];
        added = value;
        return added;
    }

private:
    std::vector<std::unique_ptr<T[]>> m_pages;
    size_t m_size = 0;
};
