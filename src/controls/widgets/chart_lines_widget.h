#pragma once

#include "controls/list_box.h"

#include <QListWidget>

// The lines the pie chart writes its breakdown into; the window keeps the list hidden.
class ChartLinesWidget final : public QListWidget, public ListBox
{
    Q_OBJECT

public:
    using QListWidget::QListWidget;

    void clear() override { QListWidget::clear(); }
    void addLine(const QString &line) override { addItem(line); }
};
