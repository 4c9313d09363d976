// The draw order and selection rules of random generation, with scripted random values.

#include "TestHost.h"

#include "engine/GenerationSettings.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {
GenerationSettings Defaults()
{
    MemorySettingsStore store;
    GenerationSettings s;
    s.InitGenerationSettings(store);
    return s;
}

// r for n(k) to give index i: the smallest r with r * k / 32768 == i.
int RFor(int i, int k) { return (i * 32768 + k - 1) / k; }

// Settings without random counts: all 13 terminals in code order (no draws for them)
// and all 21 function codes (no shuffle either).
GenerationSettings FixedLists()
{
    GenerationSettings s = Defaults();
    s.m_bUseRandConst = 0;
    s.m_bUseRandFunc = 0;
    s.m_nNumConsts = 13;
    s.m_nNumFuncs = 21;
    return s;
}

std::string Text(CQuilExpression& e)
{
    StringArchive ar;
    e.WriteExpression(ar);
    return ar.Output();
}
}  // namespace

TEST(Generate, MaxLevelZeroGivesOneTerminalWithExactDraws)
{
    RecordingHost host;
    CQuilExpression e(&host);
    GenerationSettings s = FixedLists();
    s.m_nMaxLevel = 0;
    s.m_nTermLevel = 0;
    s.m_dTermProb = 0.0;
    // Three parameters, the stop draw (level 0 <= 0 - 0), the terminal choice.
    ScriptedRandomSource r({0, 32767, 16383, 32767, RFor(0, 1) /*u = 0 -> first terminal with weight*/});
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    EXPECT_EQ(r.m_nDraws, 5);
    EXPECT_EQ(r.m_nOverruns, 0);
    const ExprNode* root = e.GetRoot();
    EXPECT_EQ(root->dParam[0], -1.0);
    EXPECT_EQ(root->dParam[1], 1.0);
    EXPECT_EQ(root->dParam[2], -0.000031);  // 16383 / 32767.0 * 2 - 1 as the file keeps it
    EXPECT_EQ(root->nKind, KIND_BW);  // u = 0 <= BW's weight
    EXPECT_EQ(root->nChildren, 0);
    EXPECT_EQ(e.NodeCount(), 2u);  // the root and one left over
}

TEST(Generate, TerminalChoiceWalksTheRunningSum)
{
    GenerationSettings s = FixedLists();
    s.m_nMaxLevel = 0;
    s.m_nTermLevel = 5;  // above the maximum: the stop test applies at every level (unsigned wrap)
    s.m_dTermProb = 0.0;
    CQuilExpression e;
    // Default terminal weights: BW .05, RGB .10, X .20 ... u = 0.2 lands in X (sum .35).
    ScriptedRandomSource r({1, 2, 3, 100, int(0.2 * 32767)});
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    EXPECT_EQ(r.m_nDraws, 5);  // the stop draw is made even at level 0
    EXPECT_EQ(e.GetRoot()->nKind, KIND_X);
}

TEST(Generate, NoStopDrawAboveTheTerminatingLevel)
{
    GenerationSettings s = FixedLists();
    s.m_nMaxLevel = 1;
    s.m_nTermLevel = 1;  // level 1 (the root) > 1 - 1: no stop draw at the root
    s.m_dTermProb = 1.0;
    // Root: 3 params, function draw; "sin" (code 14) is the first function with a weight.
    // "id" comes first in the list but has none, so even u = 0 passes it.
    ScriptedRandomSource r({0, 0, 0, 0,
                            // child at level 0: 3 params, stop draw (0 <= 0), terminal draw
                            0, 0, 0, 0, int(0.1 * 32767)});
    CQuilExpression e;
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    EXPECT_EQ(r.m_nDraws, 9);
    EXPECT_EQ(r.m_nOverruns, 0);
    EXPECT_EQ(Text(e), "sin[RGB[-1.000000,-1.000000,-1.000000]]");
}

TEST(Generate, EarlyStopOnlyWhenUBelowTheProbability)
{
    GenerationSettings s = FixedLists();
    s.m_nMaxLevel = 3;
    s.m_nTermLevel = 0;
    s.m_dTermProb = 1.0;
    // u = 1 (32767) is not below 1: the root does not stop and draws a function.
    ScriptedRandomSource stop({0, 0, 0, 0 /*u=0 < 1: stop*/, int(0.3 * 32767)});
    CQuilExpression e;
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, stop), 1);
    EXPECT_EQ(stop.m_nDraws, 5);
    EXPECT_EQ(e.GetRoot()->nChildren, 0);

    ScriptedRandomSource go({0, 0, 0, 32767 /*no stop*/, 1 /*sin*/, 0, 0, 0, 0 /*child stops*/, 0});
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, go), 1);
    EXPECT_EQ(go.m_nDraws, 10);
    EXPECT_EQ(e.GetRoot()->nKind, KIND_SIN);
    EXPECT_EQ(e.GetRoot()->pChild[0]->nKind, KIND_BW);
}

