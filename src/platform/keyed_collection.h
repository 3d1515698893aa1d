#pragma once

#include "platform/key_comparison.h"

#include <QByteArray>
#include <QHashFunctions>

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

// An ordered collection of items under text keys. Positions count from 1 in the order
// of adding; removing an item moves every later item down by one. Adding under a key
// that is present fails and stores nothing; looking up or removing an absent key or a
// position outside 1 to count() fails. Failures are status returns, never exceptions.
// Items stay where they are while the collection grows.
template <typename T>
class KeyedCollection
{
public:
    explicit KeyedCollection(KeyComparison comparison) : m_comparison(comparison) {}

    KeyedCollection(const KeyedCollection &) = delete;
    KeyedCollection &operator=(const KeyedCollection &) = delete;
    // Moving keeps the items where they are.
    KeyedCollection(KeyedCollection &&) noexcept = default;
    KeyedCollection &operator=(KeyedCollection &&) noexcept = default;

    int count() const { return int(m_entries.size()); }

    bool add(const QByteArray &key, T item)
    {
        const QByteArray comparable = comparableKey(key, m_comparison);
        const std::uint32_t hash = hashOf(comparable);
        if (find(comparable, hash) != notFound)
            return false;
        if (4 * (m_entries.size() + 1) > 3 * m_slots.size())
            grow();
        m_entries.push_back({key, std::move(item), hash});
        place(std::uint32_t(m_entries.size()), hash);
        return true;
    }

    T *item(const QByteArray &key)
    {
        const QByteArray comparable = comparableKey(key, m_comparison);
        const size_t position = find(comparable, hashOf(comparable));
        return position == notFound ? nullptr : &m_entries[position].item;
    }
    const T *item(const QByteArray &key) const { return const_cast<KeyedCollection *>(this)->item(key); }

    T *itemAt(int position) { return isPosition(position) ? &m_entries[size_t(position - 1)].item : nullptr; }
    const T *itemAt(int position) const { return const_cast<KeyedCollection *>(this)->itemAt(position); }

    // The key an item was added under, as it was given; empty for a bad position.
    QByteArray keyAt(int position) const { return isPosition(position) ? m_entries[size_t(position - 1)].key : QByteArray(); }

    bool remove(const QByteArray &key)
    {
        const QByteArray comparable = comparableKey(key, m_comparison);
        const size_t position = find(comparable, hashOf(comparable));
        return position != notFound && removeAt(int(position + 1));
    }

    // Removes every item whose key (as it was given) the predicate takes, keeping the
    // others in their order, in one pass; returns how many went.
    template <typename Predicate>
    int removeIf(Predicate takes)
    {
        const size_t before = m_entries.size();
        std::erase_if(m_entries, [&](const Entry &entry) { return takes(entry.key); });
        if (m_entries.size() == before)
            return 0;
        m_slots.assign(m_slots.size(), Slot{});
        for (size_t position = 0; position < m_entries.size(); ++position)
            place(std::uint32_t(position + 1), m_entries[position].hash);
        return int(before - m_entries.size());
    }

    bool removeAt(int position)
    {
        if (!isPosition(position))
            return false;
        free(slotOf(std::uint32_t(position)));
        // Every later item moves down one position.
        for (size_t later = size_t(position) + 1; later <= m_entries.size(); ++later)
            --m_slots[slotOf(std::uint32_t(later))].position;
        m_entries.erase(m_entries.begin() + (position - 1));
        return true;
    }

private:
    struct Entry {
        QByteArray key;
        T item;
        std::uint32_t hash; // of the comparable key
    };
    // An open-addressed index into the entries: position + 1 (0 for a free slot) and
    // the key's hash. Eight bytes a slot, where a node of a hash table takes a hundred.
    struct Slot {
        std::uint32_t position = 0;
        std::uint32_t hash = 0;
    };
    static constexpr size_t notFound = size_t(-1);

    static std::uint32_t hashOf(const QByteArray &comparable) { return std::uint32_t(qHash(comparable)); }

    bool isPosition(int position) const { return position >= 1 && position <= count(); }

    // The index of the entry under a comparable key, or notFound.
    size_t find(const QByteArray &comparable, std::uint32_t hash) const
    {
        if (m_slots.empty())
            return notFound;
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const Slot &at = m_slots[slot];
            if (at.position == 0)
                return notFound;
            if (at.hash == hash && comparableKey(m_entries[at.position - 1].key, m_comparison) == comparable)
                return at.position - 1;
        }
    }

    // The slot that holds a position.
    size_t slotOf(std::uint32_t position) const
    {
        const size_t mask = m_slots.size() - 1;
        size_t slot = m_entries[position - 1].hash & mask;
        while (m_slots[slot].position != position)
            slot = (slot + 1) & mask;
        return slot;
    }

    void place(std::uint32_t position, std::uint32_t hash)
    {
        const size_t mask = m_slots.size() - 1;
        size_t slot = hash & mask;
        while (m_slots[slot].position != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = {position, hash};
    }

    // Empties a slot, and moves up the slots after it that would no longer be found.
    void free(size_t slot)
    {
        const size_t mask = m_slots.size() - 1;
        size_t hole = slot;
        for (size_t next = (hole + 1) & mask; m_slots[next].position != 0; next = (next + 1) & mask) {
            const size_t home = m_slots[next].hash & mask;
            if (((next - home) & mask) >= ((next - hole) & mask)) {
                m_slots[hole] = m_slots[next];
                hole = next;
            }
        }
        m_slots[hole] = Slot{};
    }

    // Twice the slots; the hashes are kept, so no key is read again.
    void grow()
    {
        const std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(m_slots.empty() ? 16 : 2 * m_slots.size()));
        for (const Slot &slot : old) {
            if (slot.position != 0)
                place(slot.position, slot.hash);
        }
    }

    KeyComparison m_comparison;
    std::deque<Entry> m_entries; // in the order of adding
    std::vector<Slot> m_slots;   // a power of two, at most three quarters used
};
