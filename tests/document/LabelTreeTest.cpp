// Turning an edited tree's labels back into an expression: the constant forms
// and their ranges, aliases, missing and extra arguments, "PIC", deep trees.

#include "DocumentTestSupport.h"

#include "document/LabelTree.h"
#include "tests/engine/TestHost.h"

#include <gtest/gtest.h>

namespace {

// A label list from a compact form: "label/children" items in pre-order.
LabelList Labels(std::initializer_list<std::pair<const char*, int>> items)
{
    LabelList list;
    for (const auto& [label, children] : items)
        list.push_back({label, children});
    return list;
}

// The text of the expression the labels give, or "<refused>".
std::string Convert(const LabelList& list, RecordingHost* host = nullptr)
{
    CQuilExpression e(host);
    if (!BuildExpressionFromLabels(list, e))
        return "<refused>";
    return Text(e);
}

}  // namespace

TEST(LabelTree, ConstantsWithinRangeAreAcceptedOutsideRefused)
{
    EXPECT_EQ(Convert(Labels({{"RGB(0.5, -1, 0)", 0}})), "RGB[0.500000,-1.000000,0.000000]");
    EXPECT_EQ(Convert(Labels({{"RGB(0.5, 1.2, 0)", 0}})), "<refused>");
    EXPECT_EQ(Convert(Labels({{"BW(-1.000)", 0}})), "BW[-1.000000]");
    EXPECT_EQ(Convert(Labels({{"R2C(0.100, -0.200)", 0}})), "R2C[0.100000,-0.200000,]");
    EXPECT_EQ(Convert(Labels({{"SPIRC(0.1, 0.2, 0.3)", 0}})), "SPIRC[0.100000,0.200000,0.300000]");
    for (const char* bad : {"BW(0.5", "RGB(0.1, 0.2)", "foo", "sin(", "BW(2)", "rgb ", "BW(o.5)", "SPIR()"})
        EXPECT_EQ(Convert(Labels({{bad, 0}})), "<refused>") << bad;
}

TEST(LabelTree, SpiralTwistGoesIntoTheThirdParameter)
{
    CQuilExpression e;
    ASSERT_TRUE(BuildExpressionFromLabels(Labels({{"SPIR(0.25)", 0}}), e));
    const ExprNode* r = e.GetRoot();
    EXPECT_EQ(r->dParam[0], 0.0);
    EXPECT_EQ(r->dParam[1], 0.0);
    EXPECT_EQ(r->dParam[2], 0.25);
}

TEST(LabelTree, AliasesAndNamesWithoutParameters)
{
    EXPECT_EQ(Convert(Labels({{"+", 2}, {"Const", 0}, {"X", 0}})), "plus[RGB[0.000000,0.000000,0.000000],X[]]");
    EXPECT_EQ(Convert(Labels({{"*", 2}, {"Y", 0}, {"BW", 0}})), "times[Y[],BW[0.000000]]");
}

TEST(LabelTree, MissingArgumentsAreBlackExtraOnesDropped)
{
    EXPECT_EQ(Convert(Labels({{"plus", 1}, {"X", 0}})), "plus[X[],RGB[0.000000,0.000000,0.000000]]");
    EXPECT_EQ(Convert(Labels({{"sin", 3}, {"X", 0}, {"Y", 0}, {"R", 0}})), "sin[X[]]");
    EXPECT_EQ(Convert(Labels({{"rgb", 0}})),
              "rgb[RGB[0.000000,0.000000,0.000000],RGB[0.000000,0.000000,0.000000],RGB[0.000000,0.000000,0.000000]]");
    // Extra children are still read: a bad label among them refuses the tree.
    EXPECT_EQ(Convert(Labels({{"sin", 2}, {"X", 0}, {"nonsense", 0}})), "<refused>");
    // A written-out constant ignores its item's children, whatever they say.
    EXPECT_EQ(Convert(Labels({{"BW(0.5)", 1}, {"nonsense", 0}})), "BW[0.500000]");
    EXPECT_EQ(Convert(Labels({{"plus", 2}, {"BW(0.5)", 1}, {"sin", 1}, {"X", 0}, {"Y", 0}})),
              "plus[BW[0.500000],Y[]]");
    // A named terminal's children are read and dropped.
    EXPECT_EQ(Convert(Labels({{"X", 1}, {"Y", 0}})), "X[]");
}

TEST(LabelTree, PictureTerminalAsksForASourcePicture)
{
    RecordingHost host;
    CQuilExpression e(&host);
    ASSERT_TRUE(BuildExpressionFromLabels(Labels({{"neg", 1}, {"PIC", 0}}), e));
    EXPECT_EQ(Text(e), "neg[PIC[]]");
    EXPECT_EQ(e.m_bUsesPicture, 1);
    EXPECT_EQ(host.ensureCalls, 1);
    ASSERT_TRUE(BuildExpressionFromLabels(Labels({{"X", 0}}), e));
    EXPECT_EQ(e.m_bUsesPicture, 0);
}

TEST(LabelTree, ListsThatEndTooEarlyAreRefused)
{
    EXPECT_EQ(Convert(Labels({{"plus", 2}, {"X", 0}})), "<refused>");
    EXPECT_EQ(Convert(LabelList{}), "<refused>");
    const LabelList list = Labels({{"plus", 2}, {"X", 0}, {"sin", 1}, {"Y", 0}, {"Z", 0}});
    EXPECT_EQ(BranchEnd(list, 0), 4u);
    EXPECT_EQ(BranchEnd(list, 2), 4u);
    EXPECT_EQ(BranchEnd(Labels({{"plus", 2}, {"X", 0}}), 0), 2u);
}

TEST(LabelTree, DeepChainsAtTheDepthLimit)
{
    // kMaxTreeDepth levels are accepted, one more is refused, and neither needs a deep stack.
    LabelList chain(kMaxTreeDepth, LabelItem{"sin", 1});
    chain.back() = {"X", 0};
    CQuilExpression e;
    EXPECT_TRUE(BuildExpressionFromLabels(chain, e));
    EXPECT_EQ(e.NodeCount(), size_t(kMaxTreeDepth));
    chain.back() = {"sin", 1};
    chain.push_back({"X", 0});
    EXPECT_FALSE(BuildExpressionFromLabels(chain, e));
    // Padding below the deepest allowed level would pass the limit too.
    LabelList padded(kMaxTreeDepth, LabelItem{"sin", 1});
    padded.back() = {"sin", 0};
    EXPECT_FALSE(BuildExpressionFromLabels(padded, e));
}

TEST(LabelTree, StartsAtAnyItemOfTheList)
{
    const LabelList list = Labels({{"plus", 2}, {"X", 0}, {"sin", 1}, {"Y", 0}});
    CQuilExpression e;
    ASSERT_TRUE(BuildExpressionFromLabels(list, e, 2));
    EXPECT_EQ(Text(e), "sin[Y[]]");
}
