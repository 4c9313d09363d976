// A tree and its text are the same expression: every constant a producer
// puts into a tree is the value the ".quil" text reads back, bit for bit,
// so that saving and opening a picture gives the very same picture.

#include "engine/CNumbers.h"
#include "engine/GenerationSettings.h"
#include "engine/Mutation.h"
#include "engine/NodeLabels.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

namespace {

GenerationSettings SmallTrees()
{
    MemorySettingsStore store;
    GenerationSettings s;
    s.InitGenerationSettings(store);
    s.m_nMaxLevel = 5;  // the constants matter here, not the depth
    return s;
}

// Kinds, shapes and every parameter a kind reads, compared bit for bit
// (-0.0 and 0.0 are different constants to a picture).
bool SameExpression(const ExprNode* a, const ExprNode* b, std::string& why)
{
    if (a->nKind != b->nKind || a->nChildren != b->nChildren) {
        why = "kind or shape differs";
        return false;
    }
    const ParamLayout& params = kNodeKinds[a->nKind].params;
    for (int i = 0; i < params.count; ++i) {
        const int k = params.index[i];
        if (std::bit_cast<uint64_t>(a->dParam[k]) != std::bit_cast<uint64_t>(b->dParam[k])) {
            why = std::string(KindName(a->nKind)) + " holds " + FormatG17(a->dParam[k]) + ", its text " +
                  FormatG17(b->dParam[k]);
            return false;
        }
    }
    for (int i = 0; i < a->nChildren; ++i)
        if (!SameExpression(a->pChild[i], b->pChild[i], why))
            return false;
    return true;
}

// The tree read back from the tree's own text is the tree.
void ExpectItsOwnText(CQuilExpression& tree, const std::string& what)
{
    StringArchive written;
    ASSERT_TRUE(tree.WriteExpression(written)) << what;
    SilentEngineHost host;
    CQuilExpression back(&host);
    StringArchive read(written.Output());
    ASSERT_NE(back.ReadExpression(read), nullptr) << what;
    std::string why;
    EXPECT_TRUE(SameExpression(tree.GetRoot(), back.GetRoot(), why)) << what << ": " << why;
}

}  // namespace

TEST(TextGrid, GeneratedMutatedAndCrossedTreesAreTheirOwnText)
{
    const GenerationSettings settings = SmallTrees();
    SilentEngineHost host;
    const MutationOp ops[] = {MutationOp::Nudge, MutationOp::ChangeKind, MutationOp::NewBranch, MutationOp::Crossover};
    for (uint32_t seed = 1; seed <= 3000; ++seed) {
        LcgRandomSource random(seed);
        CQuilExpression parent(&host), mate(&host);
        parent.Reset();
        ASSERT_EQ(parent.GenerateRandom(settings, random), 1);
        ExpectItsOwnText(parent, "seed " + std::to_string(seed));
        if (seed % 10 != 0)
            continue;
        mate.Reset();
        ASSERT_EQ(mate.GenerateRandom(settings, random), 1);
        CMutator mutator(settings, random);
        for (const MutationOp op : ops) {
            CQuilExpression out(&host);
            if (mutator.Apply(op, parent.GetRoot(), out, 3, mate.GetRoot()))
                ExpectItsOwnText(out, "seed " + std::to_string(seed) + ", operator " + std::to_string(int(op)));
        }
        if (HasFailure())
            return;
    }
}

TEST(TextGrid, EveryDrawAndNearbyValueLandsWhereTheTextReadsBack)
{
    const auto text = [](double v) { return AtofC(FormatFixed6(v)); };
    for (int r = 0; r <= 32767; ++r) {
        const double draw = r / 32767.0 * 2 - 1;
        for (const double v : {draw, draw * 0.37, draw + 5e-7, draw - 5e-7, draw * 1e-6})
            ASSERT_EQ(std::bit_cast<uint64_t>(OnTextGrid(v)), std::bit_cast<uint64_t>(text(v))) << FormatG17(v);
    }
    for (const double v : {0.0000005, -0.0000005, 0.0000015, 0.1234565, 999.9999995, 1e300, -0.0})
        EXPECT_EQ(std::bit_cast<uint64_t>(OnTextGrid(v)), std::bit_cast<uint64_t>(text(v))) << FormatG17(v);
}

TEST(TextGrid, ATypedLabelKeepsOnlyWhatTheFileKeeps)
{
    int kind = -1;
    double params[3];
    ASSERT_EQ(ParseNodeLabel("SPIRC(0.1234567, -0.0000004, 0.9999996)", kind, params), LabelKind::Constant);
    EXPECT_EQ(params[0], AtofC("0.123457"));
    EXPECT_EQ(std::bit_cast<uint64_t>(params[1]), std::bit_cast<uint64_t>(AtofC("-0.000000")));
    EXPECT_EQ(params[2], 1.0);
}
