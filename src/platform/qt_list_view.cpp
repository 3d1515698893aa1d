#include "platform/qt_list_view.h"

#include "platform/key_comparison.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

class QtListRow final : public QTreeWidgetItem, public ListRow
{
public:
    explicit QtListRow(const QString &text) : QTreeWidgetItem(QStringList{text}) {}
    void setSubItem(int index, const QString &text) override { setText(index, text); }
};

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

QtListView::QtListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextElideMode(Qt::ElideRight);
    setItemDelegate(new ElidedTextToolTips(this));
}

void QtListView::clearRows()
{
    clear();
    m_keys.clear();
}

ListRow *QtListView::addRow(const QByteArray &key, const QString &text)
{
    const QByteArray comparable = comparableKey(key, pathKeyComparison);
    if (m_keys.contains(comparable))
        return nullptr;
    m_keys.insert(comparable);
    auto *row = new QtListRow(text);
    addTopLevelItem(row);
    return row;
}
