// All thumbnails in one pass give the node-by-node thumbnails bit for bit:
// random trees, anti-alias, source pictures, the "if" branches that a single
// picture computes only where chosen, shared and constant subtrees, deep
// chains, trees the compiler refuses, and aborts.

#include "ProductionTestSupport.h"

#include "render/PixelMath.h"
#include "engine/ConsistentMath.h"
#include "render/production/ThumbnailRenderer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

using namespace prodtest;
using production::ProductionOptions;

namespace {

struct Thumbnails {
    std::vector<Picture> pictures;
    int result = -1;
};

Thumbnails NodeByNode(const ExprNode* root, const RenderSetup& setup)
{
    CEvaluator evaluator;
    Picture target(setup.width, setup.height);
    Thumbnails t;
    t.result = RenderThumbnailsReference(SetupRequest(root, setup, evaluator, target), t.pictures);
    return t;
}

Thumbnails OnePass(const ExprNode* root, const RenderSetup& setup, std::atomic<int>* abort = nullptr,
                   int abortAtColumn = -1)
{
    CEvaluator evaluator;
    Picture target(setup.width, setup.height);
    RenderRequest request = SetupRequest(root, setup, evaluator, target);
    request.abort = abort;
    if (abort)
        request.columnsDone = [=](int columns) {
            if (columns == abortAtColumn)
                abort->store(1);
        };
    Thumbnails t;
    t.result = production::RenderThumbnails(request, t.pictures, setup.options);
    return t;
}

size_t CountNodes(const ExprNode* node)
{
    size_t n = 1;
    for (int i = 0; i < node->nChildren; ++i)
        n += CountNodes(node->pChild[i]);
    return n;
}

void ExpectSameThumbnails(const ExprNode* root, const RenderSetup& setup, const std::string& what)
{
    const Thumbnails expected = NodeByNode(root, setup);
    const Thumbnails actual = OnePass(root, setup);
    ASSERT_EQ(expected.result, actual.result) << what;
    ASSERT_EQ(expected.pictures.size(), actual.pictures.size()) << what;
    for (size_t i = 0; i < expected.pictures.size(); ++i) {
        const long diff = FirstDifference(expected.pictures[i], actual.pictures[i]);
        ASSERT_EQ(diff, -1) << what << ": node " << i << " pixel " << diff << " of " << setup.width << "x"
                            << setup.height << (setup.antiAlias ? " anti-aliased" : "") << ": node by node "
                            << std::hex << expected.pictures[i].Bits()[diff] << " one pass "
                            << actual.pictures[i].Bits()[diff];
    }
}

void RandomTreesSame(uint32_t firstSeed, int count, int maxDepth, RenderSetup setup, const std::string& what)
{
    const Picture source = MakeSource(setup.width > 2 ? setup.width - 2 : 1, setup.height, firstSeed);
    for (uint32_t seed = firstSeed; seed < firstSeed + uint32_t(count); ++seed) {
        Tree tree;
        RandomTrees(seed).Fill(tree, maxDepth);
        setup.antiAlias = seed % 2 == 0;
        setup.source = seed % 3 == 0 ? &source : nullptr;
        ExpectSameThumbnails(tree.Root(), setup, what + ", seed " + std::to_string(seed));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(ThumbnailsOnePass, RandomTreesMatchNodeByNode)
{
    for (int threads = 1; threads <= 3; ++threads) {
        RenderSetup setup;
        setup.width = 9;
        setup.height = 7;
        setup.threads = threads;
        RandomTreesSame(300 * uint32_t(threads), 60, 6, setup, "threads " + std::to_string(threads));
        ASSERT_FALSE(HasFatalFailure());
    }
    // Views: slid and zoomed through the line tables, turned node by node.
    for (const PlaneView& view : {PlaneView{0.4, -0.3, 0.5, 0.0}, PlaneView{0.1, 0.2, 2.0, 45.0}}) {
        RenderSetup setup;
        setup.view = view;
        RandomTreesSame(5000, 20, 5, setup, "view angle " + std::to_string(view.angle));
        ASSERT_FALSE(HasFatalFailure());
    }
}

// Small blocks put the pixels of a node in many blocks, starting anywhere in
// a row; the sizes include single rows and columns and an empty grid.
TEST(ThumbnailsOnePass, SizesAndBlocks)
{
    const int sizes[][2] = {{1, 1}, {0, 4}, {13, 1}, {1, 9}, {6, 5}, {24, 24}};
    for (const auto& size : sizes)
        for (int block : {4, 7, 256}) {
            RenderSetup setup;
            setup.width = size[0];
            setup.height = size[1];
            setup.threads = 2;
            setup.options.blockSamples = block;
            RandomTreesSame(4000 + uint32_t(size[0] * 10 + size[1] + block), 6, 5, setup,
                            std::to_string(size[0]) + "x" + std::to_string(size[1]) + " block " +
                                std::to_string(block));
            ASSERT_FALSE(HasFatalFailure());
        }
}

TEST(ThumbnailsOnePass, EveryOptimisationOffInTurn)
{
    bool ProductionOptions::*const switches[] = {
        &ProductionOptions::foldConstants, &ProductionOptions::shareSubtrees, &ProductionOptions::shareGrey,
        &ProductionOptions::dropDeadChannels, &ProductionOptions::hoistLines, &ProductionOptions::shareAngles,
        &ProductionOptions::reuseRepeats, &ProductionOptions::wideKernels,
    };
    for (size_t i = 0; i < std::size(switches); ++i) {
        RenderSetup setup;
        setup.width = 7;
        setup.height = 6;
        setup.options.*switches[i] = false;
        RandomTreesSame(6000 + 100 * uint32_t(i), 15, 5, setup, "switch " + std::to_string(i) + " off");
        ASSERT_FALSE(HasFatalFailure());
    }
}

// Branches of "if" with library calls: a single picture computes them only on
// the samples that choose them, a thumbnail everywhere. NaN conditions (ln
// below its domain) and conditions of exactly 0 are among them.
TEST(ThumbnailsOnePass, IfBranchesAreComputedEverywhere)
{
    Tree t;
    ExprNode* root = t.Node(KIND_IF);
    ExprNode* ln = t.Node(KIND_LN);
    ExprNode* times = t.Node(KIND_TIMES);
    times->pChild[0] = t.Node(KIND_X);
    times->pChild[1] = t.Node(KIND_BW, -3.0);
    ln->pChild[0] = times;
    ExprNode* inner = t.Node(KIND_IF3);
    ExprNode* sinY = t.Node(KIND_SIN);
    sinY->pChild[0] = t.Node(KIND_Y);
    ExprNode* exp = t.Node(KIND_EXP);
    exp->pChild[0] = t.Node(KIND_SPIR, 0, 0, 0.7);
    ExprNode* cosR = t.Node(KIND_COS);
    cosR->pChild[0] = t.Node(KIND_R);
    inner->pChild[0] = sinY;
    inner->pChild[1] = exp;
    inner->pChild[2] = cosR;
    ExprNode* nested = t.Node(KIND_IF);
    ExprNode* zero = t.Node(KIND_MINUS);
    zero->pChild[0] = t.Node(KIND_Y);
    zero->pChild[1] = t.Node(KIND_Y);
    ExprNode* curt = t.Node(KIND_CURT);
    curt->pChild[0] = t.Node(KIND_PIC);
    nested->pChild[0] = zero;
    nested->pChild[1] = curt;
    nested->pChild[2] = t.Node(KIND_PHI);
    root->pChild[0] = ln;
    root->pChild[1] = inner;
    root->pChild[2] = nested;
    const Picture source = MakeSource(8, 9, 11);
    for (bool antiAlias : {false, true}) {
        RenderSetup setup;
        setup.width = 12;
        setup.height = 9;
        setup.antiAlias = antiAlias;
        setup.source = &source;
        setup.threads = 2;
        ExpectSameThumbnails(t.Root(), setup, "if branches");
        ASSERT_FALSE(HasFatalFailure());
    }
}

// Identical subtrees, "id", channels that rgbf drops and constant subtrees:
// several nodes with one value, and nodes whose value is folded. Channels of
// one node come from the input, a value of x alone, of y alone and a
// constant.
TEST(ThumbnailsOnePass, SharedAndConstantSubtrees)
{
    Tree t;
    ExprNode* top = t.Node(KIND_IF3);
    ExprNode* mixed = t.Node(KIND_RGBF);
    ExprNode* sinX = t.Node(KIND_SIN);
    sinX->pChild[0] = t.Node(KIND_X);
    mixed->pChild[0] = t.Node(KIND_PIC);
    mixed->pChild[1] = sinX;
    mixed->pChild[2] = t.Node(KIND_Y);
    ExprNode* lines = t.Node(KIND_RGBF);
    lines->pChild[0] = t.Node(KIND_CIR);
    lines->pChild[1] = t.Node(KIND_Y);
    lines->pChild[2] = t.Node(KIND_RGB, 0.1, 0.2, 0.3);
    ExprNode* shared = t.Node(KIND_RGBF);
    top->pChild[0] = mixed;
    top->pChild[1] = lines;
    top->pChild[2] = shared;
    auto sinOfX = [&] {
        ExprNode* s = t.Node(KIND_SIN);
        s->pChild[0] = t.Node(KIND_X);
        return s;
    };
    ExprNode* plus = t.Node(KIND_PLUS);
    plus->pChild[0] = sinOfX();
    ExprNode* id = t.Node(KIND_ID);
    id->pChild[0] = sinOfX();
    plus->pChild[1] = id;
    ExprNode* constant = t.Node(KIND_EXP);
    ExprNode* cross = t.Node(KIND_CROSS);
    cross->pChild[0] = t.Node(KIND_RGB, 0.25, -0.5, 0.75);
    cross->pChild[1] = t.Node(KIND_BW, 0.3);
    constant->pChild[0] = cross;
    ExprNode* maxg = t.Node(KIND_MAXG);
    maxg->pChild[0] = t.Node(KIND_XYM);
    maxg->pChild[1] = t.Node(KIND_CIR);
    shared->pChild[0] = plus;
    shared->pChild[1] = constant;
    shared->pChild[2] = maxg;
    const Picture source = MakeSource(7, 6, 5);
    for (bool antiAlias : {false, true}) {
        RenderSetup setup;
        setup.width = 10;
        setup.height = 6;
        setup.antiAlias = antiAlias;
        setup.source = &source;
        ExpectSameThumbnails(t.Root(), setup, "shared and constant");
        ASSERT_FALSE(HasFatalFailure());
    }
}

// sin nested `levels` times around a leaf (x unless told); returns the root.
const ExprNode* SinChain(Tree& t, int levels, int leafKind = KIND_X)
{
    ExprNode* node = t.Node(KIND_SIN);
    const ExprNode* root = node;
    for (int i = 1; i < levels; ++i) {
        ExprNode* child = t.Node(KIND_SIN);
        node->pChild[0] = child;
        node = child;
    }
    node->pChild[0] = t.Node(leafKind);
    return root;
}

// 3000 levels: the node at depth d shows sin applied 3000 - d times to x,
// computed here sample by sample from the leaf up.
TEST(ThumbnailsOnePass, DeepChain)
{
    constexpr int kLevels = 3000;
    Tree t;
    const ExprNode* root = SinChain(t, kLevels);
    RenderSetup setup;
    setup.width = 5;
    setup.height = 3;
    setup.threads = 2;
    const Thumbnails actual = OnePass(root, setup);
    ASSERT_EQ(actual.result, 1);
    ASSERT_EQ(actual.pictures.size(), size_t(kLevels) + 1);
    const CEvaluator evaluator;
    for (int c = 0; c < setup.width; ++c) {
        double v = SampleCoordinate(c, kPlainSample.dx, setup.width);
        for (int node = kLevels; node >= 0; --node) {
            if (node < kLevels)
                v = consistent::Sin(evaluator.m_dPi * v);
            const uint32_t byte = ChannelByte(ChannelToInt(v));
            for (int r = 0; r < setup.height; ++r)
                ASSERT_EQ(actual.pictures[size_t(node)].Pixel(c, r), PackPixel(byte, byte, byte))
                    << "node " << node << " column " << c;
        }
    }
    ExpectSameThumbnails(SinChain(t, 40), setup, "short chain");
}

// A chain one level deeper than the evaluator goes: no picture of the root,
// so none at all, as node by node.
TEST(ThumbnailsOnePass, TooDeepTreeGivesNone)
{
    Tree t;
    const ExprNode* root = SinChain(t, kMaxTreeDepth);  // with its leaf, one level too many
    RenderSetup setup;
    setup.width = 3;
    setup.height = 2;
    const Thumbnails actual = OnePass(root, setup);
    EXPECT_EQ(actual.result, 0);
    EXPECT_TRUE(actual.pictures.empty());
    EXPECT_FALSE(production::CanCompile(root));
}

// Trees the compiler refuses go node by node: a branch of "if" that the
// root never chooses holds an invalid kind (its own picture fails and is left
// out, its siblings are not), and a node lists a child its kind never reads.
TEST(ThumbnailsOnePass, RefusedTreesGoNodeByNode)
{
    Tree t;
    ExprNode* root = t.Node(KIND_IF);
    ExprNode* sin = t.Node(KIND_SIN);
    sin->pChild[0] = t.Node(KIND_Y);
    sin->nChildren = 2;
    sin->pChild[1] = t.Node(KIND_R);  // rendered on its own, never by sin
    root->pChild[0] = t.Node(KIND_BW, 1.0);
    root->pChild[1] = sin;
    root->pChild[2] = t.Node(99);
    RenderSetup setup;
    setup.width = 6;
    setup.height = 4;
    ExpectSameThumbnails(t.Root(), setup, "refused");
    ASSERT_FALSE(HasFatalFailure());
    const Thumbnails actual = OnePass(t.Root(), setup);
    EXPECT_EQ(actual.result, 1);
    EXPECT_EQ(actual.pictures.size(), CountNodes(t.Root()) - 1);  // all but the invalid leaf
}

// The pass's blocks run along whole rows, so a column is finished only with
// the last block: an abort asked for then still gives 0 and nothing.
TEST(ThumbnailsOnePass, AbortStopsWithNothing)
{
    Tree tree;
    RandomTrees(77).Fill(tree, 7);
    for (int threads : {1, 3}) {
        for (int abortAt : {0, 1, 5}) {
            RenderSetup setup;
            setup.width = 16;
            setup.height = 16;
            setup.threads = threads;
            setup.options.blockSamples = 16;
            std::atomic<int> abort{abortAt == 0 ? 1 : 0};
            const Thumbnails t = OnePass(tree.Root(), setup, &abort, abortAt);
            EXPECT_EQ(t.result, 0) << "threads " << threads << " abort at " << abortAt;
            EXPECT_TRUE(t.pictures.empty());
        }
    }
}

// An abort from another thread while a deep chain is being computed.
TEST(ThumbnailsOnePass, AbortFromAnotherThreadMidway)
{
    Tree t;
    const ExprNode* root = SinChain(t, 3000, KIND_R);
    RenderSetup setup;
    setup.width = 64;
    setup.height = 64;
    setup.threads = 2;
    std::atomic<int> abort{0};
    // Twelve million library calls take far longer than the wait.
    std::thread stopper([&abort] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        abort.store(1);
    });
    const Thumbnails t2 = OnePass(root, setup, &abort);
    stopper.join();
    EXPECT_EQ(t2.result, 0);
    EXPECT_TRUE(t2.pictures.empty());
}

// Node by node, an abort during the third node's picture keeps the two
// pictures before it and returns 0.
TEST(ThumbnailsNodeByNode, AbortKeepsThePicturesBefore)
{
    Tree tree;
    RandomTrees(78).Fill(tree, 5);
    CEvaluator evaluator;
    RenderSetup setup;
    Picture target(setup.width, setup.height);
    std::atomic<int> abort{0};
    RenderRequest request = SetupRequest(tree.Root(), setup, evaluator, target);
    request.abort = &abort;
    int renders = 0;
    std::vector<Picture> out;
    const int result = RenderThumbnailsNodeByNode(request, out, [&](const RenderRequest& branch) {
        if (++renders == 3)
            abort.store(1);
        return RenderReference(branch);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(renders, 3);
    ASSERT_EQ(out.size(), 2u);
    RenderSetup rootSetup = setup;
    EXPECT_EQ(FirstDifference(out[0], RenderReferencePicture(tree.Root(), rootSetup)), -1);
}

}  // namespace
