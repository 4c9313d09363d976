#pragma once
// The node record of an expression tree. Nodes are plain records that live in
// their expression's pool; copying one copies every field, child pointers too.

struct ExprNode {
    int nKind;            // kind code 0..33; -1 marks a failed load
    double dParam[3];     // random constants; only some terminals read them
    int nChildren;        // children in use, 0..3
    ExprNode* pChild[3];  // entries 0 .. nChildren-1 are valid
};
