// Variations of expressions: each operator on small trees, the rules every
// variation keeps (over thousands of seeded variations of random trees), the
// settings honoured, crossover and the bounded tries of a round.

#include "engine/GenerationSettings.h"
#include "engine/Mutation.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include "tests/engine/ExpressionText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace {
GenerationSettings Defaults()
{
    MemorySettingsStore store;
    GenerationSettings s;
    s.InitGenerationSettings(store);
    return s;
}

// Applies op once with the given seed; the result's text, or "" when it did not apply.
std::string ApplyOnce(const GenerationSettings& s, MutationOp op, const std::string& parent, uint32_t seed,
                      int strength = 1, const std::string& mate = {})
{
    // Spread: the first draws of neighbouring seeds lie close together.
    LcgRandomSource random(seed * 2654435761u);
    CMutator mutator(s, random);
    auto p = Parse(parent);
    std::unique_ptr<CQuilExpression> m = mate.empty() ? nullptr : Parse(mate);
    CQuilExpression out;
    if (!mutator.Apply(op, p->GetRoot(), out, strength, m ? m->GetRoot() : nullptr))
        return {};
    return Text(out);
}

// Kinds valid, children as the kind asks, shown parameters within -1..1.
bool IsValidTree(const ExprNode* n, std::string& why)
{
    if (!n || !IsValidKind(n->nKind)) {
        why = "invalid kind";
        return false;
    }
    if (n->nChildren != KindArity(n->nKind)) {
        why = std::string("wrong child count under ") + KindName(n->nKind);
        return false;
    }
    const ParamLayout& params = kNodeKinds[n->nKind].params;
    for (int i = 0; i < params.count; ++i)
        if (!(std::fabs(n->dParam[params.index[i]]) <= 1.0)) {
            why = "parameter out of range";
            return false;
        }
    for (int i = 0; i < n->nChildren; ++i)
        if (!IsValidTree(n->pChild[i], why))
            return false;
    return true;
}

bool ContainsKind(const ExprNode* n, int kind)
{
    if (n->nKind == kind)
        return true;
    for (int i = 0; i < n->nChildren; ++i)
        if (ContainsKind(n->pChild[i], kind))
            return true;
    return false;
}

// Settings under which only the given kinds have a probability.
GenerationSettings OnlyKinds(std::initializer_list<int> kinds, int maxLevel)
{
    GenerationSettings s = Defaults();
    for (double& p : s.m_dProb)
        p = 0.0;
    for (int k : kinds)
        s.m_dProb[k] = 0.1;
    s.m_nMaxLevel = maxLevel;
    s.m_nTermLevel = 0;
    return s;
}
}  // namespace

TEST(MutationOperators, NudgeMovesOneConstantSlightlyAndNothingElse)
{
    const GenerationSettings s = Defaults();
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        const std::string out = ApplyOnce(s, MutationOp::Nudge, "plus[BW[0.500000],X[]]", seed);
        ASSERT_EQ(out.rfind("plus[BW[", 0), 0u) << out;
        ASSERT_NE(out.find("],X[]]"), std::string::npos) << out;
        const double grey = std::stod(out.substr(8));
        EXPECT_LE(std::fabs(grey - 0.5), 0.05 + 1e-6) << out;
    }
    // A constant at the end of the range stays in it, even when wild.
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        auto e = Parse(ApplyOnce(s, MutationOp::Nudge, "RGB[1.000000,-1.000000,1.000000]", seed, 3));
        std::string why;
        EXPECT_TRUE(IsValidTree(e->GetRoot(), why)) << why;
    }
    EXPECT_EQ(ApplyOnce(s, MutationOp::Nudge, "plus[X[],R2C[0.1,0.2,]]", 1), "") << "no constant to nudge";
}

