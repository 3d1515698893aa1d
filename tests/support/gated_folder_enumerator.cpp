#include "support/gated_folder_enumerator.h"

#include <chrono>
#include <thread>

namespace {

class GatedWalk final : public FolderWalk
{
public:
    GatedWalk(GatedFolderEnumerator &gate, const QByteArray &rootPath) : m_gate(gate), m_real(gate.real().startWalk(rootPath))
    {
        m_gate.walkStarted();
    }
    ~GatedWalk() override { m_gate.walkEnded(); }

    bool list(const QByteArray &folderPath, EntryDetail detail, FolderListing &listing) override
    {
        m_gate.passGate(folderPath);
        return m_real->list(folderPath, detail, listing);
    }

    // Only listings wait at the gate.
    bool reachable(const QByteArray &folderPath) override { return m_real->reachable(folderPath); }

private:
    GatedFolderEnumerator &m_gate;
    std::unique_ptr<FolderWalk> m_real;
};

} // namespace

GatedFolderEnumerator::GatedFolderEnumerator(FolderEnumerator &real, const QByteArray &gatedPath)
    : m_real(real)
    , m_gatedPath(gatedPath)
{
}

GatedFolderEnumerator::~GatedFolderEnumerator()
{
    // A scan the window stopped and left behind may still be walking: it is let through
    // and waited for, since its walks refer to this gate.
    open();
    while (m_walks.load() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::unique_ptr<FolderWalk> GatedFolderEnumerator::startWalk(const QByteArray &rootPath)
{
    return std::make_unique<GatedWalk>(*this, rootPath);
}

void GatedFolderEnumerator::open()
{
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_opened.notify_all();
}

void GatedFolderEnumerator::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_reached = false;
}

void GatedFolderEnumerator::passGate(const QByteArray &folderPath)
{
    ++m_listings;
    if (folderPath != m_gatedPath)
        return;
    m_reached = true;
    std::unique_lock lock(m_mutex);
    m_opened.wait(lock, [this] { return m_open; });
}
