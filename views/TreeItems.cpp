#include "TreeItems.h"

#include "engine/NodeKinds.h"
#include "engine/QuilExpression.h"

#include <QFont>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <charconv>
#include <cmath>

namespace {

// The five constant kinds whose parameters the label shows, and which of the
// three parameters appear, in the order written.
struct ConstantForm {
    int kind;
    const char* prefix;  // name and opening parenthesis
    int count;
    int params[3];
};
constexpr ConstantForm kConstantForms[] = {
    {KIND_BW, "BW(", 1, {0, 0, 0}},
    {KIND_RGB, "RGB(", 3, {0, 1, 2}},
    {KIND_R2C, "R2C(", 2, {0, 1, 0}},
    {KIND_SPIR, "SPIR(", 1, {2, 0, 0}},
    {KIND_SPIRC, "SPIRC(", 3, {0, 1, 2}},
};
constexpr const char* kParamSeparator = ", ";

const ConstantForm* FormOfKind(int kind)
{
    for (const ConstantForm& form : kConstantForms)
        if (form.kind == kind)
            return &form;
    return nullptr;
}

void AppendFixed(std::string& out, double value)
{
    // Room for any double in fixed notation: a stray out-of-range parameter
    // still gets a label (which a later edit then refuses), never a cut one.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, kLabelDecimals);
    if (ec == std::errc())
        out.append(buffer, end);
    else
        out += "nan";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// One written-out parameter: a whole decimal number, |value| <= 1 (NaN fails).
bool ParseParameter(std::string_view text, double& value)
{
    text = Trim(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    return std::fabs(value) <= 1.0;
}

bool ParseConstant(std::string_view label, const ConstantForm& form, double params[3])
{
    std::string_view rest = label.substr(std::string_view(form.prefix).size());
    for (int i = 0; i < form.count; ++i) {
        const char end = i + 1 < form.count ? ',' : ')';
        const size_t at = rest.find(end);
        if (at == std::string_view::npos)
            return false;
        if (!ParseParameter(rest.substr(0, at), params[form.params[i]]))
            return false;
        rest.remove_prefix(at + 1);
    }
    return Trim(rest).empty();
}

class ItemConverter {
public:
    explicit ItemConverter(CQuilExpression& expression) : m_expression(expression) {}

    bool Convert(const QTreeWidgetItem* item, ExprNode* node, int depth)
    {
        if (!item || !node || depth >= kMaxTreeDepth)
            return false;
        const std::string label = item->text(0).left(kMaxLabelChars).toStdString();
        int kind = -1;
        double params[3] = {0, 0, 0};
        const LabelKind parsed = ParseNodeLabel(label, kind, params);
        if (parsed == LabelKind::Invalid)
            return false;
        node->nKind = kind;
        for (int i = 0; i < 3; ++i) {
            node->dParam[i] = params[i];
            node->pChild[i] = nullptr;
        }
        node->nChildren = 0;
        if (parsed == LabelKind::Constant)
            return true;  // a written-out constant ignores the item's children

        if (kind == KIND_PIC) {
            m_bUsesPicture = true;
            m_expression.Host().EnsureSourcePicture();
        }
        const int arity = kKindArity[kind];
        // Every child is converted, extra ones too: a refused label anywhere
        // refuses the tree. Only the first arity ones become arguments.
        for (int i = 0; i < item->childCount(); ++i) {
            ExprNode* child = m_expression.NewNode();
            if (!child || !Convert(item->child(i), child, depth + 1))
                return false;
            if (node->nChildren < arity)
                node->pChild[node->nChildren++] = child;
        }
        while (node->nChildren < arity) {
            ExprNode* black = m_expression.NewNode();
            if (!black || depth + 1 >= kMaxTreeDepth)
                return false;
            *black = ExprNode{KIND_RGB, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
            node->pChild[node->nChildren++] = black;
        }
        return true;
    }

    bool m_bUsesPicture = false;

private:
    CQuilExpression& m_expression;
};

}  // namespace

std::string FormatNodeLabel(const ExprNode& node)
{
    if (!IsValidKind(node.nKind))
        return "?";
    std::string label = kKindNames[node.nKind];
    if (const ConstantForm* form = FormOfKind(node.nKind)) {
        label += '(';
        for (int i = 0; i < form->count; ++i) {
            if (i)
                label += kParamSeparator;
            AppendFixed(label, node.dParam[form->params[i]]);
        }
        label += ')';
    }
    return label;
}

LabelKind ParseNodeLabel(std::string_view label, int& kind, double params[3])
{
    params[0] = params[1] = params[2] = 0.0;
    kind = CQuilExpression::KindFromName(label);
    if (kind >= 0)
        return LabelKind::Named;
    for (const ConstantForm& form : kConstantForms) {
        if (label.starts_with(form.prefix)) {
            if (!ParseConstant(label, form, params)) {
                params[0] = params[1] = params[2] = 0.0;
                return LabelKind::Invalid;
            }
            kind = form.kind;
            return LabelKind::Constant;
        }
    }
    return LabelKind::Invalid;
}

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

int BuildExpressionFromItem(const QTreeWidgetItem* item, CQuilExpression& expression)
{
    ExprNode* root = expression.Reset();
    expression.m_bUsesPicture = 0;
    if (!item || !root)
        return 0;
    ItemConverter converter(expression);
    if (!converter.Convert(item, root, 0))
        return 0;
    expression.m_bUsesPicture = converter.m_bUsesPicture ? 1 : 0;
    return 1;
}

int BuildExpressionFromTree(QTreeWidget* tree, CQuilExpression& expression)
{
    return BuildExpressionFromItem(tree ? tree->topLevelItem(0) : nullptr, expression);
}