TEST(MutationOperators, ChangeKindKeepsTheShapeAndTakesOnlyAllowedKinds)
{
    const GenerationSettings s = OnlyKinds({KIND_X, KIND_Y, KIND_SIN, KIND_COS}, 4);
    std::set<std::string> seen;
    for (uint32_t seed = 1; seed <= 100; ++seed)
        seen.insert(ApplyOnce(s, MutationOp::ChangeKind, "sin[X[]]", seed));
    EXPECT_EQ(seen, (std::set<std::string>{"cos[X[]]", "sin[Y[]]"}));
    // No other kind of the same arity is allowed: nothing to change.
    EXPECT_EQ(ApplyOnce(OnlyKinds({KIND_X, KIND_SIN}, 4), MutationOp::ChangeKind, "sin[X[]]", 1), "");
}

TEST(MutationOperators, NewBranchReplacesOneBranchWithinTheLevels)
{
    const GenerationSettings s = OnlyKinds({KIND_X, KIND_Y, KIND_R, KIND_SIN, KIND_PLUS}, 2);
    const std::string parent = "plus[sin[X[]],Y[]]";
    bool changed = false;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        for (int strength = 1; strength <= 3; ++strength) {
            const std::string out = ApplyOnce(s, MutationOp::NewBranch, parent, seed, strength);
            if (out.empty())
                continue;  // the generation fell back on a kind without probability
            auto e = Parse(out);
            EXPECT_LE(BranchHeight(e->GetRoot()), 2) << out;
            for (int kind : {KIND_COS, KIND_MINUS, KIND_BW, KIND_RGB})
                EXPECT_FALSE(ContainsKind(e->GetRoot(), kind)) << out;
            changed = changed || out != parent;
        }
    }
    EXPECT_TRUE(changed);
}

TEST(MutationOperators, WrapPutsAnAllowedFunctionAboveUnwrapTakesTheChild)
{
    const GenerationSettings s = OnlyKinds({KIND_X, KIND_NEG}, 3);
    EXPECT_EQ(ApplyOnce(s, MutationOp::WrapOrUnwrap, "X[]", 1), "neg[X[]]");
    // At the deepest level nothing may be wrapped: only the unwrap is left.
    const GenerationSettings flat = OnlyKinds({KIND_X, KIND_NEG}, 1);
    for (uint32_t seed = 1; seed <= 20; ++seed)
        EXPECT_EQ(ApplyOnce(flat, MutationOp::WrapOrUnwrap, "sin[X[]]", seed), "X[]");
    std::set<std::string> seen;
    for (uint32_t seed = 1; seed <= 100; ++seed)
        seen.insert(ApplyOnce(s, MutationOp::WrapOrUnwrap, "sin[X[]]", seed));
    EXPECT_EQ(seen, (std::set<std::string>{"X[]", "neg[sin[X[]]]", "sin[neg[X[]]]"}));
}

TEST(MutationOperators, SwapExchangesTwoChildren)
{
    const GenerationSettings s = Defaults();
    EXPECT_EQ(ApplyOnce(s, MutationOp::SwapChildren, "minus[X[],Y[]]", 7), "minus[Y[],X[]]");
    std::set<std::string> seen;
    for (uint32_t seed = 1; seed <= 60; ++seed)
        seen.insert(ApplyOnce(s, MutationOp::SwapChildren, "rgb[X[],Y[],R[]]", seed));
    EXPECT_EQ(seen, (std::set<std::string>{"rgb[Y[],X[],R[]]", "rgb[R[],Y[],X[]]", "rgb[X[],R[],Y[]]"}));
    EXPECT_EQ(ApplyOnce(s, MutationOp::SwapChildren, "sin[X[]]", 1), "");
}

