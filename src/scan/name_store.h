#pragma once

#include "scan/run_store.h"

#include <QByteArrayView>

#include <algorithm>

// Names kept once each, packed into pages of 64 KiB, where a name never moves once added.
class NameStore
{
public:
    QByteArrayView add(QByteArrayView name)
    {
        const std::span<char> room = m_bytes.add(size_t(name.size()));
        std::copy(name.begin(), name.end(), room.begin());
        return QByteArrayView(room.data(), name.size());
    }

private:
    RunStore<char, 64 * 1024> m_bytes;
};
