#pragma once

#include "controls/tree_control.h"

#include <QStringList>

// The texts of a node's children, in tree order.
inline QStringList childTexts(const TreeNode *node)
{
    QStringList texts;
    for (const TreeNode *child = node->child(); child; child = child->next())
        texts << child->text();
    return texts;
}