TEST(MutationOperators, CrossoverTakesABranchOfTheMateAsItIs)
{
    // "cross" has no probability: a mate's branch is taken all the same.
    const GenerationSettings s = Defaults();
    ASSERT_EQ(s.m_dProb[KIND_CROSS], 0.0);
    std::set<std::string> seen;
    for (uint32_t seed = 1; seed <= 200; ++seed)
        seen.insert(ApplyOnce(s, MutationOp::Crossover, "sin[X[]]", seed, 1, "cross[R[],PHI[]]"));
    const std::set<std::string> expected = {
        "cross[R[],PHI[]]", "R[]", "PHI[]", "sin[cross[R[],PHI[]]]", "sin[R[]]", "sin[PHI[]]"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(ApplyOnce(s, MutationOp::Crossover, "sin[X[]]", 1), "") << "no mate";
}

TEST(MutationOperators, CrossoverKeepsTheLevelsWithADeepMate)
{
    GenerationSettings s = Defaults();
    s.m_nMaxLevel = 2;
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        const std::string out =
            ApplyOnce(s, MutationOp::Crossover, "plus[sin[X[]],Y[]]", seed, 2, "sin[cos[exp[neg[R[]]]]]");
        ASSERT_FALSE(out.empty());
        EXPECT_LE(BranchHeight(Parse(out)->GetRoot()), 2) << out;
    }
}

TEST(MutationOperators, GenerateBranchDrawsAsGenerateRandom)
{
    const GenerationSettings s = Defaults();
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        LcgRandomSource a(seed);
        LcgRandomSource b(seed);
        CQuilExpression whole;
        whole.Reset();
        whole.GenerateRandom(s, a);
        CQuilExpression branch;
        ASSERT_NE(branch.GenerateBranch(branch.Reset(), unsigned(s.m_nMaxLevel), s, b), nullptr);
        EXPECT_EQ(Text(whole), Text(branch));
        EXPECT_EQ(a.Next(), b.Next());
    }
}

TEST(Variations, SameSeedSameRoundOtherSeedOtherRound)
{
    const GenerationSettings s = Defaults();
    auto parent = Parse("rgb[sin[X[]],plus[Y[],BW[0.250000]],SPIRC[0.1,0.2,0.3]]");
    auto texts = [&](uint32_t seed, int strength) {
        LcgRandomSource random(seed);
        CMutator mutator(s, random);
        std::vector<std::string> out;
        for (const Variation& v : mutator.Vary(parent->GetRoot(), 8, strength).variations)
            out.push_back(v.text);
        return out;
    };
    for (int strength = 1; strength <= 3; ++strength) {
        EXPECT_EQ(texts(42, strength), texts(42, strength));
        EXPECT_NE(texts(42, strength), texts(43, strength));
        EXPECT_EQ(texts(42, strength).size(), 8u);
    }
}

// The rules of every variation, over thousands of variations of random trees.
TEST(Variations, ThousandsOfVariationsOfRandomTreesKeepEveryRule)
{
    GenerationSettings s = Defaults();
    s.m_nMaxLevel = 6;
    s.m_dProb[KIND_PIC] = 0.05;  // picture terminals too
    LcgRandomSource treeRandom(2024);
    int total = 0;
    for (int tree = 0; tree < 120; ++tree) {
        CQuilExpression parent;
        parent.Reset();
        parent.GenerateRandom(s, treeRandom);
        CQuilExpression mate;
        mate.Reset();
        mate.GenerateRandom(s, treeRandom);
        const int strength = 1 + tree % 3;
        LcgRandomSource random(uint32_t(tree) + 1);
        CMutator mutator(s, random);
        const VariationRound round =
            mutator.Vary(parent.GetRoot(), 12, strength, tree % 4 == 0 ? mate.GetRoot() : nullptr);
        const std::string parentText = mutator.CanonicalText(parent.GetRoot());
        std::set<std::string> texts;
        for (const Variation& v : round.variations) {
            std::string why;
            ASSERT_TRUE(IsValidTree(v.expression->GetRoot(), why)) << why << ": " << v.text;
            // Written, read back and written again: the same text.
            StringArchive first;
            ASSERT_TRUE(v.expression->WriteExpression(first));
            EXPECT_EQ(first.Output(), v.text);
            EXPECT_EQ(Text(*Parse(first.Output())), v.text);
            EXPECT_NE(v.text, parentText);
            EXPECT_TRUE(texts.insert(v.text).second) << "twice in one round: " << v.text;
            EXPECT_LE(BranchHeight(v.expression->GetRoot()), 6) << v.text;
            EXPECT_EQ(v.expression->m_bUsesPicture, CQuilExpression::ContainsPicture(v.expression->GetRoot()));
            ++total;
        }
    }
    EXPECT_GE(total, 120 * 11);
}

