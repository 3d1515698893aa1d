#include "platform/qt_list_view.h"

#include "platform/key_comparison.h"

#include <QHeaderView>

namespace {

class QtListRow final : public QTreeWidgetItem, public ListRow
{
public:
    explicit QtListRow(const QString &text) : QTreeWidgetItem(QStringList{text}) {}
    void setSubItem(int index, const QString &text) override { setText(index, text); }
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
