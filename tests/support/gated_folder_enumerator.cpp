#include "support/gated_folder_enumerator.h"

namespace {

class GatedWalk final : public FolderWalk
{
public:
    GatedWalk(GatedFolderEnumerator &gate, const QByteArray &rootPath) : m_gate(gate), m_real(gate.real().startWalk(rootPath)) {}

    bool list(const QByteArray &folderPath, EntryDetail detail, FolderListing &listing) override
    {
        m_gate.passGate(folderPath);
        return m_real->list(folderPath, detail, listing);
    }

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