TEST(Variations, AKindWithoutProbabilityNeverComesIn)
{
    GenerationSettings s = Defaults();
    const int banned[] = {KIND_SIN, KIND_X, KIND_PLUS, KIND_BW, KIND_IF};
    for (int k : banned)
        s.m_dProb[k] = 0.0;
    LcgRandomSource treeRandom(7);
    int checked = 0;
    for (int tree = 0; tree < 150; ++tree) {
        CQuilExpression parent;
        parent.Reset();
        parent.GenerateRandom(s, treeRandom);
        bool clean = true;
        for (int k : banned)
            clean = clean && !ContainsKind(parent.GetRoot(), k);
        if (!clean)
            continue;  // generation's own fallback brought one in; not the mutation's doing
        LcgRandomSource random{uint32_t(tree)};
        CMutator mutator(s, random);
        for (const Variation& v : mutator.Vary(parent.GetRoot(), 8, 1 + tree % 3).variations) {
            for (int k : banned)
                ASSERT_FALSE(ContainsKind(v.expression->GetRoot(), k)) << KindName(k) << " in " << v.text;
            ++checked;
        }
    }
    EXPECT_GT(checked, 500);
}

TEST(Variations, WithAMateEveryVariationStartsWithACrossover)
{
    const GenerationSettings s = Defaults();
    auto parent = Parse("plus[sin[X[]],Y[]]");
    auto mate = Parse("times[SPIR[0.500000],CIR[]]");
    LcgRandomSource random(5);
    CMutator mutator(s, random);
    const VariationRound round = mutator.Vary(parent->GetRoot(), 8, 1, mate->GetRoot());
    ASSERT_EQ(round.variations.size(), 8u);
    for (const Variation& v : round.variations) {
        ASSERT_EQ(v.ops, std::vector<MutationOp>{MutationOp::Crossover});
        const bool fromMate = v.text.find("SPIR[") != std::string::npos || v.text.find("CIR[]") != std::string::npos;
        EXPECT_TRUE(fromMate) << v.text;
    }
}

TEST(Variations, ARoundThatRunsOutOfTriesReturnsFewer)
{
    // Only X and Y, no functions, one level: X[] has one variation, Y[].
    const GenerationSettings s = OnlyKinds({KIND_X, KIND_Y}, 0);
    auto parent = Parse("X[]");
    LcgRandomSource random(3);
    CMutator mutator(s, random);
    const VariationRound round = mutator.Vary(parent->GetRoot(), 8, 2);
    ASSERT_EQ(round.variations.size(), 1u);
    EXPECT_EQ(round.variations[0].text, "Y[]");
    EXPECT_FALSE(round.Complete());
    EXPECT_EQ(round.tries, 8 * kTriesPerVariation);
}

TEST(Variations, AParentDeeperThanTheSettingsGetsNoDeeper)
{
    GenerationSettings s = Defaults();
    s.m_nMaxLevel = 1;
    auto parent = Parse("sin[cos[exp[neg[plus[X[],Y[]]]]]]");
    LcgRandomSource random(11);
    CMutator mutator(s, random);
    const VariationRound round = mutator.Vary(parent->GetRoot(), 30, 3);
    EXPECT_EQ(round.variations.size(), 30u);
    for (const Variation& v : round.variations)
        EXPECT_LE(BranchHeight(v.expression->GetRoot()), 5) << v.text;
}
