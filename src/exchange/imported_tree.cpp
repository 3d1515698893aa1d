#include "exchange/imported_tree.h"

#include "exchange/ncdu_reader.h"
#include "platform/folder_path.h"
#include "scan/scan_control.h"

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
    explicit ImportedTreeBuilder(ScanControl *control) : m_control(control) {}

    bool beginFolder(const Item &folder, qint64 offset) override
    {
        checkpoint();
        if (m_open.empty()) {
            m_tree.m_rootPath = folder.name.endsWith(folderSeparator) ? folder.name : folder.name + folderSeparator;
            m_path = m_tree.m_rootPath;
            m_tree.m_folders.push_back({});
            m_tree.m_folders.back().excluded = folder.excluded;
            m_tree.m_folders.back().readError = folder.readError;
            if (folder.excluded)
                return excludedFolderEnds(m_path.size());
            m_open.push_back(ImportedTree::root);
            return true;
        }
        // A hidden folder is left out with all below it, and its folder says so.
        if (isHidden(folder.name)) {
            m_tree.m_folders[m_open.back()].hiddenNames = true;
            return false;
        }
        m_path += folder.name;
        m_path += folderSeparator;
        const ImportedTree::Index added = addFolder(folder, offset);
        // What an excluded folder holds was never read: nothing below it counts.
        if (folder.excluded)
            return excludedFolderEnds(folder.name.size() + 1);
        m_open.push_back(added);
        return true;
    }

    void file(const Item &file, qint64) override
    {
        ImportedTree::Folder &folder = m_tree.m_folders[m_open.back()];
        if (isHidden(file.name))
            folder.hiddenNames = true;
        if (isHidden(file.name) || file.excluded)
            return;
        // Past 2^64 the sum carries rather than wraps: each size is below 2^63, so it
        // takes 2^33 files to fill the carry, far more than a folder can hold.
        if (file.asize > ~quint64(0) - folder.fileBytes)
            ++folder.fileBytesCarried;
        folder.fileBytes += file.asize;
        ++folder.files;
    }

    void endFolder() override
    {
        const ImportedTree::Index done = m_open.back();
        const ImportedTree::Folder &folder = m_tree.m_folders[done];
        if (m_control)
            m_control->folderListed(m_path, folder.files, m_tree.fileBytes(done));
        m_open.pop_back();
        m_path.chop(done == ImportedTree::root ? m_path.size() : qsizetype(folder.nameLength) + 1);
    }

    void checkpoint() override
    {
        if (m_control && m_control->cancelRequested())
            throw Cancelled{};
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
            throw FormatError(offset, {QStringLiteral("40 億未満のフォルダ"), QStringLiteral("fewer than 4 billion folders")},
                              {QStringLiteral("それを超えるフォルダ"), QStringLiteral("more")});
        const auto index = ImportedTree::Index(m_tree.m_folders.size());
        ImportedTree::Folder folder;
        folder.nameOffset = quint64(m_tree.m_names.size());
        folder.nameLength = quint32(item.name.size());
        folder.excluded = item.excluded;
        folder.readError = item.readError;
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

    // An excluded folder is listed, empty, at once: the reader tells nothing more of it.
    bool excludedFolderEnds(qsizetype pathPartLength)
    {
        if (m_control)
            m_control->folderListed(m_path, 0, 0);
        m_path.chop(pathPartLength);
        return false;
    }

    ScanControl *m_control;
    ImportedTree m_tree;
    std::vector<ImportedTree::Index> m_open;
    QByteArray m_path;
};

ImportedTree::Outcome ImportedTree::read(QIODevice &in, ScanControl *control)
{
    ImportedTreeBuilder builder(control);
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
