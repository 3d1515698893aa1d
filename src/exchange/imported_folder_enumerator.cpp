#include "exchange/imported_folder_enumerator.h"

#include <vector>

namespace {

class ImportedWalk final : public FolderWalk
{
public:
    ImportedWalk(const ImportedTree &tree, const QByteArray &rootPath) : m_tree(tree), m_rootPath(rootPath) {}

    bool list(const QByteArray &folderPath, EntryDetail detail, FolderListing &listing) override
    {
        listing.clear();
        const ImportedTree::Index folder = resolve(folderPath);
        if (folder == ImportedTree::none || !m_tree.listable(folder))
            return false;
        for (ImportedTree::Index child = m_tree.firstChild(folder); child != ImportedTree::none; child = m_tree.nextSibling(child))
            listing.subFolders.append(m_tree.name(child));
        listing.files = m_tree.files(folder);
        listing.unreadable = m_tree.readError(folder);
        listing.hiddenNames = m_tree.holdsHiddenNames(folder);
        // The export's files live on only as their folder's sum.
        if (detail != EntryDetail::NamesAndTypes)
            listing.fileBytes = m_tree.fileBytes(folder);
        return true;
    }

private:
    // The folder at a path, found from the deepest folder of the last path resolved that
    // is a prefix of it: a depth-first walk goes one name further each time.
    ImportedTree::Index resolve(const QByteArray &folderPath)
    {
        if (!folderPath.startsWith(m_rootPath) || !folderPath.startsWith(m_tree.rootPath()))
            return ImportedTree::none;
        while (!m_trail.empty()
               && !(m_trail.back().pathLength <= folderPath.size()
                    && QByteArrayView(folderPath).first(m_trail.back().pathLength) == QByteArrayView(m_lastPath).first(m_trail.back().pathLength)))
            m_trail.pop_back();
        if (m_trail.empty())
            m_trail.push_back({ImportedTree::root, m_tree.rootPath().size()});
        m_lastPath = folderPath;
        const ImportedTree::Index folder = m_tree.find(folderPath, m_trail.back().folder, m_trail.back().pathLength);
        if (folder != ImportedTree::none && m_trail.back().pathLength < folderPath.size())
            m_trail.push_back({folder, folderPath.size()});
        return folder;
    }

    struct Step {
        ImportedTree::Index folder;
        qsizetype pathLength;
    };

    const ImportedTree &m_tree;
    QByteArray m_rootPath;
    QByteArray m_lastPath;
    std::vector<Step> m_trail; // folders found along m_lastPath, with the length of each one's path
};

} // namespace

std::unique_ptr<FolderWalk> ImportedFolderEnumerator::startWalk(const QByteArray &rootPath)
{
    return std::make_unique<ImportedWalk>(m_tree, rootPath);
}