TEST(Generate, RandomCountsShufflesAndPictureOverride)
{
    GenerationSettings s = Defaults();
    s.m_nMaxLevel = 0;
    s.m_dProb[KIND_PIC] = 0.5;
    // nT: n(11) = 0 -> 3; then (n(11) + 3 + 4) >> 1 with n(11) = 0 -> 3.
    std::deque<int> script = {0, 0};
    // 500 terminal swaps, all k = 0: swapping entries 0 and 1 an even number of times.
    for (int i = 0; i < 500; ++i)
        script.push_back(0);
    // nF = n(19) + 3 with n(19) = 18 -> 21: no shuffle of the function list.
    script.push_back(RFor(18, 19));
    // The root: 3 parameters, stop draw (level 0 <= 8 - 3), terminal draw in PIC's share.
    script.insert(script.end(), {0, 0, 0, 0, 32000});
    ScriptedRandomSource r(script);
    RecordingHost host;
    CQuilExpression e(&host);
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    EXPECT_EQ(r.m_nOverruns, 0);
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(e.LastCandidates().termCount, 3);
    EXPECT_EQ(e.LastCandidates().funcCount, 21);
    // List 0, 1, 2 after an even number of swaps; PIC replaces the last entry.
    EXPECT_EQ(e.LastCandidates().termKinds[0], 0);
    EXPECT_EQ(e.LastCandidates().termKinds[1], 1);
    EXPECT_EQ(e.LastCandidates().termKinds[2], KIND_PIC);
    const double sum = s.m_dProb[0] + s.m_dProb[1] + 0.5;
    EXPECT_DOUBLE_EQ(e.LastCandidates().termWeight[2], 0.5 / sum);
    ASSERT_EQ(e.GetRoot()->nKind, KIND_PIC);
    EXPECT_EQ(e.m_bUsesPicture, 1);
    EXPECT_EQ(host.Count(kMsgPictureNotLoaded), 1);
    EXPECT_EQ(host.ensureCalls, 1);
}

TEST(Generate, TerminalShuffleMovesAdjacentEntries)
{
    GenerationSettings s = FixedLists();
    s.m_nNumConsts = 4;
    s.m_nMaxLevel = 0;
    std::deque<int> script;
    // First swap k = 11 (entries 11 and 12), the other 499 swaps k = 0 (even count: no change).
    script.push_back(RFor(11, 12));
    for (int i = 0; i < 499; ++i)
        script.push_back(0);
    script.insert(script.end(), {0, 0, 0, 0, 0});
    ScriptedRandomSource r(script);
    CQuilExpression e;
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    EXPECT_EQ(r.m_nOverruns, 0);
    // 499 swaps of 0 and 1: odd, so 0 and 1 end swapped; 11 and 12 swapped once.
    EXPECT_EQ(e.LastCandidates().termKinds[0], 1);
    EXPECT_EQ(e.LastCandidates().termKinds[1], 0);
    EXPECT_EQ(e.LastCandidates().termKinds[11], 12);
    EXPECT_EQ(e.LastCandidates().termKinds[12], 11);
    EXPECT_EQ(e.LastCandidates().termCount, 4);
}

TEST(Generate, CandidatesWithoutWeightGiveWayToTheFirstWeightedKinds)
{
    GenerationSettings s = FixedLists();
    s.m_nNumFuncs = 1;
    s.m_nMaxLevel = 1;
    s.m_nTermLevel = 1;
    std::deque<int> script;
    // 250 swaps with k = 0: even, so "id" (13) stays first and is the one candidate. It has no
    // weight while the other functions have: the first of them in the drawn order takes its place.
    for (int i = 0; i < 250; ++i)
        script.push_back(0);
    script.insert(script.end(), {0, 0, 0, 0 /*u = 0: "id" passed*/, /*child*/ 0, 0, 0, 32767, 0});
    ScriptedRandomSource r(script);
    CQuilExpression e;
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    EXPECT_EQ(r.m_nOverruns, 0);
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(e.LastCandidates().funcCount, 1);
    EXPECT_EQ(e.LastCandidates().funcKinds[0], KIND_SIN);
    EXPECT_EQ(e.LastCandidates().funcWeight[0], 1.0);
    EXPECT_EQ(Text(e), "sin[BW[-1.000000]]");
}

