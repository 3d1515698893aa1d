#pragma once

#include "controls/widgets/folder_tree_widget.h"
#include "support/window_input.h"

#include <QByteArray>
#include <QTest>

// Shows a window and waits until it takes input, as a person's window does.
inline void showActive(QWidget &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Where a folder's node is in the tree's viewport, scrolled into view first.
inline QPoint placeOfNode(FolderTreeWidget &tree, const QByteArray &key)
{
    QTreeWidgetItem *item = FolderTreeWidget::itemOf(tree.node(key));
    tree.scrollToItem(item);
    return tree.visualItemRect(item).center();
}

// A click on a folder's node, as a person clicks it.
inline void clickNode(FolderTreeWidget &tree, const QByteArray &key)
{
    WindowInput::click(tree.viewport(), placeOfNode(tree, key));
}
