#pragma once

#include "platform/byte_count.h"

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <mutex>

// What a running scan shares with whoever watches it from another thread: what has
// been counted so far, and a request to stop.
class ScanControl
{
public:
    struct Progress {
        qint64 folders = 0;
        qint64 files = 0;
        double bytes = 0;
        QByteArray currentFolder; // one listed lately, not always the last
    };

    void requestCancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool cancelRequested() const { return m_cancelled.load(std::memory_order_relaxed); }

    Progress progress() const
    {
        std::lock_guard lock(m_currentMutex);
        return {m_folders.load(std::memory_order_relaxed), m_files.load(std::memory_order_relaxed),
                m_bytes.load(std::memory_order_relaxed), m_currentFolder};
    }

    // Called by the scan for every folder it has listed. The path is copied a few times
    // a second at most, and never shared with the scan's own: down a chain of folders
    // a copy each would cost the square of the depth.
    void folderListed(const QByteArray &path, qint64 files, ByteCount bytes)
    {
        m_folders.fetch_add(1, std::memory_order_relaxed);
        m_files.fetch_add(files, std::memory_order_relaxed);
        m_bytes.fetch_add(double(bytes), std::memory_order_relaxed);
        const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
        qint64 shown = m_currentShownAt.load(std::memory_order_relaxed);
        if (now - shown < currentInterval && shown != 0)
            return;
        if (!m_currentShownAt.compare_exchange_strong(shown, now, std::memory_order_relaxed))
            return;
        std::lock_guard lock(m_currentMutex);
        m_currentFolder = QByteArray(path.constData(), path.size());
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr qint64 currentInterval = 100; // milliseconds

    std::atomic<bool> m_cancelled{false};
    std::atomic<qint64> m_folders{0};
    std::atomic<qint64> m_files{0};
    std::atomic<double> m_bytes{0}; // past 2^64 too
    std::atomic<qint64> m_currentShownAt{0};
    mutable std::mutex m_currentMutex;
    QByteArray m_currentFolder;
};
