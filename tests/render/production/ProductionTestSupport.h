#pragma once
// Shared pieces of the production renderer's tests: random trees that use
// every node kind (with parameters that reach the special cases: zero twists,
// zero divisors, arguments outside the nominal range), small hand-built
// trees, and rendering one request with either renderer.

#include "render/Picture.h"
#include "render/RenderRequest.h"
#include "render/production/ProductionRenderer.h"

#include "engine/Evaluator.h"
#include "engine/NodeKinds.h"
#include "engine/QuilExpression.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace prodtest {

// A tree in its own expression's pool.
class Tree {
public:
    Tree() { m_pRoot = m_expr.Reset(); }
    ExprNode* Node(int kind, double a = 0, double b = 0, double c = 0, ExprNode* c0 = nullptr,
                   ExprNode* c1 = nullptr, ExprNode* c2 = nullptr)
    {
        ExprNode* n = m_bRootUsed ? m_expr.NewNode() : m_pRoot;
        m_bRootUsed = true;
        const int arity = IsValidKind(kind) ? KindArity(kind) : 0;
        *n = ExprNode{kind, {a, b, c}, arity, {c0, c1, c2}};
        return n;
    }
    // The first node made is the root; link children through pChild.
    const ExprNode* Root() const { return m_pRoot; }
    ExprNode* MutableRoot()
    {
        m_bRootUsed = true;
        return m_pRoot;
    }

private:
    CQuilExpression m_expr;
    ExprNode* m_pRoot;
    bool m_bRootUsed = false;
};

// Random trees over all 34 kinds. Parameters are mostly uniform in [-1, 1];
// some are exactly 0, -0, 1 or -1, or lie outside the range, so that the
// guards (zero twist, zero divisor, ln below its domain) are taken.
class RandomTrees {
public:
    explicit RandomTrees(uint32_t seed) : m_rng(seed) {}

    void Fill(Tree& tree, int maxDepth, bool withPicture = true)
    {
        m_withPicture = withPicture;
        Make(tree, tree.MutableRoot(), 0, maxDepth, true);
    }

private:
    double Param()
    {
        std::uniform_int_distribution<int> pick(0, 19);
        switch (pick(m_rng)) {
        case 0: return 0.0;
        case 1: return -0.0;
        case 2: return 1.0;
        case 3: return -1.0;
        case 4: return std::uniform_real_distribution<double>(-3.0, 3.0)(m_rng);
        default: return std::uniform_real_distribution<double>(-1.0, 1.0)(m_rng);
        }
    }
    int Kind(bool terminal)
    {
        for (;;) {
            const int kind = terminal ? std::uniform_int_distribution<int>(0, kNumTerminalKinds - 1)(m_rng)
                                      : std::uniform_int_distribution<int>(kFirstFunctionKind, kNumKinds - 1)(m_rng);
            if (kind == KIND_PIC && !m_withPicture)
                continue;
            return kind;
        }
    }
    void Make(Tree& tree, ExprNode* node, int depth, int maxDepth, bool isRoot)
    {
        // Early leaves from the third level on keep the trees' sizes varied.
        const bool terminal =
            depth >= maxDepth || (!isRoot && depth >= 2 && std::uniform_int_distribution<int>(0, 4)(m_rng) == 0);
        const int kind = Kind(terminal);
        *node = ExprNode{kind, {Param(), Param(), Param()}, KindArity(kind), {nullptr, nullptr, nullptr}};
        for (int i = 0; i < KindArity(kind); ++i) {
            ExprNode* child = tree.Node(KIND_BW);
            node->pChild[i] = child;
            Make(tree, child, depth + 1, maxDepth, false);
        }
    }

    std::mt19937 m_rng;
    bool m_withPicture = true;
};

// A source picture with every byte value somewhere, smaller than the target
// so that "PIC" also reads black outside it.
inline Picture MakeSource(int width, int height, uint32_t seed)
{
    Picture p(width, height);
    std::mt19937 rng(seed);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            p.SetPixel(c, r, rng() & 0xffffffu);
    return p;
}

struct RenderSetup {
    int width = 9;
    int height = 7;
    bool antiAlias = false;
    const Picture* source = nullptr;
    int threads = 1;
    PlaneView view;
    production::ProductionOptions options = EveryBlockSplits();

    // The tests' pictures are small: let every thread count take part.
    static production::ProductionOptions EveryBlockSplits()
    {
        production::ProductionOptions o;
        o.minBlocksPerThread = 1;
        o.minSecondsPerThread = 0.0;
        return o;
    }
};

// A request for one picture of the setup into target.
inline RenderRequest SetupRequest(const ExprNode* root, const RenderSetup& setup, const CEvaluator& evaluator,
                                  Picture& target)
{
    RenderRequest request;
    request.evaluator = &evaluator;
    request.root = root;
    request.target = &target;
    request.source = setup.source;
    request.antiAlias = setup.antiAlias;
    request.threads = setup.threads;
    request.view = setup.view;
    return request;
}

inline Picture RenderReferencePicture(const ExprNode* root, const RenderSetup& setup, int* result = nullptr)
{
    CEvaluator evaluator;
    Picture target(setup.width, setup.height);
    const int r = RenderReference(SetupRequest(root, setup, evaluator, target));
    if (result)
        *result = r;
    return target;
}

inline Picture RenderProductionPicture(const ExprNode* root, const RenderSetup& setup,
                                       production::LibraryStats* stats = nullptr, int* result = nullptr)
{
    CEvaluator evaluator;
    Picture target(setup.width, setup.height);
    const int r = production::RenderProduction(SetupRequest(root, setup, evaluator, target), setup.options, stats);
    if (result)
        *result = r;
    return target;
}

// Index of the first differing pixel, or -1.
inline long FirstDifference(const Picture& a, const Picture& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return 0;
    for (size_t i = 0; i < a.PixelCount(); ++i)
        if (a.Bits()[i] != b.Bits()[i])
            return long(i);
    return -1;
}

}  // namespace prodtest
