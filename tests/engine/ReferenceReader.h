#pragma once
// The ".quil" reader as a plain recursive descent, the form in which the
// format is described: the reference that the reader's tests and the fuzz
// target hold the program's reader (an explicit stack) against. Same
// language, same failures, same messages, same order of handing out nodes.

#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <string>

class ReferenceReader {
public:
    explicit ReferenceReader(CQuilExpression& expression) : m_e(expression) {}

    // Resets the pool and reads one expression; the root, or none.
    ExprNode* Read(QuilArchive& ar);

    bool m_bUsesPicture = false;
    std::string m_strPicture;  // the last non-empty name, as written

private:
    ExprNode* ReadNodeAt(QuilArchive& ar, ExprNode* node, int& terminator, double& number, int depth);
    ExprNode* ReadTerminal(QuilArchive& ar, ExprNode* node, int code, int& terminator, int depth);
    ExprNode* ReadFunction(QuilArchive& ar, ExprNode* node, int code, int& terminator, int depth);
    void ReadPictureName(QuilArchive& ar, int& terminator);

    CQuilExpression& m_e;
};
