#pragma once
// The tree view's items are the editable text form of an expression: one item
// per node, labelled with the node's name (constants with their parameters,
// three decimals), in pre-order with the thumbnail index of each item.
// This file turns nodes into items and items back into nodes; it knows
// nothing of documents or views.

#include "engine/ExprNode.h"

#include <QtCore/qnamespace.h>

#include <string>
#include <string_view>

class CQuilExpression;
class QTreeWidget;
class QTreeWidgetItem;

// Labels are formatted into a buffer of this many characters (the terminating
// zero included); every label the formats below produce fits.
constexpr int kLabelBufferChars = 128;
// Only this many characters of a label are read back.
constexpr int kMaxLabelChars = 255;
// Shown parameters have this many decimals; they are all that survives an edit.
constexpr int kLabelDecimals = 3;

// Item data: the node an item was built from (valid until the next rebuild,
// none for items made by editing) and the item's thumbnail index.
constexpr int kItemNodeRole = Qt::UserRole;
constexpr int kItemImageRole = Qt::UserRole + 1;

// "BW(-1.000)", "SPIR(0.300)", "rgb", ... independent of the C locale.
std::string FormatNodeLabel(const ExprNode& node);

enum class LabelKind {
    Invalid,   // neither a node name nor a written-out constant
    Named,     // a node name or alias; parameters all 0
    Constant,  // "BW(", "RGB(", "R2C(", "SPIR(", "SPIRC(" with valid numbers
};
// Reads one label. kind receives the kind code, params the three parameters
// (unshown ones 0). A written-out number must be a whole decimal number with
// |value| <= 1; blanks around it are allowed.
LabelKind ParseNodeLabel(std::string_view label, int& kind, double params[3]);

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

// Resets expression and fills it from the item (and its branch): names and
// aliases, the five constant forms, missing arguments filled with black "RGB"
// constants, extra ones dropped. Sets m_bUsesPicture when a "PIC" item is met
// (and asks the expression's host for a source picture). Returns 1 when every
// item was accepted, else 0 (the expression's content is then undefined).
// Shows no message: refusing the tree is the caller's to report.
int BuildExpressionFromItem(const QTreeWidgetItem* item, CQuilExpression& expression);
// The same from the tree's first top-level item; 0 for an empty tree.
int BuildExpressionFromTree(QTreeWidget* tree, CQuilExpression& expression);
