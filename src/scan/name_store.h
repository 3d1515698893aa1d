#pragma once

#include <QByteArrayView>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

// Names kept once each, packed into pages, where a name never moves once added and
// growing never copies what is kept. A name far longer than a folder's name ever is
// gets room of its own.
class NameStore
{
public:
    NameStore() = default;
    NameStore(NameStore &&other) noexcept
        : m_pages(std::move(other.m_pages)), m_next(std::exchange(other.m_next, nullptr)), m_left(std::exchange(other.m_left, 0))
    {
    }
    NameStore &operator=(NameStore &&other) noexcept
    {
        m_pages = std::move(other.m_pages);
        m_next = std::exchange(other.m_next, nullptr);
        m_left = std::exchange(other.m_left, 0);
        return *this;
    }

    QByteArrayView add(QByteArrayView name)
    {
        if (name.isEmpty())
            return {};
        const size_t length = size_t(name.size());
        char *room;
        if (length > pageSize / 4) {
            // Beside the page being filled, which goes on being filled.
            room = m_pages.emplace_back(std::make_unique_for_overwrite<char[]>(length)).get();
        } else {
            if (length > m_left) {
                m_next = m_pages.emplace_back(std::make_unique_for_overwrite<char[]>(pageSize)).get();
                m_left = pageSize;
            }
            room = m_next;
            m_next += length;
            m_left -= length;
        }
        std::memcpy(room, name.data(), length);
        return QByteArrayView(room, name.size());
    }

private:
    static constexpr size_t pageSize = 64 * 1024;

    std::vector<std::unique_ptr<char[]>> m_pages;
    char *m_next = nullptr;
    size_t m_left = 0;
};
