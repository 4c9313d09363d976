// The production renderer gives the reference's pixels, bit for bit, for
// random trees over every kind, sizes, anti-alias, source pictures, thread
// counts, block sizes and every optimisation switched off in turn.

#include "ProductionTestSupport.h"

#include "render/production/Kernels.h"

#include <gtest/gtest.h>

using namespace prodtest;
using production::ProductionOptions;

namespace {

void ExpectSame(const ExprNode* root, const RenderSetup& setup, const std::string& what)
{
    int refResult = -1, prodResult = -1;
    const Picture expected = RenderReferencePicture(root, setup, &refResult);
    const Picture actual = RenderProductionPicture(root, setup, nullptr, &prodResult);
    const long diff = FirstDifference(expected, actual);
    ASSERT_EQ(diff, -1) << what << ": pixel " << diff << " of " << setup.width << "x" << setup.height
                        << (setup.antiAlias ? " anti-aliased" : "") << " threads " << setup.threads << " block "
                        << setup.options.blockSamples << ": reference " << std::hex << expected.Bits()[diff]
                        << " production " << actual.Bits()[diff];
    ASSERT_EQ(refResult, prodResult) << what;
}

// Runs `count` random trees from `firstSeed` through ExpectSame, varying
// anti-alias, source picture and thread count with the seed.
void RandomTreesSame(uint32_t firstSeed, int count, int maxDepth, RenderSetup setup, const std::string& what)
{
    const Picture source = MakeSource(setup.width - 2 > 0 ? setup.width - 2 : 1, setup.height, firstSeed);
    for (uint32_t seed = firstSeed; seed < firstSeed + uint32_t(count); ++seed) {
        Tree tree;
        RandomTrees(seed).Fill(tree, maxDepth);
        setup.antiAlias = seed % 2 == 0;
        setup.source = seed % 3 == 0 ? &source : nullptr;
        ExpectSame(tree.Root(), setup, what + ", seed " + std::to_string(seed));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(ProductionEquivalence, RandomTreesOverEveryKind)
{
    RenderSetup setup;
    setup.width = 11;
    setup.height = 7;
    for (int threads = 1; threads <= 4; ++threads) {
        setup.threads = threads;
        RandomTreesSame(1000 * uint32_t(threads), 100, 6, setup, "threads " + std::to_string(threads));
        ASSERT_FALSE(HasFatalFailure());
    }
}

TEST(ProductionEquivalence, DeepTrees)
{
    RenderSetup setup;
    setup.width = 6;
    setup.height = 5;
    setup.threads = 2;
    RandomTreesSame(50000, 60, 10, setup, "deep");
}

TEST(ProductionEquivalence, OddSizes)
{
    const int sizes[][2] = {{1, 1}, {1, 23}, {23, 1}, {2, 1}, {1, 2}, {13, 17}, {31, 2}, {2, 31}, {3, 3}};
    for (const auto& size : sizes) {
        RenderSetup setup;
        setup.width = size[0];
        setup.height = size[1];
        setup.threads = 3;
        setup.options.blockSamples = 8;
        RandomTreesSame(7000 + uint32_t(size[0] * 100 + size[1]), 24, 6, setup,
                        std::to_string(size[0]) + "x" + std::to_string(size[1]));
        ASSERT_FALSE(HasFatalFailure());
    }
}

// Blocks of every length, through stripes of every width (1: down single
// columns; 3 leaves a narrower last stripe of the 7 columns; 16 is wider than
// the picture), on any number of threads.
TEST(ProductionEquivalence, BlockSizesStripesAndThreadCounts)
{
    const int blocks[] = {1, 2, 3, 4, 5, 7, 16, 100, 4096};
    for (int b : blocks) {
        for (int stripe : {1, 3, 16}) {
            for (int threads = 1; threads <= 8; threads += 3) {
                RenderSetup setup;
                setup.width = 7;
                setup.height = 6;
                setup.threads = threads;
                setup.options.blockSamples = b;
                setup.options.stripeColumns = stripe;
                RandomTreesSame(9000 + uint32_t(b * 100 + stripe * 10 + threads), 8, 6, setup,
                                "block " + std::to_string(b) + " stripe " + std::to_string(stripe));
                ASSERT_FALSE(HasFatalFailure());
            }
        }
    }
}

// The default blocks and stripes on a picture wide enough for whole stripe
// rows (the table loads' fixed-length path) and a narrower last stripe.
TEST(ProductionEquivalence, DefaultBlocksThroughWholeStripeRows)
{
    RenderSetup setup;
    setup.width = 40;
    setup.height = 20;
    setup.threads = 2;
    RandomTreesSame(9500, 30, 6, setup, "default blocks");
}

TEST(ProductionEquivalence, EveryOptimisationOffInTurn)
{
    struct Switch {
        const char* name;
        bool ProductionOptions::*flag;
    };
    const Switch switches[] = {
        {"foldConstants", &ProductionOptions::foldConstants},
        {"shareSubtrees", &ProductionOptions::shareSubtrees},
        {"shareGrey", &ProductionOptions::shareGrey},
        {"dropDeadChannels", &ProductionOptions::dropDeadChannels},
        {"hoistLines", &ProductionOptions::hoistLines},
        {"lazyIf", &ProductionOptions::lazyIf},
        {"shareAngles", &ProductionOptions::shareAngles},
        {"reuseRepeats", &ProductionOptions::reuseRepeats},
    };
    for (const Switch& s : switches) {
        RenderSetup setup;
        setup.width = 8;
        setup.height = 7;
        setup.threads = 2;
        setup.options.*(s.flag) = false;
        RandomTreesSame(20000, 40, 6, setup, std::string(s.name) + " off");
        ASSERT_FALSE(HasFatalFailure());
    }
    RenderSetup allOff;
    allOff.width = 8;
    allOff.height = 7;
    for (const Switch& s : switches)
        allOff.options.*(s.flag) = false;
    RandomTreesSame(21000, 40, 6, allOff, "all off");
}

// Each compilation of the kernels this processor runs (the vector math of
// each width) against the scalar functions of the reference.
TEST(ProductionEquivalence, EveryInstructionSetPath)
{
    for (const production::KernelSet* set : production::RunnableKernels()) {
        for (int threads : {1, 3}) {
            RenderSetup setup;
            setup.width = 13;
            setup.height = 6;
            setup.threads = threads;
            setup.options.kernels = set;
            RandomTreesSame(30000 + uint32_t(threads), 60, 6, setup,
                            std::string(set->name) + " threads " + std::to_string(threads));
            ASSERT_FALSE(HasFatalFailure());
        }
    }
}

// Conditions that sum to exactly 0 take the first branch; NaN sums (a log
// below its domain on part of the picture) take the second.
TEST(ProductionEquivalence, IfConditionsAtZeroAndNaN)
{
    for (bool antiAlias : {false, true}) {
        Tree t;
        ExprNode* root = t.Node(KIND_IF);
        ExprNode* cond = t.Node(KIND_PLUS);
        ExprNode* x = t.Node(KIND_X);
        ExprNode* negX = t.Node(KIND_NEG);
        ExprNode* x2 = t.Node(KIND_X);
        negX->pChild[0] = x2;
        cond->pChild[0] = x;
        cond->pChild[1] = negX;  // exactly 0 everywhere
        ExprNode* inner = t.Node(KIND_IF);
        ExprNode* ln = t.Node(KIND_LN);
        ExprNode* times = t.Node(KIND_TIMES);
        times->pChild[0] = t.Node(KIND_X);
        times->pChild[1] = t.Node(KIND_BW, -3.0);
        ln->pChild[0] = times;  // NaN where 3x > 1.313
        inner->pChild[0] = ln;
        inner->pChild[1] = t.Node(KIND_Y);
        inner->pChild[2] = t.Node(KIND_R);
        root->pChild[0] = cond;
        root->pChild[1] = inner;
        root->pChild[2] = t.Node(KIND_BW, 0.5);
        RenderSetup setup;
        setup.width = 12;
        setup.height = 5;
        setup.antiAlias = antiAlias;
        ExpectSame(t.Root(), setup, "zero and NaN conditions");
    }
}

// "PIC" reads the source picture where it covers the target and black
// elsewhere; with anti-alias all four samples read the same pixel.
TEST(ProductionEquivalence, SourcePictureThroughFunctions)
{
    const Picture source = MakeSource(5, 4, 3);
    Tree t;
    ExprNode* root = t.Node(KIND_CROSS);
    ExprNode* sin = t.Node(KIND_SIN);
    sin->pChild[0] = t.Node(KIND_PIC);
    ExprNode* plus = t.Node(KIND_PLUS);
    plus->pChild[0] = t.Node(KIND_PIC);
    plus->pChild[1] = t.Node(KIND_XYM);
    root->pChild[0] = sin;
    root->pChild[1] = plus;
    for (bool antiAlias : {false, true}) {
        RenderSetup setup;
        setup.width = 7;
        setup.height = 6;
        setup.antiAlias = antiAlias;
        setup.source = &source;
        setup.threads = 2;
        ExpectSame(t.Root(), setup, "source picture");
        setup.source = nullptr;
        ExpectSame(t.Root(), setup, "no source picture");
    }
}

}  // namespace

// A view of the plane enters both renderers the same way: zoomed and slid
// (the line tables stay) and turned (every sample is mapped on its own).
TEST(ProductionEquivalence, ViewsOfThePlane)
{
    const PlaneView views[] = {{0.3, -0.2, 0.25, 0.0}, {-0.5, 0.1, 1.0, 37.0}, {0.0, 0.0, 3.0, -90.0}};
    RenderSetup setup;
    setup.width = 13;
    setup.height = 9;
    uint32_t seed = 77000;
    for (const PlaneView& view : views) {
        setup.view = view;
        for (int threads = 1; threads <= 2; ++threads) {
            setup.threads = threads;
            RandomTreesSame(seed, 40, 6, setup, "view angle " + std::to_string(view.angle));
            ASSERT_FALSE(HasFatalFailure());
            seed += 40;
        }
    }
}
