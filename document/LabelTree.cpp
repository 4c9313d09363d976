#include "LabelTree.h"

#include "engine/NodeKinds.h"
#include "engine/NodeLabels.h"
#include "engine/QuilExpression.h"

namespace {

// A function node whose children are still being read.
struct OpenNode {
    ExprNode* node;
    int arity;
    int childrenLeft;  // items of the list still to come as its children
};

// Fills node from one label; false when the label is refused.
bool FillNode(const LabelItem& item, ExprNode* node, LabelKind& parsed)
{
    const std::string label = item.label.substr(0, kMaxLabelChars);
    int kind = -1;
    double params[3] = {0, 0, 0};
    parsed = ParseNodeLabel(label, kind, params);
    if (parsed == LabelKind::Invalid)
        return false;
    *node = ExprNode{kind, {params[0], params[1], params[2]}, 0, {nullptr, nullptr, nullptr}};
    return true;
}

// Gives a finished node the arguments it lacks: black constants.
bool FillMissingArguments(CQuilExpression& expression, OpenNode& open, size_t depth)
{
    while (open.node->nChildren < open.arity) {
        ExprNode* black = expression.NewNode();
        if (!black || depth + 1 >= size_t(kMaxTreeDepth))
            return false;
        *black = ExprNode{KIND_RGB, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
        open.node->pChild[open.node->nChildren++] = black;
    }
    return true;
}

}  // namespace

size_t BranchEnd(const LabelList& list, size_t first)
{
    size_t pending = 1;
    size_t i = first;
    while (pending > 0 && i < list.size()) {
        pending += size_t(list[i].childCount > 0 ? list[i].childCount : 0);
        --pending;
        ++i;
    }
    return pending > 0 ? list.size() : i;
}

int BuildExpressionFromLabels(const LabelList& list, CQuilExpression& expression, size_t first)
{
    ExprNode* node = expression.Reset();
    expression.m_bUsesPicture = 0;
    bool usesPicture = false;
    std::vector<OpenNode> open;
    size_t i = first;
    for (;;) {
        if (i >= list.size() || open.size() >= size_t(kMaxTreeDepth))
            return 0;
        LabelKind parsed = LabelKind::Invalid;
        if (!FillNode(list[i], node, parsed))
            return 0;
        const int children = list[i].childCount > 0 ? list[i].childCount : 0;
        if (parsed == LabelKind::Constant) {
            i = BranchEnd(list, i);  // a written-out constant ignores the item's children
        } else {
            if (node->nKind == KIND_PIC) {
                usesPicture = true;
                expression.Host().EnsureSourcePicture();
            }
            open.push_back({node, KindArity(node->nKind), children});
            ++i;
        }
        // Close every node whose children are all read.
        while (!open.empty() && open.back().childrenLeft == 0) {
            if (!FillMissingArguments(expression, open.back(), open.size() - 1))
                return 0;
            open.pop_back();
        }
        if (open.empty())
            break;
        OpenNode& parent = open.back();
        --parent.childrenLeft;
        node = expression.NewNode();
        if (!node)
            return 0;
        // Extra children are read (and must be accepted) but do not become arguments.
        if (parent.node->nChildren < parent.arity)
            parent.node->pChild[parent.node->nChildren++] = node;
    }
    expression.m_bUsesPicture = usesPicture ? 1 : 0;
    return 1;
}
