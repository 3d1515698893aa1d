#include "support/faulty_folder_enumerator.h"

namespace {

class FaultyWalk final : public FolderWalk
{
public:
    FaultyWalk(std::unique_ptr<FolderWalk> real, const QByteArrayList &failingPaths)
        : m_real(std::move(real))
        , m_failingPaths(failingPaths)
    {
    }

    bool list(const QByteArray &folderPath, EntryDetail detail, FolderListing &listing) override
    {
        if (m_failingPaths.contains(folderPath)) {
            listing.clear();
            listing.unreadable = true;
            return false;
        }
        return m_real->list(folderPath, detail, listing);
    }

    bool reachable(const QByteArray &folderPath) override { return !m_failingPaths.contains(folderPath) && m_real->reachable(folderPath); }

private:
    std::unique_ptr<FolderWalk> m_real;
    const QByteArrayList &m_failingPaths;
};

} // namespace

FaultyFolderEnumerator::FaultyFolderEnumerator(FolderEnumerator &real, QByteArrayList failingPaths)
    : m_real(real)
    , m_failingPaths(std::move(failingPaths))
{
}

std::unique_ptr<FolderWalk> FaultyFolderEnumerator::startWalk(const QByteArray &rootPath)
{
    return std::make_unique<FaultyWalk>(m_real.startWalk(rootPath), m_failingPaths);
}
