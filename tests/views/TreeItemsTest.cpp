// Item construction and the conversion of items back into nodes.
#include "TreeTestSupport.h"

#include "views/TreeItems.h"

#include "engine/NodeLabels.h"

#include "engine/GenerationSettings.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

// Builds items from labels given as nested initialiser data.
struct L {
    const char* label;
    std::vector<L> children = {};
};
QTreeWidgetItem* MakeItem(const L& shape)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromUtf8(shape.label));
    for (const L& child : shape.children)
        item->addChild(MakeItem(child));
    return item;
}
struct Converted {
    int ok = 0;
    std::string text;
    int usesPicture = 0;
};
Converted Convert(const L& shape, EngineHost* host = nullptr)
{
    QTreeWidget tree;
    tree.addTopLevelItem(MakeItem(shape));
    CQuilExpression expression(host);
    Converted result;
    result.ok = BuildExpressionFromTree(&tree, expression);
    if (result.ok) {
        result.text = ExpressionText(expression);
        result.usesPicture = expression.m_bUsesPicture;
    }
    return result;
}

bool ShowsParameter(int kind, int i)
{
    switch (kind) {
    case KIND_BW: return i == 0;
    case KIND_R2C: return i < 2;
    case KIND_SPIR: return i == 2;
    case KIND_RGB:
    case KIND_SPIRC: return true;
    default: return false;
    }
}

}  // namespace

TEST(TreeConversion, MissingArgumentsBecomeBlackAndExtraOnesAreDropped)
{
    // sin renamed to plus: plus(child, RGB(0, 0, 0))
    EXPECT_EQ(Convert({"plus", {{"X"}}}).text, "plus[X[],RGB[0.000000,0.000000,0.000000]]");
    // if with three children renamed to sin keeps the first
    EXPECT_EQ(Convert({"sin", {{"X"}, {"Y"}, {"R"}}}).text, "sin[X[]]");
    // a terminal name drops all children
    EXPECT_EQ(Convert({"X", {{"Y"}}}).text, "X[]");
    // a bare constant name keeps its parameters at 0
    EXPECT_EQ(Convert({"BW"}).text, "BW[0.000000]");
    EXPECT_EQ(Convert({"rgb"}).text,
              "rgb[RGB[0.000000,0.000000,0.000000],RGB[0.000000,0.000000,0.000000],RGB[0.000000,0.000000,0.000000]]");
    EXPECT_EQ(Convert({"Const"}).text, "RGB[0.000000,0.000000,0.000000]");
    EXPECT_EQ(Convert({"+", {{"X"}, {"*", {{"Y"}, {"R"}}}}}).text, "plus[X[],times[Y[],R[]]]");
}

TEST(TreeConversion, AnyRefusedLabelRefusesTheTree)
{
    EXPECT_EQ(Convert({"plus", {{"X"}, {"foo"}}}).ok, 0);
    // the extra children of a node are still read
    EXPECT_EQ(Convert({"sin", {{"X"}, {"BW(2)"}}}).ok, 0);
    // a written-out constant ignores whatever hangs below it
    const Converted constant = Convert({"BW(0.5)", {{"foo"}}});
    EXPECT_EQ(constant.ok, 1);
    EXPECT_EQ(constant.text, "BW[0.500000]");

    QTreeWidget empty;
    CQuilExpression expression;
    EXPECT_EQ(BuildExpressionFromTree(&empty, expression), 0);
    EXPECT_EQ(BuildExpressionFromTree(nullptr, expression), 0);
}

TEST(TreeConversion, PictureItemsMarkTheExpressionAndAskForASourcePicture)
{
    SilentEngineHost host;
    const Converted with = Convert({"plus", {{"X"}, {"sin", {{"PIC"}}}}}, &host);
    EXPECT_EQ(with.ok, 1);
    EXPECT_EQ(with.usesPicture, 1);
    EXPECT_TRUE(host.m_bSourceEnsured);

    SilentEngineHost other;
    const Converted without = Convert({"plus", {{"X"}, {"Y"}}}, &other);
    EXPECT_EQ(without.usesPicture, 0);
    EXPECT_FALSE(other.m_bSourceEnsured);
}

