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
// Items stay where they are while the collection grows. A lookup after removals may
// make the index again, so one thread at a time uses a collection, reading or writing.
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
            grow(m_slots.empty() ? 16 : 2 * m_slots.size());
        m_entries.push_back({key, std::move(item)});
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
        m_indexStale = m_indexStale || m_entries.size() != before;
        return int(before - m_entries.size());
    }

    bool removeAt(int position)
    {
        if (!isPosition(position))
            return false;
        m_entries.erase(m_entries.begin() + (position - 1));
        // The positions after it moved: the index is made again when a key is next looked
        // up, so that removing many items one after another stays linear.
        m_indexStale = true;
        return true;
    }

private:
    struct Entry {
        QByteArray key;
        T item;
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
    size_t find(const QByteArray &comparable, std::uint32_t hash)
    {
        if (m_indexStale)
            reindex();
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

    void place(std::uint32_t position, std::uint32_t hash)
    {
        const size_t mask = m_slots.size() - 1;
        size_t slot = hash & mask;
        while (m_slots[slot].position != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = {position, hash};
    }

    // The index again with slotCount slots, from the hashes it holds.
    void grow(size_t slotCount)
    {
        const std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(slotCount));
        for (const Slot &slot : old) {
            if (slot.position != 0)
                place(slot.position, slot.hash);
        }
    }

    // The index made anew from the keys, after removals moved the positions.
    void reindex()
    {
        m_slots.assign(m_slots.size(), Slot{});
        for (size_t position = 0; position < m_entries.size(); ++position)
            place(std::uint32_t(position + 1), hashOf(comparableKey(m_entries[position].key, m_comparison)));
        m_indexStale = false;
    }

    KeyComparison m_comparison;
    std::deque<Entry> m_entries; // in the order of adding
    std::vector<Slot> m_slots;   // a power of two, at most three quarters used
    bool m_indexStale = false;
};
