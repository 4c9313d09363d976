// The ".quil" text form: one node in prefix form with brackets, numbers as
// "%f", the source picture's name inside the first "PIC" node.

#include "CNumbers.h"
#include "QuilArchive.h"
#include "QuilExpression.h"

#include <cmath>
#include <string>

namespace {
constexpr int kMaxToken = 256;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Index of the last separator, or npos.
size_t LastSeparator(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash;
}

// The format has no escapes: a name with "," or "]" would end early when read
// back and name another file.
bool IsWritablePictureName(const std::string& name) { return name.find_first_of(",]") == std::string::npos; }
}  // namespace

// Writing ---------------------------------------------------------------------

int CQuilExpression::WriteExpression(QuilArchive& ar)
{
    m_bPicNameWritten = 0;
    return WriteNodeAt(ar, GetRoot(), 0);
}

int CQuilExpression::WriteNodeAt(QuilArchive& ar, const ExprNode* node, int depth)
{
    if (!node || !IsValidKind(node->nKind) || depth >= kMaxTreeDepth)
        return 0;
    ar.WriteText(KindName(node->nKind));
    ar.WriteText("[");
    const NodeKindInfo& kind = kNodeKinds[node->nKind];
    for (int i = 0; i < kind.params.count; ++i) {
        if (i > 0)
            ar.WriteText(",");
        ar.WriteText(FormatFixed6(node->dParam[kind.params.index[i]]));
    }
    if (kind.emptyLastParam)
        ar.WriteText(",");
    if (node->nKind == KIND_PIC && !m_bPicNameWritten) {
        const std::string name = MakeRelativePath(m_pHost->SourcePicturePath(), ar.FilePath());
        if (IsWritablePictureName(name))
            ar.WriteText(name);
        m_bPicNameWritten = 1;
    }
    const int count = node->nChildren < 0 ? 0 : (node->nChildren > 3 ? 3 : node->nChildren);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            ar.WriteText(",");
        if (!WriteNodeAt(ar, node->pChild[i], depth + 1))
            return 0;
    }
    ar.WriteText("]");
    return 1;
}

// Reading ---------------------------------------------------------------------

ExprNode* CQuilExpression::ReadExpression(QuilArchive& ar)
{
    ExprNode* root = Reset();
    m_bUsesPicture = 0;
    int terminator = 0;
    double number = 0;
    ExprNode* next = ReadNodeAt(ar, root, terminator, number, 0);
    if (!next || next == root)  // a bare number is no expression
        return nullptr;
    if (m_bUsesPicture && !m_szPicture.empty()) {
        m_szPicture = MakeAbsolutePath(m_szPicture, ar.FilePath());
        if (m_szPicture != m_pHost->SourcePicturePath() && !m_pHost->PictureLocked()) {
            m_pHost->SetSourcePicturePath(m_szPicture);
            m_pHost->SetPictureLoadPending(true);
        }
    }
    return root;
}

ExprNode* CQuilExpression::ReadNodeAt(QuilArchive& ar, ExprNode* node, int& terminator, double& number, int depth)
{
    number = 0;
    terminator = 0;
    if (depth >= kMaxTreeDepth)
        return nullptr;

    std::string token;
    int code = -1;
    for (;;) {
        const int c = ar.ReadChar();
        if (c < 0)
            return nullptr;
        if (c == '\t' || c == '\n' || c == '\r' || c == ' ')
            continue;
        if (c == ',' || c == ']') {
            const double value = AtofC(token);
            if (!(std::fabs(value) <= 1.0))  // refuses NaN as well
                return nullptr;
            terminator = c;
            number = value;
            return node;
        }
        if (c == '[') {
            code = KindFromName(token);
            if (code < 0)
                return nullptr;
            break;
        }
        if (token.size() >= kMaxToken)
            return nullptr;
        token.push_back(static_cast<char>(c));
    }

    node->nKind = code;
    node->nChildren = 0;
    node->dParam[0] = node->dParam[1] = node->dParam[2] = 0.0;
    node->pChild[0] = node->pChild[1] = node->pChild[2] = nullptr;

    if (IsTerminalKind(code)) {
        int term = 0;
        double value = 0;
        if (code == KIND_PIC) {
            ReadPictureName(ar, term);
            if (term == 0)
                return nullptr;
        } else {
            // A node where a number belongs is refused.
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
        return NewNode();
    }

    // A function: its children in order, separated by ",".
    ExprNode* child = NewNode();
    if (!child)
        return nullptr;
    int term = 0;
    double value = 0;
    int count = 0;
    for (;;) {
        node->pChild[count] = child;
        ExprNode* next = ReadNodeAt(ar, child, term, value, depth + 1);
        if (!next || next == child)  // a failure, or a bare number where a node belongs
            return nullptr;
        ++count;
        child = next;
        if (term != ',')
            break;
        if (count == 3)
            return nullptr;
    }
    if (term != ']')
        return nullptr;
    // A function with fewer children than it reads would leave the tree unfit to evaluate.
    if (count < KindArity(code))
        return nullptr;
    node->nChildren = count;
    const int c = ar.ReadChar();
    terminator = c < 0 ? 0 : c;
    return child;
}

void CQuilExpression::ReadPictureName(QuilArchive& ar, int& terminator)
{
    terminator = 0;
    std::string name;
    for (;;) {
        const int c = ar.ReadChar();
        if (c < 0)
            return;
        if (c == ',' || c == ']') {
            terminator = c;
            m_bUsesPicture = 1;
            if (!name.empty())
                m_szPicture = name;
            return;
        }
        if (static_cast<int>(name.size()) >= kMaxPictureName) {
            m_pHost->ShowMessage(kMsgPictureNameTooLong, kCaptionQuil, MessageIcon::Error);
            return;
        }
        name.push_back(static_cast<char>(c));
    }
}

// Picture names -----------------------------------------------------------------

std::string CQuilExpression::MakeRelativePath(const std::string& picturePath, const std::string& filePath)
{
    const size_t b = LastSeparator(filePath);
    if (b == std::string::npos || picturePath.size() <= b + 1)
        return picturePath;
    // The picture must lie in the file's folder or below it: the folder part
    // must match and be followed by a separator in the picture path. Letter
    // case counts: on this platform /Art and /art are different folders.
    if (picturePath.compare(0, b, filePath, 0, b) != 0 || !IsSeparator(picturePath[b]))
        return picturePath;
    return picturePath.substr(b + 1);
}

std::string CQuilExpression::MakeAbsolutePath(const std::string& name, const std::string& filePath)
{
    if (name.empty() || name[0] == '/' || name.find(':') != std::string::npos || name.rfind("\\\\", 0) == 0)
        return name;
    // Names written on Windows use backslashes, and a leading one for a relative name.
    std::string relative = name;
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    size_t start = relative.find_first_not_of('/');
    if (start == std::string::npos)
        return name;
    relative.erase(0, start);
    const size_t b = LastSeparator(filePath);
    if (b == std::string::npos)
        return relative;  // the file lies in the working folder
    std::string folder = filePath.substr(0, b);
    for (char& c : folder)
        if (c == '\\')
            c = '/';
    return folder + "/" + relative;
}
