#pragma once

#include "controls/list_view.h"

#include <QSet>
#include <QTreeWidget>

#include <vector>

// A report-style list over a QTreeWidget: rows without tree decoration, column headers
// aligned left. Rows stay in the order they were added until a header is clicked: then
// they sort by that column (names as the tree sorts them, sizes and shares by the size),
// and a second click reverses the order; rows added later take their place in it.
class BreakdownListWidget final : public QTreeWidget, public ListView
{
    Q_OBJECT

public:
    explicit BreakdownListWidget(QWidget *parent = nullptr);

    void clearRows() override;
    ListRow *addRow(const QByteArray &key, const QString &text) override;

    // The key of the row shown at a position of the list; empty for none.
    QByteArray keyAt(int row) const;
    QByteArray currentKey() const;
    // Selects the rows of these keys, and only those, and shows the first of them.
    void selectRows(const std::vector<QByteArray> &keys);

signals:
    void rowMenuRequested(const QByteArray &key, const QPoint &globalPosition);
    // A double-click on a row, or Enter on the current one.
    void rowActivated(const QByteArray &key);
    // Backspace: back up to the folder above.
    void backRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void sortByHeader(int column);

    QSet<QByteArray> m_keys;
};
