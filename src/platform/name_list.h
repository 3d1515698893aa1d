#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <iterator>
#include <new>
#include <vector>

// Names in the order they were added, all in one text with the end of each: a folder of
// 200,000 sub-folders costs its names' bytes and four bytes a name, not an allocation
// a name.
class NameList
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = QByteArrayView;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = QByteArrayView;

        const_iterator() = default;
        QByteArrayView operator*() const { return (*m_list)[m_position]; }
        const_iterator &operator++()
        {
            ++m_position;
            return *this;
        }
        const_iterator operator++(int)
        {
            const const_iterator before = *this;
            ++m_position;
            return before;
        }
        bool operator==(const const_iterator &other) const { return m_position == other.m_position; }

    private:
        friend class NameList;
        const_iterator(const NameList *list, size_t position) : m_list(list), m_position(position) {}
        const NameList *m_list = nullptr;
        size_t m_position = 0;
    };

    size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }

    QByteArrayView operator[](size_t position) const
    {
        const std::uint32_t start = position == 0 ? 0 : m_ends[position - 1];
        return QByteArrayView(m_text).sliced(start, m_ends[position] - start);
    }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_ends.size()}; }

    void append(QByteArrayView name)
    {
        // Ends are 32 bits: four gigabytes of names in one folder is want of memory.
        if (quint64(m_text.size()) + quint64(name.size()) > 0xffffffffu)
            throw std::bad_alloc();
        m_text.append(name);
        m_ends.push_back(std::uint32_t(m_text.size()));
    }

    // Keeps the room taken for the next folder's names, unless one folder of very many
    // names took it.
    void clear()
    {
        if (m_ends.capacity() > roomKept) {
            *this = NameList();
            return;
        }
        m_text.resize(0);
        m_ends.clear();
    }

private:
    static constexpr size_t roomKept = 4096;

    QByteArray m_text;
    std::vector<std::uint32_t> m_ends;
};
