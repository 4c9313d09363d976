#pragma once
// An edited tree as its labels: what the tree view hands the document when an
// edit is confirmed, and what the document turns back into an expression.

#include <cstddef>
#include <string>
#include <vector>

class CQuilExpression;

// One item of the tree, in pre-order: its label and how many items below it
// are its own children. The children follow it, each with its branch.
struct LabelItem {
    std::string label;
    int childCount = 0;
};
using LabelList = std::vector<LabelItem>;

// Resets expression and fills it from the branch that starts at list[first]:
// names and aliases, the written-out constants, missing arguments filled with
// black "RGB" constants, extra ones dropped (but still read: a refused label
// anywhere refuses the tree), a constant's own children ignored. Sets
// m_bUsesPicture when a "PIC" item is met and asks the expression's host for
// a source picture then. Returns 1 when every item was accepted, else 0 (the
// expression's content is then undefined). Needs no stack of its own: any
// depth the tree can have is safe.
int BuildExpressionFromLabels(const LabelList& list, CQuilExpression& expression, size_t first = 0);

// The index just past the branch that starts at list[first]; list.size() for
// a list that ends inside the branch.
size_t BranchEnd(const LabelList& list, size_t first);
