// The production renderer gives the reference's pixels, bit for bit, for
// random trees over every kind, sizes, anti-alias, source pictures, thread
// counts, block sizes and every optimisation switched off in turn.

#include "ProductionTestSupport.h"

#include <gtest/gtest.h>

using namespace prodtest;

namespace {

void ExpectSame(const ExprNode* root, const RenderSetup& setup, const std::string& what)
{
    const Picture expected = RenderReferencePicture(root, setup);
    const Picture actual = RenderProductionPicture(root, setup);
    const long diff = FirstDifference(expected, actual);
    ASSERT_EQ(diff, -1) << what << ": pixel " << diff << " of " << setup.width << "x" << setup.height
                        << (setup.antiAlias ? " anti-aliased" : "") << " reference "
                        << std::hex << expected.Bits()[diff] << " production " << actual.Bits()[diff];
}

TEST(ProductionEquivalence, RandomTreesOverEveryKind)
{
    const Picture source = MakeSource(7, 5, 99);
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        Tree tree;
        RandomTrees(seed).Fill(tree, 6);
        RenderSetup setup;
        setup.width = 11;
        setup.height = 7;
        setup.antiAlias = seed % 2 == 0;
        setup.source = seed % 3 == 0 ? &source : nullptr;
        setup.threads = int(seed % 4) + 1;
        ExpectSame(tree.Root(), setup, "seed " + std::to_string(seed));
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
