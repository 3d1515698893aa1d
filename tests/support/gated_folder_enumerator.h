#pragma once

#include "platform/folder_enumerator.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>

// Enumerates through the real file system, except that listing one chosen folder waits
// at a gate until the test opens it: a scan that takes as long as the test needs.
class GatedFolderEnumerator final : public FolderEnumerator
{
public:
    GatedFolderEnumerator(FolderEnumerator &real, const QByteArray &gatedPath);
    ~GatedFolderEnumerator() override;
    std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) override;

    bool reached() const { return m_reached.load(); }
    void open();
    // Shuts the gate again for the next walk that reaches the folder.
    void close();
    int listings() const { return m_listings.load(); }

    // Called by the walks.
    void passGate(const QByteArray &folderPath);
    FolderEnumerator &real() { return m_real; }
    void walkStarted() { ++m_walks; }
    void walkEnded() { --m_walks; }

private:
    FolderEnumerator &m_real;
    QByteArray m_gatedPath;
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
    std::atomic<bool> m_reached{false};
    std::atomic<int> m_listings{0};
    std::atomic<int> m_walks{0};
};
