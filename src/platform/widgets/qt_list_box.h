#pragma once

#include "controls/list_box.h"

#include <QListWidget>

class QtListBox final : public QListWidget, public ListBox
{
    Q_OBJECT

public:
    using QListWidget::QListWidget;

    void clear() override { QListWidget::clear(); }
    void addLine(const QString &line) override { addItem(line); }
};
