// What the compiler saves, counted in library calls, and what it refuses.
// Every picture here is also compared with the reference: a saving that
// changed a pixel would be no saving.

#include "ProductionTestSupport.h"

#include "render/PixelMath.h"
#include "render/production/LibraryStats.h"

#include <gtest/gtest.h>

using namespace prodtest;
using production::LibFn;
using production::LibraryStats;
using production::ProductionOptions;

namespace {

constexpr int kW = 9;
constexpr int kH = 7;

uint64_t Calls(const LibraryStats& stats, LibFn fn) { return stats.counts.calls[int(fn)]; }

// Renders with the given options (repeats not reused, so that counts are
// exact), checks the picture against the reference and returns the counts.
LibraryStats Count(const ExprNode* root, ProductionOptions options, bool antiAlias = false)
{
    options.reuseRepeats = false;
    RenderSetup setup;
    setup.width = kW;
    setup.height = kH;
    setup.antiAlias = antiAlias;
    setup.options = options;
    LibraryStats stats;
    const Picture actual = RenderProductionPicture(root, setup, &stats);
    EXPECT_EQ(FirstDifference(RenderReferencePicture(root, setup), actual), -1);
    return stats;
}

ProductionOptions Without(bool ProductionOptions::*flag)
{
    ProductionOptions options;
    options.*flag = false;
    return options;
}

ExprNode* TimesXY(Tree& t)
{
    ExprNode* times = t.Node(KIND_TIMES);
    times->pChild[0] = t.Node(KIND_X);
    times->pChild[1] = t.Node(KIND_Y);
    return times;
}

ExprNode* Unary(Tree& t, int kind, ExprNode* child)
{
    ExprNode* n = t.Node(kind);
    n->pChild[0] = child;
    return n;
}

TEST(CompilerSavings, GreyValueCallsOncePerSample)
{
    Tree t;
    ExprNode* sin = t.Node(KIND_SIN);
    sin->pChild[0] = TimesXY(t);
    EXPECT_EQ(Calls(Count(t.Root(), {}), LibFn::Sin), uint64_t(kW * kH));
    EXPECT_EQ(Calls(Count(t.Root(), Without(&ProductionOptions::shareGrey)), LibFn::Sin), uint64_t(3 * kW * kH));
}

TEST(CompilerSavings, IdenticalSubtreesComputedOnce)
{
    Tree t;
    ExprNode* plus = t.Node(KIND_PLUS);
    plus->pChild[0] = Unary(t, KIND_SIN, TimesXY(t));
    plus->pChild[1] = Unary(t, KIND_SIN, TimesXY(t));
    EXPECT_EQ(Calls(Count(t.Root(), {}), LibFn::Sin), uint64_t(kW * kH));
    EXPECT_EQ(Calls(Count(t.Root(), Without(&ProductionOptions::shareSubtrees)), LibFn::Sin), uint64_t(2 * kW * kH));
}

TEST(CompilerSavings, ChannelsNothingReadsAreSkipped)
{
    // rgb reads only the red channel of its first child; the three channels of
    // sin(XYM x XY) all differ and all depend on x and y.
    Tree t;
    ExprNode* rgb = t.Node(KIND_RGBF);
    ExprNode* times = t.Node(KIND_TIMES);
    times->pChild[0] = t.Node(KIND_XYM);
    times->pChild[1] = TimesXY(t);
    rgb->pChild[0] = Unary(t, KIND_SIN, times);
    rgb->pChild[1] = t.Node(KIND_BW, 0.25);
    rgb->pChild[2] = t.Node(KIND_Y);
    EXPECT_EQ(Calls(Count(t.Root(), {}), LibFn::Sin), uint64_t(kW * kH));
    EXPECT_EQ(Calls(Count(t.Root(), Without(&ProductionOptions::dropDeadChannels)), LibFn::Sin),
              uint64_t(3 * kW * kH));
}

TEST(CompilerSavings, LineValuesOncePerColumnAndRow)
{
    Tree t;
    ExprNode* plus = t.Node(KIND_PLUS);
    plus->pChild[0] = Unary(t, KIND_SIN, t.Node(KIND_X));
    plus->pChild[1] = Unary(t, KIND_COS, t.Node(KIND_Y));
    LibraryStats plain = Count(t.Root(), {});
    EXPECT_EQ(Calls(plain, LibFn::Sin), uint64_t(kW));
    EXPECT_EQ(Calls(plain, LibFn::Cos), uint64_t(kH));
    // Anti-alias: three distinct x offsets and two y offsets among the four samples.
    LibraryStats aa = Count(t.Root(), {}, true);
    EXPECT_EQ(Calls(aa, LibFn::Sin), uint64_t(3 * kW));
    EXPECT_EQ(Calls(aa, LibFn::Cos), uint64_t(2 * kH));
    LibraryStats off = Count(t.Root(), Without(&ProductionOptions::hoistLines), true);
    EXPECT_EQ(Calls(off, LibFn::Sin), uint64_t(4 * kW * kH));
    EXPECT_EQ(Calls(off, LibFn::Cos), uint64_t(4 * kW * kH));
}

TEST(CompilerSavings, AngleAndRadiusSharedBetweenTerminals)
{
    Tree t;
    ExprNode* plus = t.Node(KIND_PLUS);
    ExprNode* inner = t.Node(KIND_MINUS);
    inner->pChild[0] = t.Node(KIND_PHI);
    inner->pChild[1] = t.Node(KIND_SPIR, 0.0, 0.0, 0.3);
    plus->pChild[0] = inner;
    plus->pChild[1] = t.Node(KIND_SPIRC, 0.0, 0.0, -0.7);  // centre (0, 0): the same angle and radius
    LibraryStats shared = Count(t.Root(), {});
    EXPECT_EQ(Calls(shared, LibFn::Atan2), uint64_t(kW * kH));
    EXPECT_EQ(Calls(shared, LibFn::Log), uint64_t(kW * kH));
    LibraryStats apart = Count(t.Root(), Without(&ProductionOptions::shareAngles));
    EXPECT_EQ(Calls(apart, LibFn::Atan2), uint64_t(3 * kW * kH));
    EXPECT_EQ(Calls(apart, LibFn::Log), uint64_t(2 * kW * kH));
}

TEST(CompilerSavings, ConstantSubtreesFolded)
{
    Tree t;
    ExprNode* plus = t.Node(KIND_PLUS);
    plus->pChild[0] = Unary(t, KIND_SIN, t.Node(KIND_BW, 0.3));
    plus->pChild[1] = TimesXY(t);
    EXPECT_EQ(Calls(Count(t.Root(), {}), LibFn::Sin), 0u);
    EXPECT_EQ(Calls(Count(t.Root(), Without(&ProductionOptions::foldConstants)), LibFn::Sin), uint64_t(kW * kH));
}

// The lazy "if" calls each branch's functions only on the samples that choose
// it: with the condition X (sum 3x), sin runs where x >= 0, cos elsewhere.
TEST(CompilerSavings, LazyIfEvaluatesOnlyTheChosenBranch)
{
    for (bool antiAlias : {false, true}) {
        Tree t;
        ExprNode* iff = t.Node(KIND_IF);
        iff->pChild[0] = t.Node(KIND_X);
        iff->pChild[1] = Unary(t, KIND_SIN, TimesXY(t));
        iff->pChild[2] = Unary(t, KIND_COS, TimesXY(t));
        const SampleOffset* offsets = antiAlias ? kAntiAliasSamples : &kPlainSample;
        const int samples = antiAlias ? 4 : 1;
        uint64_t chooseB = 0;
        for (int c = 0; c < kW; ++c)
            for (int r = 0; r < kH; ++r)
                for (int s = 0; s < samples; ++s) {
                    const double x = SampleCoordinate(c, offsets[s].dx, kW);
                    chooseB += (x + x + x >= 0.0) ? 1 : 0;
                }
        const uint64_t all = uint64_t(kW * kH * samples);
        ASSERT_GT(chooseB, 0u);
        ASSERT_LT(chooseB, all);
        LibraryStats lazy = Count(t.Root(), {}, antiAlias);
        EXPECT_EQ(Calls(lazy, LibFn::Sin), chooseB);
        EXPECT_EQ(Calls(lazy, LibFn::Cos), all - chooseB);
        LibraryStats eager = Count(t.Root(), Without(&ProductionOptions::lazyIf), antiAlias);
        EXPECT_EQ(Calls(eager, LibFn::Sin), all);
        EXPECT_EQ(Calls(eager, LibFn::Cos), all);
    }
}

// Nested: the inner "if" runs only inside the outer one's first branch, and
// its own branches only on their share of that.
TEST(CompilerSavings, NestedLazyIfs)
{
    Tree t;
    ExprNode* outer = t.Node(KIND_IF);
    outer->pChild[0] = t.Node(KIND_X);
    ExprNode* inner = t.Node(KIND_IF);
    inner->pChild[0] = t.Node(KIND_Y);
    inner->pChild[1] = Unary(t, KIND_EXP, TimesXY(t));
    inner->pChild[2] = Unary(t, KIND_LN, TimesXY(t));
    outer->pChild[1] = inner;
    outer->pChild[2] = Unary(t, KIND_CURT, TimesXY(t));
    uint64_t xy = 0, xNotY = 0, notX = 0;
    for (int c = 0; c < kW; ++c)
        for (int r = 0; r < kH; ++r) {
            const double x = SampleCoordinate(c, kPlainSample.dx, kW);
            const double y = SampleCoordinate(r, kPlainSample.dy, kH);
            if (x + x + x >= 0.0)
                (y + y + y >= 0.0 ? xy : xNotY) += 1;
            else
                ++notX;
        }
    LibraryStats stats = Count(t.Root(), {});
    EXPECT_EQ(Calls(stats, LibFn::Exp), xy);
    EXPECT_EQ(Calls(stats, LibFn::Log), xNotY);
    EXPECT_EQ(Calls(stats, LibFn::Pow), notX);
}

TEST(CompilerSavings, RepeatedArgumentsCallOnce)
{
    // min(xy, -0.5) is -0.5 on most of the picture: the same argument again.
    // Only the C library's functions, called one value at a time, skip it.
    Tree t;
    ExprNode* sin = t.Node(KIND_SIN);
    ExprNode* min = t.Node(KIND_MIN);
    min->pChild[0] = TimesXY(t);
    min->pChild[1] = t.Node(KIND_BW, -0.5);
    sin->pChild[0] = min;
    RenderSetup setup;
    setup.width = kW;
    setup.height = kH;
    setup.options.mathLibrary = production::MathLibrary::System;
    LibraryStats reused, all;
    const Picture picture = RenderProductionPicture(t.Root(), setup, &reused);
    RenderSetup everyCall = setup;
    everyCall.options.reuseRepeats = false;
    EXPECT_EQ(FirstDifference(RenderProductionPicture(t.Root(), everyCall, &all), picture), -1);
    EXPECT_LT(Calls(reused, LibFn::Sin), uint64_t(kW * kH));
    EXPECT_EQ(Calls(all, LibFn::Sin), uint64_t(kW * kH));

    // Sampling the arguments (the bench's counting run) takes another loop:
    // it must skip exactly the same calls and see one argument per call.
    production::ArgumentSampler sampler(1000);
    LibraryStats sampled;
    sampled.sampler = &sampler;
    EXPECT_EQ(FirstDifference(picture, RenderProductionPicture(t.Root(), setup, &sampled)), -1);
    EXPECT_EQ(Calls(sampled, LibFn::Sin), Calls(reused, LibFn::Sin));
    EXPECT_EQ(uint64_t(sampler.Samples(LibFn::Sin).size()), Calls(reused, LibFn::Sin));
}

// Trees the compiler refuses go to the reference unchanged: the same pixels,
// the same partial picture when the evaluator stops, the same result.
TEST(CompilerRefusals, InvalidTreesRenderThroughTheReference)
{
    std::vector<std::unique_ptr<Tree>> trees;
    auto add = [&]() -> Tree& { return *trees.emplace_back(std::make_unique<Tree>()); };
    {
        Tree& t = add();  // kind 34
        ExprNode* plus = t.Node(KIND_PLUS);
        plus->pChild[0] = t.Node(KIND_X);
        plus->pChild[1] = t.Node(34);
    }
    {
        Tree& t = add();  // a failed load
        Unary(t, KIND_SIN, nullptr)->pChild[0] = t.Node(-1);
    }
    {
        Tree& t = add();  // a missing child
        ExprNode* times = t.Node(KIND_TIMES);
        times->pChild[0] = t.Node(KIND_Y);
        times->pChild[1] = nullptr;
    }
    {
        Tree& t = add();  // an "if" whose unchosen branch is broken: the reference succeeds
        ExprNode* iff = t.Node(KIND_IF);
        iff->pChild[0] = t.Node(KIND_BW, 0.5);
        iff->pChild[1] = t.Node(KIND_X);
        iff->pChild[2] = t.Node(77);
    }
    for (size_t i = 0; i < trees.size(); ++i) {
        const ExprNode* root = trees[i]->Root();
        EXPECT_FALSE(production::CanCompile(root)) << i;
        RenderSetup setup;
        setup.threads = 3;
        int refResult = -1, prodResult = -1;
        const Picture expected = RenderReferencePicture(root, setup, &refResult);
        const Picture actual = RenderProductionPicture(root, setup, nullptr, &prodResult);
        EXPECT_EQ(FirstDifference(expected, actual), -1) << i;
        EXPECT_EQ(prodResult, refResult) << i;
    }
    EXPECT_FALSE(production::CanCompile(nullptr));
}

// A chain as deep as the evaluator goes compiles; one level more is refused,
// and the reference then stops at the first sample.
TEST(CompilerRefusals, DepthLimit)
{
    for (int levels : {kMaxTreeDepth, kMaxTreeDepth + 1}) {
        Tree t;
        ExprNode* node = t.Node(KIND_NEG);
        for (int level = 1; level < levels - 1; ++level) {
            ExprNode* child = t.Node(level % 2 ? KIND_NEG : KIND_ID);
            node->pChild[0] = child;
            node = child;
        }
        node->pChild[0] = t.Node(KIND_X);
        EXPECT_EQ(production::CanCompile(t.Root()), levels <= kMaxTreeDepth) << levels;
        RenderSetup setup;
        setup.width = 3;
        setup.height = 2;
        int refResult = -1, prodResult = -1;
        const Picture expected = RenderReferencePicture(t.Root(), setup, &refResult);
        EXPECT_EQ(FirstDifference(expected, RenderProductionPicture(t.Root(), setup, nullptr, &prodResult)), -1);
        EXPECT_EQ(prodResult, refResult);
        EXPECT_EQ(refResult, levels <= kMaxTreeDepth ? 1 : 0);
    }
}

}  // namespace
