#include "exchange/imported_tree.h"

#include "exchange/ncdu_reader.h"
#include "platform/folder_path.h"
#include "populater/scan_control.h"

using NcduFormat::FormatError;
using NcduFormat::Item;

namespace {

bool isHidden(const QByteArray &name)
{
    return name.startsWith('.');
}

} // namespace

// Builds the tree as the reader hands over the entries, applying the counting rules.
class ImportedTreeBuilder final : public NcduReceiver
{
public:
    ImportedTreeBuilder(ScanControl *control, qint64 pathBudget) : m_control(control), m_pathBudget(pathBudget) {}

    void beginFolder(const Item &folder, qint64 offset) override
    {
        if (m_skippedDepth > 0 || m_insideExcluded) {
            ++m_skippedDepth;
            return;
        }
        if (m_open.empty()) {
            m_tree.m_rootPath = folder.name.endsWith(folderSeparator) ? folder.name : folder.name + folderSeparator;
            m_path = m_tree.m_rootPath;
            chargePath(offset);
            m_tree.m_folders.push_back({});
            m_tree.m_folders.back().excluded = folder.excluded;
            m_open.push_back(ImportedTree::root);
        } else {
            if (isHidden(folder.name)) {
                m_skippedDepth = 1;
                return;
            }
            m_path += folder.name;
            m_path += folderSeparator;
            chargePath(offset);
            m_open.push_back(addFolder(folder, offset));
        }
        // What an excluded folder holds was never read: nothing below it counts.
        m_insideExcluded = folder.excluded;
        if (m_control && m_control->cancelRequested())
            throw Cancelled{};
    }

    void file(const Item &file, qint64 offset) override
    {
        if (m_skippedDepth > 0 || m_insideExcluded || isHidden(file.name) || file.excluded)
            return;
        ImportedTree::Folder &folder = m_tree.m_folders[m_open.back()];
        if (file.asize > ~quint64(0) - folder.fileBytes)
            throw FormatError(offset, QStringLiteral("2^64 バイト未満のフォルダの合計"), QStringLiteral("それを超える合計"));
        folder.fileBytes += file.asize;
        ++folder.files;
    }

    void endFolder() override
    {
        if (m_skippedDepth > 0) {
            --m_skippedDepth;
            return;
        }
        m_insideExcluded = false;
        const ImportedTree::Index done = m_open.back();
        const ImportedTree::Folder &folder = m_tree.m_folders[done];
        if (m_control)
            m_control->folderListed(m_path, folder.files, folder.fileBytes);
        m_open.pop_back();
        m_path.chop(done == ImportedTree::root ? m_path.size() : qsizetype(folder.nameLength) + 1);
    }

    ImportedTree take()
    {
        m_tree.indexChildren();
        return std::move(m_tree);
    }

    struct Cancelled {};

private:
    ImportedTree::Index addFolder(const Item &item, qint64 offset)
    {
        if (m_tree.m_folders.size() >= ImportedTree::none)
            throw FormatError(offset, QStringLiteral("40 億未満のフォルダ"), QStringLiteral("それを超えるフォルダ"));
        const auto index = ImportedTree::Index(m_tree.m_folders.size());
        ImportedTree::Folder folder;
        folder.nameOffset = quint64(m_tree.m_names.size());
        folder.nameLength = quint32(item.name.size());
        folder.excluded = item.excluded;
        m_tree.m_names += item.name;
        ImportedTree::Folder &parent = m_tree.m_folders[m_open.back()];
        if (parent.lastChild == ImportedTree::none)
            parent.firstChild = index;
        else
            m_tree.m_folders[parent.lastChild].nextSibling = index;
        parent.lastChild = index;
        m_tree.m_folders.push_back(folder);
        return index;
    }

    // Every folder's path becomes a key of its own: their lengths add up.
    void chargePath(qint64 offset)
    {
        m_pathBytes += m_path.size();
        if (m_pathBytes > m_pathBudget)
            throw FormatError(offset, QStringLiteral("合わせて %1 バイト以下のフォルダのパス").arg(m_pathBudget),
                              QStringLiteral("それを超える深さと数のフォルダ"));
    }

    ScanControl *m_control;
    qint64 m_pathBudget;
    qint64 m_pathBytes = 0;
    ImportedTree m_tree;
    std::vector<ImportedTree::Index> m_open;
    QByteArray m_path;
    // Levels of folders left out, below a hidden folder or inside an excluded one.
    int m_skippedDepth = 0;
    bool m_insideExcluded = false;
};

ImportedTree::Outcome ImportedTree::read(QIODevice &in, ScanControl *control, qint64 pathBudget)
{
    ImportedTreeBuilder builder(control, pathBudget);
    Outcome outcome;
    try {
        if ((outcome.error = readNcduExport(in, builder)))
            return outcome;
    } catch (const ImportedTreeBuilder::Cancelled &) {
        outcome.cancelled = true;
        return outcome;
    }
    outcome.tree = builder.take();
    return outcome;
}

void ImportedTree::indexChildren()
{
    m_children.reserve(qsizetype(m_folders.size()));
    for (Index parent = 0; parent < m_folders.size(); ++parent) {
        for (Index child = m_folders[parent].firstChild; child != none; child = m_folders[child].nextSibling)
            m_children.insert({parent, name(child)}, child);
    }
}

QByteArrayView ImportedTree::name(Index folder) const
{
    const Folder &entry = m_folders[folder];
    return QByteArrayView(m_names.constData() + entry.nameOffset, entry.nameLength);
}

ImportedTree::Index ImportedTree::child(Index parent, QByteArrayView childName) const
{
    return m_children.value({parent, childName}, none);
}

ImportedTree::Index ImportedTree::find(QByteArrayView path, Index from, qsizetype fromPathLength) const
{
    Index folder = from;
    qsizetype start = fromPathLength;
    while (folder != none && start < path.size()) {
        const qsizetype end = path.indexOf(folderSeparator, start);
        if (end < 0)
            return none;
        folder = child(folder, path.sliced(start, end - start));
        start = end + 1;
    }
    return folder;
}
