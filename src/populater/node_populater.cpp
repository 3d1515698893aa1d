#include "populater/node_populater.h"

#include "platform/folder_path.h"
#include "platform/number_text.h"
#include "platform/operation_error.h"
#include "scan/folder_size_scan.h"
#include "populater/size_text.h"
#include "populater/sub_folders.h"

#include <algorithm>
#include <vector>

cNodePopulater::cNodePopulater(FolderEnumerator &fileSystem)
    : m_fileSystem(fileSystem)
{
}

void cNodePopulater::ExpandNode(TreeNode &node)
{
    if (node.children() == 0)
        return;
    if (node.child()->text() == placeholderText && !requireTree().removeNode(node.child()->index()))
        throw OperationError("プレースホルダーを削除できません: " + displayText(node.key()).toStdString());
    PopulateNode(node.key());
}

void cNodePopulater::PopulateNode(const QByteArray &sStartFolder)
{
    // Only folders with a node of this object are filled in, and each only once.
    const bool *populated = colPopulated.item(sStartFolder);
    if (!populated || *populated || !m_walk)
        return;

    std::vector<QByteArray> names;
    const int count = GetSubFolders(*m_walk, sStartFolder, names);
    for (int i = 0; i < count; ++i) {
        const QByteArray &name = names[size_t(i)];
        const QByteArray childPath = subFolderPath(sStartFolder, name);
        // A sub-folder made after the scan has no record: it shows 0 bytes, and its own
        // listing tells whether it can be opened.
        const std::optional<SizeRecord> record = cachedRecord(childPath);
        const double size = record ? record->size : 0;
        TreeNode *child = m_oTreeView ? m_oTreeView->addNode(&sStartFolder, &childPath, nodeText(childPath, name, size)) : nullptr;
        // A child that cannot be added (no tree, key in use) is skipped whole, so none of
        // its steps land on another node.
        if (!child)
            continue;
        child->setTag(numberText(size));
        colPopulated.add(childPath, false); // a path already there is skipped
        const bool hasSubFolders = record ? record->hasSubFolders : HoldsSubFolders(*m_walk, childPath);
        if (hasSubFolders)
            m_oTreeView->addNode(&childPath, nullptr, placeholderText);
    }
    *colPopulated.item(sStartFolder) = true;
}

void cNodePopulater::SetRoot(const QByteArray &sRootFolder)
{
    TreeControl &tree = requireTree();
    tree.clearNodes();
    bool hasSubFolders = false;
    const double total = GetFolderSize(sRootFolder, hasSubFolders);
    addRootNode(tree, sRootFolder, total);
}

void cNodePopulater::SetRootScanned(const QByteArray &sRootFolder, SizeCache &&records, double total)
{
    TreeControl &tree = requireTree();
    tree.clearNodes();
    colSizeCache = std::move(records);
    addRootNode(tree, sRootFolder, total);
}

void cNodePopulater::RescanFolder(const QByteArray &folderPath, SizeCache &&records, double total)
{
    TreeControl &tree = requireTree();
    TreeNode *node = tree.node(folderPath);
    if (!node)
        return;
    const double change = total - sizeOfTag(*node);

    colSizeCache.removeAtOrBelow(folderPath);
    colSizeCache.addAll(records);
    for (QByteArray ancestor = parentFolderPath(folderPath); isAtOrBelow(ancestor, m_rootFolder) && !ancestor.isEmpty();
         ancestor = parentFolderPath(ancestor)) {
        if (std::optional<SizeRecord> updated = colSizeCache.record(ancestor)) {
            updated->size += change;
            colSizeCache.update(ancestor, *updated);
        }
        if (TreeNode *above = tree.node(ancestor))
            setNodeSize(*above, ancestor, sizeOfTag(*above) + change);
    }

    // The folder's own node: its size, and its children made anew from the new records.
    setNodeSize(*node, folderPath, total);
    const bool *populated = colPopulated.item(folderPath);
    const bool wasPopulated = populated && *populated;
    while (TreeNode *child = node->child()) {
        if (!tree.removeNode(child->index()))
            throw OperationError("ノードを削除できません: " + displayText(child->key()).toStdString());
    }
    colPopulated.removeIf([&](const QByteArray &key) { return isAtOrBelow(key, folderPath) && key != folderPath; });
    if (bool *mark = colPopulated.item(folderPath))
        *mark = false;
    if (wasPopulated) {
        PopulateNode(folderPath);
    } else if (const std::optional<SizeRecord> record = cachedRecord(folderPath); record && record->hasSubFolders) {
        tree.addNode(&folderPath, nullptr, placeholderText);
    }
}

void cNodePopulater::setNodeSize(TreeNode &node, const QByteArray &folderPath, double size) const
{
    node.setText(nodeText(folderPath, GetFolderName(folderPath), size));
    node.setTag(numberText(size));
}

QString cNodePopulater::nodeText(const QByteArray &folderPath, const QByteArray &name, double size) const
{
    QString text = displayText(name) + QStringLiteral(" 【") + FormatSize(size) + QStringLiteral("】");
    if (const quint8 marks = marksOf(folderPath))
        text += QLatin1Char(' ') + MarkText(marks);
    return text;
}

quint8 cNodePopulater::marksOf(const QByteArray &folderPath) const
{
    return colSizeCache.marks(folderPath);
}

bool cNodePopulater::isListable(const QByteArray &folderPath)
{
    return m_walk && m_walk->reachable(folderPath);
}

void cNodePopulater::addRootNode(TreeControl &tree, const QByteArray &sRootFolder, double total)
{
    m_rootFolder = sRootFolder;
    TreeNode *root = tree.addNode(nullptr, &sRootFolder, nodeText(sRootFolder, GetFolderName(sRootFolder), total));
    if (!root)
        throw OperationError("ルートノードを追加できません: " + displayText(sRootFolder).toStdString());
    root->setTag(numberText(total));
    colPopulated.add(sRootFolder, false);
    m_walk = m_fileSystem.startWalk(sRootFolder);
}

double cNodePopulater::GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders)
{
    FolderSizeScan scan(m_fileSystem, colSizeCache);
    return scan.GetFolderSize(folderPath, hasSubFolders);
}

std::optional<SizeRecord> cNodePopulater::cachedRecord(const QByteArray &folderPath) const
{
    return colSizeCache.record(folderPath);
}

double cNodePopulater::ownFilesSizeOf(const TreeNode &node, double subFoldersSize) const
{
    if (const std::optional<double> counted = colSizeCache.ownFilesSize(node.key()))
        return *counted;
    // A folder no scan counted (a tree filled by hand has only its nodes' sizes): what
    // its sub-folders leave of its size, and never less than nothing.
    return std::max(sizeOfTag(node) - subFoldersSize, 0.0);
}

TreeControl &cNodePopulater::requireTree() const
{
    if (!m_oTreeView)
        throw OperationError("フォルダツリーが設定されていません。");
    return *m_oTreeView;
}
