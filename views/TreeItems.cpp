#include "TreeItems.h"

#include "engine/NodeKinds.h"
#include "engine/NodeLabels.h"
#include "engine/QuilExpression.h"

#include <QFont>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <utility>
#include <vector>

QTreeWidgetItem* NewTreeItem()
{
    auto* item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    return item;
}

ExprNode* ItemNode(const QTreeWidgetItem* item)
{
    if (!item)
        return nullptr;
    return reinterpret_cast<ExprNode*>(item->data(0, kItemNodeRole).value<quintptr>());
}

void SetItemNode(QTreeWidgetItem* item, const ExprNode* node)
{
    item->setData(0, kItemNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
}

int ItemImage(const QTreeWidgetItem* item)
{
    const QVariant value = item ? item->data(0, kItemImageRole) : QVariant();
    return value.isValid() ? value.toInt() : -1;
}

void SetItemImage(QTreeWidgetItem* item, int image) { item->setData(0, kItemImageRole, image); }

bool IsItemBold(const QTreeWidgetItem* item) { return item && item->font(0).bold(); }

void SetItemBold(QTreeWidgetItem* item, bool bold)
{
    QFont font = item->font(0);
    font.setBold(bold);
    item->setFont(0, font);
}

namespace {

void FillItem(QTreeWidgetItem* item, const ExprNode* node, int& image, int depth)
{
    item->setText(0, QString::fromStdString(FormatNodeLabel(*node)));
    SetItemNode(item, node);
    SetItemImage(item, image++);
    if (IsTerminalKind(node->nKind))
        SetItemBold(item, true);
    if (depth + 1 >= kMaxTreeDepth)
        return;
    for (int i = 0; i < node->nChildren && i < 3; ++i) {
        if (!node->pChild[i])
            continue;
        QTreeWidgetItem* child = NewTreeItem();
        item->addChild(child);
        FillItem(child, node->pChild[i], image, depth + 1);
    }
}

}  // namespace

QTreeWidgetItem* InsertExpressionItems(QTreeWidget* tree, const ExprNode* root, int& image)
{
    if (!tree || !root)
        return nullptr;
    QTreeWidgetItem* item = NewTreeItem();
    FillItem(item, root, image, 0);
    tree->addTopLevelItem(item);
    return item;
}

LabelList ItemLabels(const QTreeWidgetItem* item)
{
    LabelList labels;
    // An explicit stack: trees may be as deep as the reader allows.
    std::vector<const QTreeWidgetItem*> pending;
    if (item)
        pending.push_back(item);
    while (!pending.empty()) {
        const QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        labels.push_back({next->text(0).left(kMaxLabelChars).toStdString(), next->childCount()});
        for (int i = next->childCount() - 1; i >= 0; --i)
            pending.push_back(next->child(i));
    }
    return labels;
}

LabelList TreeLabels(const QTreeWidget* tree)
{
    return ItemLabels(tree ? tree->topLevelItem(0) : nullptr);
}

int BuildExpressionFromItem(const QTreeWidgetItem* item, CQuilExpression& expression)
{
    expression.Reset();
    expression.m_bUsesPicture = 0;
    if (!item)
        return 0;
    return BuildExpressionFromLabels(ItemLabels(item), expression);
}

int BuildExpressionFromTree(QTreeWidget* tree, CQuilExpression& expression)
{
    return BuildExpressionFromItem(tree ? tree->topLevelItem(0) : nullptr, expression);
}
