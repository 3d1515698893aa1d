#pragma once

#include "controls/drawing_surface.h"
#include "controls/list_box.h"
#include "controls/list_view.h"
#include "controls/tree_control.h"
#include "platform/folder_enumerator.h"
#include "platform/keyed_collection.h"
#include "scan/size_cache.h"

#include <QByteArray>
#include <QString>

#include <memory>
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

    // Where GraphNode writes the breakdown rows, and where its chart writes its lines.
    void setBreakdownList(ListView *list) { m_breakdownList = list; }
    void setChartLines(ListBox *lines) { m_chartLines = lines; }

    // Errors go to the caller (OperationError): no tree set, a failing tree operation.
    void ExpandNode(TreeNode &node);

    // Does its part for the folder once, and only for a folder that has a node made by
    // this object; every step that fails is skipped and the next one runs.
    void PopulateNode(const QByteArray &sStartFolder);

    // Graphs a folder node: one pie section per child of non-zero size and
    // "単一フォルダ" for the files lying directly in the folder, sorted smallest
    // first; a breakdown row per section with its size text and its share of the
    // selected node's size; then the pie on Canvas. eOrder is not read. Errors go to
    // the caller (OperationError).
    void GraphNode(TreeNode &n, DrawingSurface *Canvas, qint32 eOrder);

    // Errors go to the caller (OperationError): no tree set, a failing tree operation.
    void SetRoot(const QByteArray &sRootFolder);

    // SetRoot with the scan already done, elsewhere: its records, with their marks,
    // become the size cache.
    void SetRootScanned(const QByteArray &sRootFolder, SizeCache &&records, double total);

    // A fresh scan of a folder that has a node replaces the records of the folder and
    // everything below it, and the change in its total goes up to the root: every
    // ancestor's record, text and tag. The folder's node is made anew below: filled in
    // again when it had been, else given a placeholder when it has sub-folders. Nothing
    // happens for a folder without a node. Errors go to the caller (OperationError).
    void RescanFolder(const QByteArray &folderPath, SizeCache &&records, double total);

    const QByteArray &rootFolder() const { return m_rootFolder; }

    // What a folder's size leaves out, as the scan found it (bits of FolderMark).
    quint8 marksOf(const QByteArray &folderPath) const;

    // Whether the folder can still be listed: false when it is gone, or can no longer be
    // read, since the scan.
    bool isListable(const QByteArray &folderPath);

    static inline const QString placeholderText = QStringLiteral("FILLER");
    static inline const QString ownFilesText = QStringLiteral("単一フォルダ");

private:
    double GetFolderSize(const QByteArray &folderPath, bool &hasSubFolders);
    void addRootNode(TreeControl &tree, const QByteArray &sRootFolder, double total);
    std::optional<SizeRecord> cachedRecord(const QByteArray &folderPath) const;
    double ownFilesSizeOf(const TreeNode &node, double subFoldersSize) const;
    void setNodeSize(TreeNode &node, const QByteArray &folderPath, double size) const;
    QString nodeText(const QByteArray &folderPath, const QByteArray &name, double size) const;
    TreeControl &requireTree() const;
    double sizeOfTag(const TreeNode &node) const;

    FolderEnumerator &m_fileSystem;
    std::unique_ptr<FolderWalk> m_walk; // from the root, for the sub-folder listings
    TreeControl *m_oTreeView = nullptr;
    ListView *m_breakdownList = nullptr;
    ListBox *m_chartLines = nullptr;
    KeyedCollection<bool> colPopulated{pathKeyComparison}; // folder path → children made
    SizeCache colSizeCache{pathKeyComparison};
    QByteArray m_rootFolder;
};
