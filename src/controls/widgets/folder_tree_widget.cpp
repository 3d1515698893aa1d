#include "controls/widgets/folder_tree_widget.h"

#include "platform/key_comparison.h"

#include <QContextMenuEvent>
#include <QKeyEvent>

class FolderTreeItem final : public QTreeWidgetItem, public TreeNode
{
public:
    FolderTreeItem(FolderTreeWidget *control, const QByteArray &key, bool hasKey, int index, const QString &text)
        : QTreeWidgetItem(QStringList{text})
        , m_control(control)
        , m_key(key)
        , m_hasKey(hasKey)
        , m_index(index)
    {
    }

    // QTreeWidgetItem then deletes the children, which forget themselves the same way.
    ~FolderTreeItem() override { m_control->forget(this); }

    QByteArray key() const override { return m_key; }
    bool hasKey() const { return m_hasKey; }
    QString text() const override { return QTreeWidgetItem::text(0); }
    void setText(const QString &text) override { QTreeWidgetItem::setText(0, text); }
    QString tag() const override { return m_tag; }
    void setTag(const QString &tag) override { m_tag = tag; }
    int children() const override { return childCount(); }
    TreeNode *child() const override { return childCount() ? static_cast<FolderTreeItem *>(QTreeWidgetItem::child(0)) : nullptr; }
    TreeNode *next() const override { return m_next; }
    int index() const override { return m_index; }

    FolderTreeItem *m_next = nullptr;

private:
    FolderTreeWidget *m_control;
    QByteArray m_key;
    bool m_hasKey;
    int m_index;
    QString m_tag;
};

namespace {

FolderTreeItem *asNode(QTreeWidgetItem *item)
{
    return static_cast<FolderTreeItem *>(item);
}

QByteArray hashKey(const QByteArray &key)
{
    return comparableKey(key, pathKeyComparison);
}

} // namespace

FolderTreeWidget::FolderTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (m_expandHandler)
            m_expandHandler(*asNode(item));
    });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (m_nodeClickHandler)
            m_nodeClickHandler(*asNode(item));
    });
}

FolderTreeWidget::~FolderTreeWidget()
{
    clearNodes();
}

void FolderTreeWidget::clearNodes()
{
    clear();
    m_byKey.clear();
    m_byIndex.clear();
}

TreeNode *FolderTreeWidget::addNode(const QByteArray *relativeKey, const QByteArray *key, const QString &text)
{
    if (key && m_byKey.contains(hashKey(*key)))
        return nullptr;
    FolderTreeItem *parent = nullptr;
    if (relativeKey) {
        parent = m_byKey.value(hashKey(*relativeKey));
        if (!parent)
            return nullptr;
    }

    auto *node = new FolderTreeItem(this, key ? *key : QByteArray(), key != nullptr, m_nextIndex++, text);
    FolderTreeItem *previous = nullptr;
    if (parent) {
        previous = parent->childCount() ? asNode(parent->QTreeWidgetItem::child(parent->childCount() - 1)) : nullptr;
        parent->addChild(node);
    } else {
        previous = topLevelItemCount() ? asNode(topLevelItem(topLevelItemCount() - 1)) : nullptr;
        addTopLevelItem(node);
    }
    if (previous)
        previous->m_next = node;
    if (key)
        m_byKey.insert(hashKey(*key), node);
    m_byIndex.insert(node->index(), node);
    return node;
}

TreeNode *FolderTreeWidget::node(const QByteArray &key) const
{
    return m_byKey.value(hashKey(key));
}

bool FolderTreeWidget::removeNode(int index)
{
    FolderTreeItem *node = m_byIndex.value(index);
    if (!node)
        return false;
    QTreeWidgetItem *parent = node->parent();
    const int position = parent ? parent->indexOfChild(node) : indexOfTopLevelItem(node);
    if (position > 0)
        asNode(parent ? parent->QTreeWidgetItem::child(position - 1) : topLevelItem(position - 1))->m_next = node->m_next;
    delete node;
    return true;
}

TreeNode *FolderTreeWidget::selectedItem() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? nullptr : asNode(selected.first());
}

void FolderTreeWidget::setExpandHandler(std::function<void(TreeNode &)> handler)
{
    m_expandHandler = std::move(handler);
}

void FolderTreeWidget::setNodeClickHandler(std::function<void(TreeNode &)> handler)
{
    m_nodeClickHandler = std::move(handler);
}

void FolderTreeWidget::clickNode(TreeNode &node)
{
    setCurrentItem(itemOf(&node), 0, QItemSelectionModel::ClearAndSelect);
    if (m_nodeClickHandler)
        m_nodeClickHandler(node);
}

QTreeWidgetItem *FolderTreeWidget::itemOf(TreeNode *node)
{
    return static_cast<FolderTreeItem *>(node);
}

TreeNode *FolderTreeWidget::nodeOf(QTreeWidgetItem *item)
{
    return asNode(item);
}

void FolderTreeWidget::keyPressEvent(QKeyEvent *event)
{
    // The platform turns the Menu key into a context menu event; Shift+F10 is ours.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        requestMenuAtCurrent();
        event->accept();
        return;
    }
    const bool activates = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    switch (activates ? event->key() : Qt::Key_unknown) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // The current node may never have been selected (the first node added becomes
        // current on its own); activating it selects it, as a click does.
        if (QTreeWidgetItem *current = currentItem())
            clickNode(*asNode(current));
        event->accept();
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void FolderTreeWidget::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() != QContextMenuEvent::Mouse) {
        requestMenuAtCurrent();
        return;
    }
    QTreeWidgetItem *item = itemAt(event->pos());
    if (!item)
        return;
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
    emit nodeMenuRequested(asNode(item), event->globalPos());
}

void FolderTreeWidget::requestMenuAtCurrent()
{
    QTreeWidgetItem *current = currentItem();
    if (!current)
        return;
    setCurrentItem(current, 0, QItemSelectionModel::ClearAndSelect);
    scrollToItem(current);
    const QRect place = visualItemRect(current);
    emit nodeMenuRequested(asNode(current), viewport()->mapToGlobal(QPoint(place.left() + 16, place.bottom())));
}

void FolderTreeWidget::forget(FolderTreeItem *node)
{
    if (node->hasKey())
        m_byKey.remove(hashKey(node->key()));
    m_byIndex.remove(node->index());
}
