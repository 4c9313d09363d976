#pragma once
// Node labels: the text form of one node in the tree view and in its label
// edits. A label is a node name ("sin", "X", an alias such as "+"), or a
// constant with its parameters written out ("RGB(0.100, 0.200, 0.300)",
// three decimals), for the kinds whose parameters the node table shows.

#include "ExprNode.h"

#include <string>
#include <string_view>

// Only this many characters of a label are read back.
constexpr int kMaxLabelChars = 255;
// Shown parameters have this many decimals; they are all that survives an edit.
constexpr int kLabelDecimals = 3;

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
