#pragma once

#include "platform/folder_enumerator.h"
#include "platform/keyed_collection.h"
#include "platform/tree_control.h"
#include "populater/size_record.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Fills a folder tree one level at a time. SetRoot adds up everything below the root
// in one scan, which leaves a size record for every folder, and adds the root node;
// PopulateNode adds a folder's children from its sub-folder listing and the records;
// ExpandNode swaps a node's "FILLER" placeholder for its real children.
//
// A folder node has the folder's path as key, "name 【size text】" as text and the
// number text of its size as tag; a folder that has sub-folders gets one placeholder
// child with the text "FILLER" until it is filled in.
class cNodePopulater
{
public:
    explicit cNodePopulater(FolderEnumerator &fileSystem);

    TreeControl *oTreeView() const { return m_oTreeView; }
    void setOTreeView(TreeControl *tree) { m_oTreeView = tree; }

    // Errors go to the caller (OperationError): no tree set, a failing tree operation.
    void ExpandNode(TreeNode &node);

    // Does its part for the folder once, and only for a folder that has a node made by
    // this object; every step that fails is skipped and the next one runs.
    void PopulateNode(const QByteArray &sStartFolder);

    // Errors go to the caller (OperationError): no tree set, a failing tree operation.
    void SetRoot(const QByteArray &sRootFolder);

    static inline const QString placeholderText = QStringLiteral("FILLER");

private:
    double GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders);
    std::optional<SizeRecord> cachedRecord(const QByteArray &folderPath) const;
    TreeControl &requireTree() const;

    FolderEnumerator &m_fileSystem;
    TreeControl *m_oTreeView = nullptr;
    KeyedCollection<bool> colPopulated{pathKeyComparison}; // folder path → children made
    SizeCache colSizeCache{pathKeyComparison};
};
