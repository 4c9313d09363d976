#include "QuilExpression.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::atomic<size_t> g_poolCeiling{kDefaultPoolCeilingBytes};
}

CQuilExpression::CQuilExpression(EngineHost* host) : m_pHost(host ? host : &DefaultEngineHost()) {}

CQuilExpression::~CQuilExpression() { FreeBlocks(); }

void CQuilExpression::SetHost(EngineHost* host) { m_pHost = host ? host : &DefaultEngineHost(); }

void CQuilExpression::SetPoolCeiling(size_t bytes) { g_poolCeiling.store(bytes); }

size_t CQuilExpression::PoolCeiling() { return g_poolCeiling.load(); }

void CQuilExpression::FreeBlocks()
{
    std::free(m_pFirstBlock);
    m_pFirstBlock = nullptr;
    for (int i = 0; i < kMaxPoolBlocks; ++i) {
        std::free(m_pBlocks[i]);
        m_pBlocks[i] = nullptr;
    }
    m_nBlocks = 0;
    m_nPoolBytes = 0;
    m_pCurrent = nullptr;
    m_nUsed = 0;
    m_nCapacity = 0;
}

ExprNode* CQuilExpression::Reset()
{
    FreeBlocks();
    // Nodes are plain records whose fields the filling operations write; the
    // pool itself is left uninitialised, as a fresh node's fields are undefined.
    m_pFirstBlock = static_cast<ExprNode*>(std::malloc(sizeof(ExprNode) * kFirstBlockNodes));
    if (!m_pFirstBlock)
        throw std::bad_alloc();  // 224 KiB: nothing sensible can go on without it
    m_nPoolBytes = sizeof(ExprNode) * kFirstBlockNodes;
    m_nCapacity = kFirstBlockNodes;
    m_pCurrent = m_pFirstBlock;
    m_nBlocks = 0;
    m_nUsed = 1;
    return m_pFirstBlock;
}

ExprNode* CQuilExpression::NewNode()
{
    if (m_nUsed < m_nCapacity) {
        ++m_nUsed;
        return ++m_pCurrent;
    }
    if (m_nBlocks < kMaxPoolBlocks) {
        const size_t capacity = size_t(m_nCapacity) * 2;
        const size_t bytes = capacity * sizeof(ExprNode);
        void* block = nullptr;
        size_t ceiling = PoolCeiling();
        if (m_nOwnPoolCeiling != 0 && m_nOwnPoolCeiling < ceiling)
            ceiling = m_nOwnPoolCeiling;
        if (m_nPoolBytes + bytes <= ceiling)
            block = std::malloc(bytes);
        if (block) {
            m_nCapacity = static_cast<int>(capacity);
            m_pBlocks[m_nBlocks++] = static_cast<ExprNode*>(block);
            m_nPoolBytes += bytes;
            m_pCurrent = static_cast<ExprNode*>(block);
            m_nUsed = 1;
            return m_pCurrent;
        }
    }
    m_pHost->ShowMessage(kMsgNoMemory, kCaptionQuil, MessageIcon::Warning);
    return nullptr;
}

size_t CQuilExpression::NodeCount() const
{
    if (!m_pFirstBlock)
        return 0;
    if (m_nBlocks == 0)
        return size_t(m_nUsed);
    size_t count = kFirstBlockNodes;
    size_t capacity = kFirstBlockNodes;
    for (int i = 0; i < m_nBlocks - 1; ++i) {
        capacity *= 2;
        count += capacity;
    }
    return count + size_t(m_nUsed);
}

int CQuilExpression::SetDefault()
{
    ExprNode* root = GetRoot();
    ExprNode* x = NewNode();
    ExprNode* y = NewNode();
    ExprNode* bw = NewNode();
    // The first block always has room for four nodes after a Reset.
    *root = ExprNode{KIND_RGBF, {0, 0, 0}, 3, {x, y, bw}};
    *x = ExprNode{KIND_X, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
    *y = ExprNode{KIND_Y, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
    *bw = ExprNode{KIND_BW, {-1.0, -1.0, -1.0}, 0, {nullptr, nullptr, nullptr}};
    UpdateUsesPicture();
    return 1;
}

int CQuilExpression::ContainsPicture(const ExprNode* node)
{
    // An explicit stack: a tree built by editing may be deeper than any recursion should go.
    std::vector<const ExprNode*> stack;
    if (node)
        stack.push_back(node);
    while (!stack.empty()) {
        const ExprNode* n = stack.back();
        stack.pop_back();
        if (n->nKind == KIND_PIC)
            return 1;
        const int count = n->nChildren < 0 ? 0 : (n->nChildren > 3 ? 3 : n->nChildren);
        for (int i = count - 1; i >= 0; --i)
            if (n->pChild[i])
                stack.push_back(n->pChild[i]);
    }
    return 0;
}

void CQuilExpression::UpdateUsesPicture() { m_bUsesPicture = m_pFirstBlock ? ContainsPicture(GetRoot()) : 0; }

ExprNode* CQuilExpression::CopyTree(ExprNode* dest, const ExprNode* source)
{
    // An explicit stack, in the order of the recursive copy: a node takes its
    // source's fields, then the next node is handed out, then the children
    // are copied in order, each into the next free node.
    struct Open {
        ExprNode* dest;
        const ExprNode* source;
        int depth;
        int next;  // the child copied next
    };
    std::vector<Open> open;
    ExprNode* free = nullptr;
    const auto enter = [&](ExprNode* to, const ExprNode* from, int depth) {
        if (!from || depth >= kMaxTreeDepth)
            return false;
        *to = *from;
        free = NewNode();
        if (!free)
            return false;
        to->nChildren = from->nChildren < 0 ? 0 : (from->nChildren > 3 ? 3 : from->nChildren);
        open.push_back({to, from, depth, 0});
        return true;
    };
    if (!enter(dest, source, 0))
        return nullptr;
    while (!open.empty()) {
        Open& top = open.back();
        if (top.next == top.dest->nChildren) {
            open.pop_back();
            continue;
        }
        ExprNode* child = free;
        top.dest->pChild[top.next] = child;
        const ExprNode* from = top.source->pChild[top.next++];
        if (!enter(child, from, top.depth + 1))
            return nullptr;
    }
    return free;
}

int CQuilExpression::CopyFrom(const ExprNode* source)
{
    ExprNode* root = Reset();
    if (!CopyTree(root, source))
        return 0;
    return 1;
}

int CQuilExpression::KindFromName(std::string_view name)
{
    if (name == "Const")
        return KIND_RGB;
    if (name == "+")
        return KIND_PLUS;
    if (name == "*")
        return KIND_TIMES;
    for (int code = 0; code < kNumKinds; ++code)
        if (name == KindName(code))
            return code;
    return -1;
}
