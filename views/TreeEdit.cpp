#include "TreeEdit.h"

#include "TreeItems.h"

#include "engine/NodeKinds.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

void PlaceItem(QTreeWidget* tree, QTreeWidgetItem* item, QTreeWidgetItem* parent, QTreeWidgetItem* before)
{
    if (parent) {
        const int at = before ? parent->indexOfChild(before) : -1;
        parent->insertChild(at >= 0 ? at : parent->childCount(), item);
    } else {
        const int at = before ? tree->indexOfTopLevelItem(before) : -1;
        tree->insertTopLevelItem(at >= 0 ? at : tree->topLevelItemCount(), item);
    }
}

QTreeWidgetItem* CloneBranch(const QTreeWidgetItem* item)
{
    QTreeWidgetItem* copy = NewTreeItem();
    copy->setText(0, item->text(0));
    copy->setData(0, kItemImageRole, item->data(0, kItemImageRole));
    if (item->childCount() == 0)
        SetItemBold(copy, true);
    for (int i = 0; i < item->childCount(); ++i)
        copy->addChild(CloneBranch(item->child(i)));
    return copy;
}

// Copies keep the expansion of their originals, so an edit does not fold
// away what the user was looking at. Only works once copy is in the tree.
void MirrorExpansion(const QTreeWidgetItem* original, QTreeWidgetItem* copy)
{
    copy->setExpanded(original->isExpanded());
    for (int i = 0; i < original->childCount() && i < copy->childCount(); ++i)
        MirrorExpansion(original->child(i), copy->child(i));
}

}  // namespace

QTreeWidgetItem* CopyBranch(QTreeWidget* tree, const QTreeWidgetItem* item, QTreeWidgetItem* parent,
                            QTreeWidgetItem* before)
{
    if (!tree || !item)
        return nullptr;
    // The branch is built detached and inserted whole, so the copy of an
    // item placed inside its own branch cannot recurse into itself.
    QTreeWidgetItem* copy = CloneBranch(item);
    PlaceItem(tree, copy, parent, before);
    MirrorExpansion(item, copy);
    return copy;
}

bool IsInBranch(const QTreeWidgetItem* item, const QTreeWidgetItem* branch)
{
    for (; item; item = item->parent())
        if (item == branch)
            return true;
    return false;
}

bool CanDragItem(const QTreeWidgetItem* item) { return item && item->parent(); }

DropRule CheckDrop(const QTreeWidgetItem* dragged, const QTreeWidgetItem* target)
{
    if (!dragged || !target || target == dragged)
        return DropRule::Ignore;
    if (IsInBranch(target, dragged))
        return DropRule::IntoOwnBranch;
    return DropRule::Move;
}

QTreeWidgetItem* MoveBranch(QTreeWidget* tree, QTreeWidgetItem* dragged, QTreeWidgetItem* target)
{
    if (!tree || CheckDrop(dragged, target) != DropRule::Move)
        return nullptr;
    QTreeWidgetItem* copy = CopyBranch(tree, dragged, target->parent(), target);
    if (target->parent() != dragged->parent()) {
        const bool draggedGoesWithTarget = IsInBranch(dragged, target);
        delete target;
        if (!draggedGoesWithTarget)
            delete dragged;
    } else {
        delete dragged;
    }
    tree->setCurrentItem(copy);
    return copy;
}

QTreeWidgetItem* InsertIdNode(QTreeWidget* tree, QTreeWidgetItem* item)
{
    if (!tree || !item)
        return nullptr;
    QTreeWidgetItem* wrapper = NewTreeItem();
    wrapper->setText(0, QString::fromLatin1(KindName(KIND_ID)));
    wrapper->setData(0, kItemImageRole, item->data(0, kItemImageRole));
    PlaceItem(tree, wrapper, item->parent(), item);
    QTreeWidgetItem* copy = CloneBranch(item);
    wrapper->addChild(copy);
    wrapper->setExpanded(true);
    MirrorExpansion(item, copy);
    delete item;
    tree->setCurrentItem(copy);
    return copy;
}
