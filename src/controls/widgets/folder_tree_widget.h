#pragma once

#include "controls/tree_control.h"

#include <QHash>
#include <QTreeWidget>

class FolderTreeItem;

// The tree control over a QTreeWidget. Nodes are found by key through a hash, and each
// node links to its next sibling, so walking thousands of children stays linear.
class FolderTreeWidget final : public QTreeWidget, public TreeControl
{
    Q_OBJECT

public:
    explicit FolderTreeWidget(QWidget *parent = nullptr);
    ~FolderTreeWidget() override;

    void clearNodes() override;
    TreeNode *addNode(const QByteArray *relativeKey, const QByteArray *key, const QString &text) override;
    TreeNode *node(const QByteArray &key) const override;
    bool removeNode(int index) override;
    TreeNode *selectedItem() const override;
    void setExpandHandler(std::function<void(TreeNode &)> handler) override;
    void setNodeClickHandler(std::function<void(TreeNode &)> handler) override;

    // Selects a node and raises NodeClick for it, as a click of the user does.
    void clickNode(TreeNode &node);

    // The widget item that shows a node of this control.
    static QTreeWidgetItem *itemOf(TreeNode *node);
    static TreeNode *nodeOf(QTreeWidgetItem *item);

signals:
    // The pointer's button, the Menu key or Shift+F10 on a node: where its menu goes.
    void nodeMenuRequested(TreeNode *node, const QPoint &globalPosition);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    friend class FolderTreeItem;
    void forget(FolderTreeItem *node);
    void requestMenuAtCurrent();

    QHash<QByteArray, FolderTreeItem *> m_byKey;
    QHash<int, FolderTreeItem *> m_byIndex;
    int m_nextIndex = 1;
    std::function<void(TreeNode &)> m_expandHandler;
    std::function<void(TreeNode &)> m_nodeClickHandler;
};
