#pragma once

#include "exchange/imported_tree.h"
#include "platform/folder_enumerator.h"

// Walks a tree read from an export as the scan walks a file system, so that the size
// scan, the folder tree and the graph work on it unchanged. Paths are the export's.
class ImportedFolderEnumerator final : public FolderEnumerator
{
public:
    explicit ImportedFolderEnumerator(const ImportedTree &tree) : m_tree(tree) {}
    std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) override;

private:
    const ImportedTree &m_tree;
};
