#pragma once
// Structural edits of the tree view's items: copying a branch, wrapping an
// item in an "id" node and moving a dragged branch by the drop rules. They
// change items only; turning the items back into the document's expression
// is the view's next step.

class QTreeWidget;
class QTreeWidgetItem;

inline constexpr const char* kMsgDropOntoChild = "An item can't be dropped onto one of its children";

// Inserts a copy of item with its branch (labels and thumbnail indices, by
// which the copies show their thumbnails; leaves bold; no node data) under
// parent (nullptr: top level) just before `before`, or as the last child
// when before is nullptr.
QTreeWidgetItem* CopyBranch(QTreeWidget* tree, const QTreeWidgetItem* item, QTreeWidgetItem* parent,
                            QTreeWidgetItem* before);

// True when item is branch itself or lies below it.
bool IsInBranch(const QTreeWidgetItem* item, const QTreeWidgetItem* branch);

// The root cannot be dragged: only items with a parent can.
bool CanDragItem(const QTreeWidgetItem* item);

enum class DropRule {
    Ignore,         // no target, or the dragged item itself
    IntoOwnBranch,  // refused with kMsgDropOntoChild
    Move,
};
DropRule CheckDrop(const QTreeWidgetItem* dragged, const QTreeWidgetItem* target);

// Applies a drop that CheckDrop allowed: the dragged branch is copied just
// before target; under the same parent the dragged item then goes (the
// arguments between shift by one), otherwise the target's branch goes and the
// copy takes its place (when target is an ancestor of the dragged item, that
// removes the dragged item too). Returns the copy, selected; nullptr when the
// drop is not a Move.
QTreeWidgetItem* MoveBranch(QTreeWidget* tree, QTreeWidgetItem* dragged, QTreeWidgetItem* target);

// Puts a new "id" item at item's own position (so argument order and picture
// stay as they were) with a copy of item's branch as its only child, deletes
// item and selects the copy, which it returns.
QTreeWidgetItem* InsertIdNode(QTreeWidget* tree, QTreeWidgetItem* item);