TEST(Generate, UseOneFunctionKindHoldsWhenTheDrawnOneHasNoShare)
{
    // "Use 1 of 21" with three kinds that have a share: every tree uses one
    // function kind, whichever was drawn, and all three come up over the trees.
    GenerationSettings s = FixedLists();
    s.m_nNumFuncs = 1;
    s.m_nMaxLevel = 4;
    for (int code = kFirstFunctionKind; code < kNumKinds; ++code)
        s.m_dProb[code] = 0.0;
    for (int code : {KIND_SIN, KIND_COS, KIND_PLUS})
        s.m_dProb[code] = 0.5;
    LcgRandomSource r(99);
    CQuilExpression e;
    std::set<int> seen;
    for (int tree = 0; tree < 200; ++tree) {
        e.Reset();
        ASSERT_EQ(e.GenerateRandom(s, r), 1);
        std::set<int> kinds;
        std::vector<const ExprNode*> stack{e.GetRoot()};
        while (!stack.empty()) {
            const ExprNode* n = stack.back();
            stack.pop_back();
            if (n->nChildren > 0)
                kinds.insert(n->nKind);
            for (int c = 0; c < n->nChildren; ++c)
                stack.push_back(n->pChild[c]);
        }
        ASSERT_LE(kinds.size(), 1u) << "tree " << tree << ": " << Text(e);
        seen.insert(kinds.begin(), kinds.end());
    }
    EXPECT_EQ(seen, (std::set<int>{KIND_SIN, KIND_COS, KIND_PLUS}));
}

TEST(Generate, AKindWithoutWeightIsNeverChosen)
{
    // Seven terminals of equal weight (normalised they sum to just below 1), BW without weight.
    GenerationSettings s = FixedLists();
    for (int i = 0; i < 13; ++i)
        s.m_dProb[i] = (i >= KIND_RGB && i <= KIND_PHI) ? 0.3 : 0.0;
    s.m_nMaxLevel = 0;
    CQuilExpression e;

    // u = 0 reaches the running sum 0 of "BW", which has no weight: the first weighted one wins.
    ScriptedRandomSource first({0, 0, 0, 0, 0});
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, first), 1);
    EXPECT_EQ(e.GetRoot()->nKind, KIND_RGB);

    // u = 1 passes the whole sum by rounding: the last weighted one wins, not "BW".
    double total = 0.0;
    ScriptedRandomSource last({0, 0, 0, 0, 32767});
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, last), 1);
    for (int i = 0; i < e.LastCandidates().termCount; ++i)
        total += e.LastCandidates().termWeight[i];
    ASSERT_LT(total, 1.0);
    EXPECT_EQ(e.GetRoot()->nKind, KIND_PHI);
}

TEST(Generate, KindsWithoutProbabilityNeverAppearUnderRandomCounts)
{
    // Random counts draw subsets of all kinds, most of them without X or "sin" here.
    GenerationSettings s = Defaults();
    for (int code = 0; code < kNumKinds; ++code)
        s.m_dProb[code] = 0.0;
    s.m_dProb[KIND_X] = 1.0;
    s.m_dProb[KIND_SIN] = 1.0;
    s.m_nMaxLevel = 4;
    ASSERT_EQ(s.m_bUseRandConst, 1);
    ASSERT_EQ(s.m_bUseRandFunc, 1);
    LcgRandomSource r(4711);
    CQuilExpression e;
    for (int tree = 0; tree < 300; ++tree) {
        e.Reset();
        ASSERT_EQ(e.GenerateRandom(s, r), 1);
        std::vector<const ExprNode*> stack{e.GetRoot()};
        while (!stack.empty()) {
            const ExprNode* n = stack.back();
            stack.pop_back();
            ASSERT_TRUE(n->nKind == KIND_X || n->nKind == KIND_SIN) << "tree " << tree << ": " << Text(e);
            for (int c = 0; c < n->nChildren; ++c)
                stack.push_back(n->pChild[c]);
        }
    }
}

TEST(Generate, AllZeroTerminalWeightsFallBackToEqual)
{
    GenerationSettings s = FixedLists();
    for (int i = 0; i < 13; ++i)
        s.m_dProb[i] = 0;
    s.m_nMaxLevel = 0;
    ScriptedRandomSource r({0, 0, 0, 0, RFor(1, 13) + 2525});
    CQuilExpression e;
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    for (int i = 0; i < 13; ++i)
        EXPECT_DOUBLE_EQ(e.LastCandidates().termWeight[i], 1.0 / 13);
}

