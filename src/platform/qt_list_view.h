#pragma once

#include "platform/list_view.h"

#include <QSet>
#include <QTreeWidget>

// A report-style list over a QTreeWidget: rows without tree decoration, column headers
// aligned left.
class QtListView final : public QTreeWidget, public ListView
{
    Q_OBJECT

public:
    explicit QtListView(QWidget *parent = nullptr);

    void clearRows() override;
    ListRow *addRow(const QByteArray &key, const QString &text) override;

private:
    QSet<QByteArray> m_keys;
};