TEST(TreeConversion, TooDeepATreeIsRefusedNotOverflowed)
{
    QTreeWidget tree;
    auto* top = new QTreeWidgetItem;
    top->setText(0, "id");
    QTreeWidgetItem* item = top;
    for (int level = 1; level < kMaxTreeDepth + 2; ++level) {
        auto* child = new QTreeWidgetItem(item);
        child->setText(0, "id");
        item = child;
    }
    tree.addTopLevelItem(top);
    CQuilExpression expression;
    EXPECT_EQ(BuildExpressionFromTree(&tree, expression), 0);
}

TEST(TreeItems, LogoTreeHasPreOrderImagesAndBoldTerminals)
{
    CQuilExpression logo;
    logo.Reset();
    logo.SetDefault();
    QTreeWidget tree;
    int image = 0;
    QTreeWidgetItem* root = InsertExpressionItems(&tree, logo.GetRoot(), image);
    ASSERT_TRUE(root);
    EXPECT_EQ(image, 4);
    EXPECT_EQ(ItemText(root), "rgb(X, Y, BW(-1.000))");
    EXPECT_FALSE(IsItemBold(root));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(IsItemBold(root->child(i)));
        EXPECT_EQ(ItemImage(root->child(i)), i + 1);
        EXPECT_EQ(ItemNode(root->child(i)), logo.GetRoot()->pChild[i]);
    }
    EXPECT_EQ(ItemImage(root), 0);
    EXPECT_EQ(ItemNode(root), logo.GetRoot());
}

TEST(TreeItems, ImageIndicesFollowAPreOrderWalk)
{
    auto expression = ParseExpression("minus[sin[if[X[],Y[],R[]]],plus[PHI[],id[CIR[]]]]");
    ASSERT_TRUE(expression);
    QTreeWidget tree;
    int image = 0;
    QTreeWidgetItem* root = InsertExpressionItems(&tree, expression->GetRoot(), image);
    std::vector<std::string> order;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        EXPECT_EQ(ItemImage(item), int(order.size()));
        EXPECT_EQ(IsItemBold(item), item->childCount() == 0) << item->text(0).toStdString();
        order.push_back(item->text(0).toStdString());
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i));
    };
    walk(root);
    EXPECT_EQ(order, (std::vector<std::string>{"minus", "sin", "if", "X", "Y", "R", "plus", "PHI", "id", "CIR"}));
}

TEST(TreeConversion, RandomTreesSurviveTheRoundTripWithShownParametersRounded)
{
    MemorySettingsStore store;
    GenerationSettings settings;
    settings.InitGenerationSettings(store);
    LcgRandomSource random(4711);
    for (int round = 0; round < 40; ++round) {
        CQuilExpression original;
        original.Reset();
        ASSERT_EQ(original.GenerateRandom(settings, random), 1);
        QTreeWidget tree;
        int image = 0;
        InsertExpressionItems(&tree, original.GetRoot(), image);
        EXPECT_EQ(size_t(image) + 1, original.NodeCount());

        CQuilExpression rebuilt;
        ASSERT_EQ(BuildExpressionFromTree(&tree, rebuilt), 1);
        // Every node agrees in kind and shape; shown parameters agree to the
        // label's three decimals, unshown ones are 0.
        std::function<void(const ExprNode*, const ExprNode*)> same = [&](const ExprNode* a, const ExprNode* b) {
            ASSERT_EQ(a->nKind, b->nKind);
            ASSERT_EQ(a->nChildren, b->nChildren);
            EXPECT_EQ(FormatNodeLabel(*a), FormatNodeLabel(*b));
            for (int i = 0; i < 3; ++i) {
                if (ShowsParameter(a->nKind, i))
                    EXPECT_LE(std::fabs(b->dParam[i] - a->dParam[i]), 0.0005 + 1e-12);
                else
                    EXPECT_EQ(b->dParam[i], 0.0);
            }
            for (int i = 0; i < a->nChildren; ++i)
                same(a->pChild[i], b->pChild[i]);
        };
        same(original.GetRoot(), rebuilt.GetRoot());
        EXPECT_EQ(rebuilt.m_bUsesPicture, CQuilExpression::ContainsPicture(original.GetRoot()));
    }
}