TEST(Generate, NothingWinsLeavesABwLeaf)
{
    GenerationSettings s = FixedLists();
    s.m_nNumConsts = 0;  // no terminal candidates at all, and none in the group to give way
    for (int i = 0; i < 13; ++i)
        s.m_dProb[i] = 0.0;
    s.m_nMaxLevel = 0;
    std::deque<int> script(500, 0);  // the terminal list is shuffled (0 != 13)
    script.insert(script.end(), {100, 200, 300, 0, 32767});
    ScriptedRandomSource r(script);
    CQuilExpression e;
    e.Reset();
    ASSERT_EQ(e.GenerateRandom(s, r), 1);
    EXPECT_EQ(r.m_nOverruns, 0);
    EXPECT_EQ(e.GetRoot()->nKind, KIND_BW);
    EXPECT_EQ(e.GetRoot()->dParam[0], -0.993896);  // 100 / 32767.0 * 2 - 1 as the file keeps it
}

TEST(Generate, PictureWarningOnlyOncePerExpression)
{
    GenerationSettings s = FixedLists();
    for (int i = 0; i < 13; ++i)
        s.m_dProb[i] = i == KIND_PIC ? 1.0 : 0.0;
    s.m_nMaxLevel = 0;
    RecordingHost host;
    CQuilExpression e(&host);
    for (int round = 0; round < 2; ++round) {
        ScriptedRandomSource r({0, 0, 0, 0, 16000});
        e.Reset();
        ASSERT_EQ(e.GenerateRandom(s, r), 1);
        EXPECT_EQ(e.GetRoot()->nKind, KIND_PIC);
    }
    EXPECT_EQ(host.Count(kMsgPictureNotLoaded), 1);
    EXPECT_EQ(host.messages[0].caption, "Quil");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(host.ensureCalls, 2);

    // With a picture loaded there is no warning at all.
    RecordingHost loaded;
    loaded.path = "/pics/p.png";
    CQuilExpression f(&loaded);
    ScriptedRandomSource r({0, 0, 0, 0, 16000});
    f.Reset();
    ASSERT_EQ(f.GenerateRandom(s, r), 1);
    EXPECT_TRUE(loaded.messages.empty());
}

TEST(Generate, DepthLimitsAndPoolExhaustion)
{
    GenerationSettings s = Defaults();
    LcgRandomSource r(12345);
    CQuilExpression e;
    for (int i = 0; i < 200; ++i) {
        e.Reset();
        ASSERT_EQ(e.GenerateRandom(s, r), 1);
        // At most m_nMaxLevel + 1 levels.
        std::vector<std::pair<const ExprNode*, int>> stack{{e.GetRoot(), 0}};
        while (!stack.empty()) {
            auto [n, d] = stack.back();
            stack.pop_back();
            ASSERT_LE(d, s.m_nMaxLevel);
            ASSERT_EQ(n->nChildren, n->nKind >= 0 ? KindArity(n->nKind) : -1);
            for (int c = 0; c < n->nChildren; ++c)
                stack.push_back({n->pChild[c], d + 1});
        }
    }

    // A full tree of the deepest level outgrows a small pool: generation
    // fails with one message. Every function kind is a candidate, and only
    // the three-child ones have weight.
    GenerationSettings big = FixedLists();
    big.m_nMaxLevel = kMaxGenerationLevel;
    big.m_dTermProb = 0.0;
    for (int code = 14; code < 31; ++code)
        big.m_dProb[code] = 0;  // only three-child functions
    RecordingHost host;
    const size_t old = CQuilExpression::PoolCeiling();
    CQuilExpression::SetPoolCeiling(size_t(1) << 20);
    CQuilExpression g(&host);
    g.Reset();
    EXPECT_EQ(g.GenerateRandom(big, r), 0);
    EXPECT_EQ(host.Count("No memory"), 1);
    CQuilExpression::SetPoolCeiling(old);
}

TEST(Generate, SameSeedSameTree)
{
    GenerationSettings s = Defaults();
    LcgRandomSource a(7), b(7);
    CQuilExpression x, y;
    x.Reset();
    y.Reset();
    ASSERT_EQ(x.GenerateRandom(s, a), 1);
    ASSERT_EQ(y.GenerateRandom(s, b), 1);
    EXPECT_EQ(Text(x), Text(y));
}
