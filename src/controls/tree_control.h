#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// One node of a tree control.
class TreeNode
{
public:
    virtual QByteArray key() const = 0; // empty for a node added without a key
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual QString tag() const = 0;
    virtual void setTag(const QString &tag) = 0;
    virtual int children() const = 0;     // the number of direct children
    virtual TreeNode *child() const = 0;  // the first child; null without children
    virtual TreeNode *next() const = 0;   // the next sibling; null after the last
    virtual int index() const = 0;        // what removeNode takes

protected:
    ~TreeNode() = default;
};

// The operations the folder tree relies on of a tree control. Keys compare as folder
// paths do. Operations that fail return null or false and change nothing.
class TreeControl
{
public:
    virtual ~TreeControl() = default;

    virtual void clearNodes() = 0;

    // A new top-level node, or with a relative key the new last child of the node with
    // that key. A null key adds a node without key. Null when the key is in use or no
    // node has the relative key.
    virtual TreeNode *addNode(const QByteArray *relativeKey, const QByteArray *key, const QString &text) = 0;

    virtual TreeNode *node(const QByteArray &key) const = 0;

    // Removes the node with that index, with everything below it.
    virtual bool removeNode(int index) = 0;

    virtual TreeNode *selectedItem() const = 0;

    // Expand: the user opens a node. NodeClick: the user clicks a node, or activates it
    // with the keyboard.
    virtual void setExpandHandler(std::function<void(TreeNode &)> handler) = 0;
    virtual void setNodeClickHandler(std::function<void(TreeNode &)> handler) = 0;
};
