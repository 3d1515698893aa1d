#pragma once

#include "platform/key_comparison.h"

#include <QByteArray>
#include <QHashFunctions>

#include <unordered_map>
#include <utility>
#include <vector>

// An ordered collection of items under text keys. Positions count from 1 in the order
// of adding; removing an item moves every later item down by one. Adding under a key
// that is present fails and stores nothing; looking up or removing an absent key or a
// position outside 1 to count() fails. Failures are status returns, never exceptions.
template <typename T>
class KeyedCollection
{
public:
    explicit KeyedCollection(KeyComparison comparison) : m_comparison(comparison) {}

    KeyedCollection(const KeyedCollection &) = delete;
    KeyedCollection &operator=(const KeyedCollection &) = delete;
    // Moving keeps the items' nodes, so the order stays valid.
    KeyedCollection(KeyedCollection &&) noexcept = default;
    KeyedCollection &operator=(KeyedCollection &&) noexcept = default;

    int count() const { return int(m_order.size()); }

    bool add(const QByteArray &key, T item)
    {
        auto [slot, added] = m_items.try_emplace(comparableKey(key, m_comparison), Entry{key, std::move(item)});
        if (added)
            m_order.push_back(&*slot);
        return added;
    }

    T *item(const QByteArray &key)
    {
        auto found = m_items.find(comparableKey(key, m_comparison));
        return found == m_items.end() ? nullptr : &found->second.item;
    }
    const T *item(const QByteArray &key) const { return const_cast<KeyedCollection *>(this)->item(key); }

    T *itemAt(int position) { return isPosition(position) ? &m_order[position - 1]->second.item : nullptr; }
    const T *itemAt(int position) const { return const_cast<KeyedCollection *>(this)->itemAt(position); }

    // The key an item was added under, as it was given; empty for a bad position.
    QByteArray keyAt(int position) const { return isPosition(position) ? m_order[position - 1]->second.key : QByteArray(); }

    bool remove(const QByteArray &key)
    {
        auto found = m_items.find(comparableKey(key, m_comparison));
        if (found == m_items.end())
            return false;
        std::erase(m_order, &*found);
        m_items.erase(found);
        return true;
    }

    // Removes every item whose key (as it was given) the predicate takes, keeping the
    // others in their order, in one pass; returns how many went.
    template <typename Predicate>
    int removeIf(Predicate takes)
    {
        const size_t before = m_order.size();
        std::erase_if(m_order, [&](typename Items::value_type *slot) {
            if (!takes(slot->second.key))
                return false;
            m_items.erase(slot->first);
            return true;
        });
        return int(before - m_order.size());
    }

    bool removeAt(int position)
    {
        if (!isPosition(position))
            return false;
        auto *slot = m_order[position - 1];
        m_order.erase(m_order.begin() + (position - 1));
        m_items.erase(slot->first);
        return true;
    }

private:
    struct Entry {
        QByteArray key;
        T item;
    };
    struct KeyHash {
        size_t operator()(const QByteArray &key) const noexcept { return qHash(key); }
    };
    using Items = std::unordered_map<QByteArray, Entry, KeyHash>;

    bool isPosition(int position) const { return position >= 1 && position <= count(); }

    KeyComparison m_comparison;
    Items m_items;                                   // by comparable key; nodes never move
    std::vector<typename Items::value_type *> m_order; // the order of adding
};
