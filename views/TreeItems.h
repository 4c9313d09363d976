#pragma once
// The tree view's items are the editable text form of an expression: one item
// per node, labelled with the node's label (engine/NodeLabels.h), in pre-order
// with the thumbnail index of each item. This file turns nodes into items and
// items into their labels; it knows nothing of documents or views.

#include "document/LabelTree.h"
#include "engine/ExprNode.h"

#include <QtCore/qnamespace.h>

class CQuilExpression;
class QTreeWidget;
class QTreeWidgetItem;

// Item data: the node an item was built from (valid until the next rebuild,
// none for items made by editing) and the item's thumbnail index.
constexpr int kItemNodeRole = Qt::UserRole;
constexpr int kItemImageRole = Qt::UserRole + 1;

// Item helpers -----------------------------------------------------------------
// A new, detached item that can be selected and have its label edited.
QTreeWidgetItem* NewTreeItem();
ExprNode* ItemNode(const QTreeWidgetItem* item);
void SetItemNode(QTreeWidgetItem* item, const ExprNode* node);
// -1 when the item has no thumbnail index.
int ItemImage(const QTreeWidgetItem* item);
void SetItemImage(QTreeWidgetItem* item, int image);
bool IsItemBold(const QTreeWidgetItem* item);
void SetItemBold(QTreeWidgetItem* item, bool bold);

// Appends the tree under root as the last top-level item of tree: labels,
// node data, bold terminals, image indices counting on from image (pre-order).
// Returns the root's item; image is advanced past the last item.
QTreeWidgetItem* InsertExpressionItems(QTreeWidget* tree, const ExprNode* root, int& image);

// The labels of item and its branch in pre-order, each cut to what is read
// back (kMaxLabelChars).
LabelList ItemLabels(const QTreeWidgetItem* item);
// The same from the tree's first top-level item; empty for an empty tree.
LabelList TreeLabels(const QTreeWidget* tree);

// Resets expression and fills it from the item's labels (BuildExpressionFromLabels).
// Returns 1 when every item was accepted, else 0. Shows no message: refusing
// the tree is the caller's to report.
int BuildExpressionFromItem(const QTreeWidgetItem* item, CQuilExpression& expression);
// The same from the tree's first top-level item; 0 for an empty tree.
int BuildExpressionFromTree(QTreeWidget* tree, CQuilExpression& expression);

// Room beside the labels, pixels: in the document window's tree column and
// in the tree's pictures (Copy, Print).
constexpr int kTreeLabelMargin = 70;
