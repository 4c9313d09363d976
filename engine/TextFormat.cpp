// The ".quil" text form: one node in prefix form with brackets, numbers as
// "%f", the source picture's name inside the first "PIC" node.
//
// Reading and writing walk the tree with explicit stacks, so a tree of
// kMaxTreeDepth levels needs no deep call stack. The reader keeps the order
// of the recursive description exactly: an item is read "into" a node at the
// node's depth plus one, a terminal's numbers are items read into the
// terminal itself, and nodes are handed out in the same order.

#include "CNumbers.h"
#include "QuilArchive.h"
#include "QuilExpression.h"

#include <cmath>
#include <string>
#include <vector>

namespace {
constexpr int kMaxToken = 256;

int ClampedChildren(const ExprNode& node) { return node.nChildren < 0 ? 0 : (node.nChildren > 3 ? 3 : node.nChildren); }

// What a frame of the reader does next.
enum ReadStep : int {
    kStepEnter,         // the node's name and "[" have been read
    kStepFirstNumber,   // a terminal: its first number has been read
    kStepSecondNumber,
    kStepThirdNumber,
    kStepChild,         // a function: a child has been read
};
}  // namespace

enum class CQuilExpression::ReadAction : int { Fail, Call, Done };

// One item read: the next free node after a node item, the node itself after
// a number item; the character that ended it and a number item's value.
struct CQuilExpression::ReadItem {
    ExprNode* next = nullptr;
    int terminator = 0;
    double number = 0;
};

// A node whose body is being read.
struct CQuilExpression::ReadFrame {
    ExprNode* node;
    int depth;
    int code;
    int step;          // ReadStep
    int term;          // a terminal: the character after its last parameter
    int count;         // a function: children read
    ExprNode* child;   // a function: the node the next child is read into
};

// Writing ---------------------------------------------------------------------

int CQuilExpression::WriteExpression(QuilArchive& ar)
{
    m_bPicNameWritten = 0;
    return WriteTree(ar, GetRoot());
}

void CQuilExpression::WriteNodeHead(QuilArchive& ar, const ExprNode& node)
{
    ar.WriteText(KindName(node.nKind));
    ar.WriteText("[");
    const NodeKindInfo& kind = kNodeKinds[node.nKind];
    for (int i = 0; i < kind.params.count; ++i) {
        if (i > 0)
            ar.WriteText(",");
        ar.WriteText(FormatFixed6(node.dParam[kind.params.index[i]]));
    }
    if (kind.emptyLastParam)
        ar.WriteText(",");
    if (node.nKind == KIND_PIC && !m_bPicNameWritten) {
        const std::string& source = m_pHost->SourcePicturePath();
        ar.WriteText(ar.IsRecipe() ? RecipePictureName(source, ar.FilePath()) : PictureNameToWrite(source, ar.FilePath()));
        m_bPicNameWritten = 1;
    }
}

std::string CQuilExpression::RecipeText(const std::string& picturePath)
{
    RecipeArchive archive(picturePath);
    return WriteExpression(archive) ? archive.Output() : std::string();
}

int CQuilExpression::WriteTree(QuilArchive& ar, const ExprNode* root)
{
    struct Open {
        const ExprNode* node;
        int depth;
        int next;   // the child written next
        int count;  // children written
    };
    std::vector<Open> open;
    const auto enter = [&](const ExprNode* node, int depth) {
        if (!node || !IsValidKind(node->nKind) || depth >= kMaxTreeDepth)
            return false;
        WriteNodeHead(ar, *node);
        open.push_back({node, depth, 0, ClampedChildren(*node)});
        return true;
    };
    if (!enter(root, 0))
        return 0;
    while (!open.empty()) {
        Open& top = open.back();
        if (top.next == top.count) {
            ar.WriteText("]");
            open.pop_back();
            continue;
        }
        if (top.next > 0)
            ar.WriteText(",");
        const ExprNode* child = top.node->pChild[top.next++];
        if (!enter(child, top.depth + 1))
            return 0;
    }
    return 1;
}

// Reading ---------------------------------------------------------------------

