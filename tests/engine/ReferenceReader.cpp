#include "ReferenceReader.h"

#include "engine/CNumbers.h"

#include <cmath>

ExprNode* ReferenceReader::Read(QuilArchive& ar)
{
    ExprNode* root = m_e.Reset();
    m_bUsesPicture = false;
    int terminator = 0;
    double number = 0;
    ExprNode* next = ReadNodeAt(ar, root, terminator, number, 0);
    return !next || next == root ? nullptr : root;
}

ExprNode* ReferenceReader::ReadNodeAt(QuilArchive& ar, ExprNode* node, int& terminator, double& number, int depth)
{
    number = 0;
    terminator = 0;
    std::string token;
    for (;;) {
        const int c = ar.ReadChar();
        if (c < 0)
            return nullptr;
        if (c == '\t' || c == '\n' || c == '\r' || c == ' ')
            continue;
        if (c == ',' || c == ']') {
            const double value = AtofC(token);
            if (!(std::fabs(value) <= 1.0))
                return nullptr;
            terminator = c;
            number = value;
            return node;
        }
        if (c == '[')
            break;
        if (token.size() >= 256)
            return nullptr;
        token.push_back(static_cast<char>(c));
    }
    if (depth >= kMaxTreeDepth)
        return nullptr;
    const int code = CQuilExpression::KindFromName(token);
    if (code < 0)
        return nullptr;
    *node = ExprNode{code, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
    return IsTerminalKind(code) ? ReadTerminal(ar, node, code, terminator, depth)
                                : ReadFunction(ar, node, code, terminator, depth);
}

ExprNode* ReferenceReader::ReadTerminal(QuilArchive& ar, ExprNode* node, int code, int& terminator, int depth)
{
    int term = 0;
    double value = 0;
    if (code == KIND_PIC) {
        ReadPictureName(ar, term);
        if (term == 0)
            return nullptr;
    } else {
        if (ReadNodeAt(ar, node, term, value, depth + 1) != node)
            return nullptr;
        node->nKind = code;
        node->dParam[0] = node->dParam[1] = node->dParam[2] = value;
    }
    if (term == ',') {
        if (ReadNodeAt(ar, node, term, value, depth + 1) != node)
            return nullptr;
        node->dParam[1] = value;
        if (term == ',') {
            if (ReadNodeAt(ar, node, term, value, depth + 1) != node)
                return nullptr;
            node->dParam[2] = value;
        }
    }
    node->nKind = code;
    if (term != ']')
        return nullptr;
    const int c = ar.ReadChar();
    terminator = c < 0 ? 0 : c;
    return m_e.NewNode();
}

ExprNode* ReferenceReader::ReadFunction(QuilArchive& ar, ExprNode* node, int code, int& terminator, int depth)
{
    ExprNode* child = m_e.NewNode();
    if (!child)
        return nullptr;
    int term = 0;
    double value = 0;
    int count = 0;
    for (;;) {
        node->pChild[count] = child;
        ExprNode* next = ReadNodeAt(ar, child, term, value, depth + 1);
        if (!next || next == child)
            return nullptr;
        ++count;
        child = next;
        if (term != ',')
            break;
        if (count == 3)
            return nullptr;
    }
    if (term != ']' || count < KindArity(code))
        return nullptr;
    node->nChildren = count;
    const int c = ar.ReadChar();
    terminator = c < 0 ? 0 : c;
    return child;
}

void ReferenceReader::ReadPictureName(QuilArchive& ar, int& terminator)
{
    terminator = 0;
    std::string name;
    for (;;) {
        const int c = ar.ReadChar();
        if (c <= 0)
            return;
        if (c == ',' || c == ']') {
            terminator = c;
            m_bUsesPicture = true;
            if (!name.empty())
                m_strPicture = name;
            return;
        }
        if (static_cast<int>(name.size()) >= kMaxPictureName) {
            m_e.Host().ShowMessage(kMsgPictureNameTooLong, kCaptionQuil, MessageIcon::Error);
            return;
        }
        name.push_back(static_cast<char>(c));
    }
}
