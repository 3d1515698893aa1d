#include "controls/widgets/breakdown_list_widget.h"

#include "platform/key_comparison.h"

#include <QCollator>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

constexpr int sizeRole = Qt::UserRole;

class BreakdownListItem final : public QTreeWidgetItem, public ListRow
{
public:
    BreakdownListItem(const QByteArray &key, const QString &text) : QTreeWidgetItem(QStringList{text}), m_key(key) {}
    void setSubItem(int index, const QString &text) override { setText(index, text); }
    void setSortSize(double size) override { setData(0, sizeRole, size); }
    const QByteArray &key() const { return m_key; }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 0)
            return nameOrder().compare(text(0), other.text(0)) < 0;
        return data(0, sizeRole).toDouble() < other.data(0, sizeRole).toDouble();
    }

private:
    // Names sort as the tree sorts folders: the locale's order, letter case aside.
    static const QCollator &nameOrder()
    {
        static const QCollator collator = [] {
            QCollator made;
            made.setCaseSensitivity(Qt::CaseInsensitive);
            return made;
        }();
        return collator;
    }

    QByteArray m_key;
};

QByteArray keyOf(const QTreeWidgetItem *item)
{
    return item ? static_cast<const BreakdownListItem *>(item)->key() : QByteArray();
}

// A text cut short to fit its column shows in full as a tooltip; one that fits shows
// none.
class ElidedTextToolTips final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QStyle *style = item.widget ? item.widget->style() : view->style();
        // The style draws the text inside its rectangle less a margin on each side.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
        const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget).width() - 2 * margin;
        if (item.fontMetrics.horizontalAdvance(item.text) > room)
            QToolTip::showText(event->globalPos(), item.text, view->viewport(), view->visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace

BreakdownListWidget::BreakdownListWidget(QWidget *parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextElideMode(Qt::ElideRight);
    setItemDelegate(new ElidedTextToolTips(this));
    header()->setSectionsMovable(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &BreakdownListWidget::sortByHeader);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) { emit rowActivated(keyOf(item)); });
}

void BreakdownListWidget::clearRows()
{
    clear();
    m_keys.clear();
}

ListRow *BreakdownListWidget::addRow(const QByteArray &key, const QString &text)
{
    const QByteArray comparable = comparableKey(key, pathKeyComparison);
    if (m_keys.contains(comparable))
        return nullptr;
    m_keys.insert(comparable);
    auto *row = new BreakdownListItem(key, text);
    addTopLevelItem(row);
    return row;
}

void BreakdownListWidget::sortByHeader(int column)
{
    // From the first click on, the header's own sorting goes on: the same header again
    // reverses the order, another starts with the smallest.
    if (isSortingEnabled())
        return;
    for (int section = 0; section < columnCount(); ++section)
        headerItem()->setData(section, Qt::InitialSortOrderRole, Qt::AscendingOrder);
    header()->setSortIndicator(column, Qt::AscendingOrder);
    setSortingEnabled(true);
}

QByteArray BreakdownListWidget::keyAt(int row) const
{
    return keyOf(topLevelItem(row));
}

void BreakdownListWidget::selectRows(const std::vector<QByteArray> &keys)
{
    QSet<QByteArray> wanted;
    for (const QByteArray &key : keys)
        wanted.insert(comparableKey(key, pathKeyComparison));
    clearSelection();
    QTreeWidgetItem *first = nullptr;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = topLevelItem(row);
        if (!wanted.contains(comparableKey(keyOf(item), pathKeyComparison)))
            continue;
        item->setSelected(true);
        if (!first)
            first = item;
    }
    if (first) {
        setCurrentItem(first, 0, QItemSelectionModel::NoUpdate);
        scrollToItem(first);
    }
}

QByteArray BreakdownListWidget::currentKey() const
{
    return keyOf(currentItem());
}

void BreakdownListWidget::keyPressEvent(QKeyEvent *event)
{
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit rowActivated(currentKey());
    } else if (plain && event->key() == Qt::Key_Backspace) {
        emit backRequested();
    } else if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        if (QTreeWidgetItem *current = currentItem())
            emit rowMenuRequested(keyOf(current), viewport()->mapToGlobal(visualItemRect(current).bottomLeft()));
    } else {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void BreakdownListWidget::contextMenuEvent(QContextMenuEvent *event)
{
    QTreeWidgetItem *row = event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
    if (!row)
        return;
    setCurrentItem(row);
    const QPoint place = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                     : viewport()->mapToGlobal(visualItemRect(row).bottomLeft());
    emit rowMenuRequested(keyOf(row), place);
}