ExprNode* CQuilExpression::ReadExpression(QuilArchive& ar)
{
    ExprNode* root = Reset();
    m_bUsesPicture = 0;
    ExprNode* next = ReadTree(ar, root);
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

ExprNode* CQuilExpression::ReadTree(QuilArchive& ar, ExprNode* root)
{
    std::vector<ReadFrame> frames;
    ReadItem item;
    ExprNode* into = root;  // the node the next item is read into, if one is due
    int depth = 0;
    for (;;) {
        if (into) {
            // A number item is complete at once; a node item opens a frame.
            int code = -1;
            if (!ReadItemStart(ar, into, depth, item, code))
                return nullptr;
            if (code >= 0)
                frames.push_back({into, depth, code, kStepEnter, 0, 0, nullptr});
            into = nullptr;
        }
        if (frames.empty())
            return item.next;
        ReadFrame& frame = frames.back();
        const bool terminal = IsTerminalKind(frame.code);
        switch (terminal ? StepTerminal(ar, frame, item) : StepFunction(ar, frame, item)) {
        case ReadAction::Fail:
            return nullptr;
        case ReadAction::Call:
            into = terminal ? frame.node : frame.child;
            depth = frame.depth + 1;
            break;
        case ReadAction::Done:
            frames.pop_back();
            break;
        }
    }
}

bool CQuilExpression::ReadItemStart(QuilArchive& ar, ExprNode* node, int depth, ReadItem& item, int& code)
{
    item = ReadItem{};
    code = -1;
    std::string token;
    for (;;) {
        const int c = ar.ReadChar();
        if (c < 0)
            return false;
        if (c == '\t' || c == '\n' || c == '\r' || c == ' ')
            continue;
        if (c == ',' || c == ']') {
            const double value = AtofC(token);
            if (!(std::fabs(value) <= 1.0))  // refuses NaN as well
                return false;
            item = {node, c, value};
            return true;
        }
        if (c == '[')
            break;
        if (token.size() >= kMaxToken)
            return false;
        token.push_back(static_cast<char>(c));
    }
    // A terminal's numbers are read one level below it: only a node counts
    // towards the depth, as the writer and the evaluator count it.
    if (depth >= kMaxTreeDepth)
        return false;
    code = KindFromName(token);
    if (code < 0)
        return false;
    node->nKind = code;
    node->nChildren = 0;
    node->dParam[0] = node->dParam[1] = node->dParam[2] = 0.0;
    node->pChild[0] = node->pChild[1] = node->pChild[2] = nullptr;
    return true;
}

// A terminal's body: its picture name or first number, then up to two more
// numbers after ",". Every number item is read into the terminal itself; a
// node where a number belongs is read in full and then refused.
CQuilExpression::ReadAction CQuilExpression::StepTerminal(QuilArchive& ar, ReadFrame& frame, ReadItem& item)
{
    ExprNode* node = frame.node;
    switch (frame.step) {
    case kStepEnter:
        if (frame.code != KIND_PIC) {
            frame.step = kStepFirstNumber;
            return ReadAction::Call;
        }
        ReadPictureName(ar, frame.term);
        if (frame.term == 0)
            return ReadAction::Fail;
        break;
    case kStepFirstNumber:
        if (item.next != node)
            return ReadAction::Fail;
        node->nKind = frame.code;
        node->dParam[0] = node->dParam[1] = node->dParam[2] = item.number;
        frame.term = item.terminator;
        break;
    case kStepSecondNumber:
    case kStepThirdNumber:
        if (item.next != node)
            return ReadAction::Fail;
        node->dParam[frame.step == kStepSecondNumber ? 1 : 2] = item.number;
        frame.term = item.terminator;
        if (frame.step == kStepSecondNumber && frame.term == ',') {
            frame.step = kStepThirdNumber;
            return ReadAction::Call;
        }
        return FinishTerminal(ar, frame, item);
    }
    if (frame.term == ',') {
        frame.step = kStepSecondNumber;
        return ReadAction::Call;
    }
    return FinishTerminal(ar, frame, item);
}

CQuilExpression::ReadAction CQuilExpression::FinishTerminal(QuilArchive& ar, ReadFrame& frame, ReadItem& item)
{
    frame.node->nKind = frame.code;
    if (frame.term != ']')
        return ReadAction::Fail;
    const int c = ar.ReadChar();
    item = {NewNode(), c < 0 ? 0 : c, 0.0};
    return item.next ? ReadAction::Done : ReadAction::Fail;
}

// A function's body: its children in order, separated by ",".
CQuilExpression::ReadAction CQuilExpression::StepFunction(QuilArchive& ar, ReadFrame& frame, ReadItem& item)
{
    ExprNode* node = frame.node;
    if (frame.step == kStepEnter) {
        frame.child = NewNode();
        if (!frame.child)
            return ReadAction::Fail;
        node->pChild[0] = frame.child;
        frame.step = kStepChild;
        return ReadAction::Call;
    }
    if (!item.next || item.next == frame.child)  // a bare number where a node belongs
        return ReadAction::Fail;
    ++frame.count;
    frame.child = item.next;
    if (item.terminator == ',') {
        if (frame.count == 3)
            return ReadAction::Fail;
        node->pChild[frame.count] = frame.child;
        return ReadAction::Call;
    }
    if (item.terminator != ']')
        return ReadAction::Fail;
    // A function with fewer children than it reads would leave the tree unfit to evaluate.
    if (frame.count < KindArity(frame.code))
        return ReadAction::Fail;
    node->nChildren = frame.count;
    const int c = ar.ReadChar();
    item = {frame.child, c < 0 ? 0 : c, 0.0};
    return ReadAction::Done;
}

void CQuilExpression::ReadPictureName(QuilArchive& ar, int& terminator)
{
    terminator = 0;
    std::string name;
    for (;;) {
        const int c = ar.ReadChar();
        if (c < 0)
            return;
        // A name with a NUL in it names some other file to the system.
        if (c == 0)
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
