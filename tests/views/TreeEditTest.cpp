// Branch copies, "id" insertion and the drop rules on plain item trees.
#include "TreeTestSupport.h"

#include "views/TreeEdit.h"
#include "views/TreeItems.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// A tree widget filled from an expression text, with helpers to find items by
// their path of child indices.
class EditTree : public ::testing::Test {
protected:
    void Load(const std::string& text)
    {
        m_expression = ParseExpression(text);
        ASSERT_TRUE(m_expression) << text;
        int image = 0;
        InsertExpressionItems(&m_tree, m_expression->GetRoot(), image);
        m_tree.expandAll();
    }
    QTreeWidgetItem* Root() { return m_tree.topLevelItem(0); }
    QTreeWidgetItem* At(std::initializer_list<int> path)
    {
        QTreeWidgetItem* item = Root();
        for (int i : path)
            item = item ? item->child(i) : nullptr;
        return item;
    }
    std::string Text() { return m_tree.topLevelItemCount() == 1 ? ItemText(Root()) : "<top level count>"; }
    std::string Rebuilt()
    {
        CQuilExpression expression;
        if (!BuildExpressionFromTree(&m_tree, expression))
            return "<refused>";
        return ExpressionText(expression);
    }

    QTreeWidget m_tree;
    std::unique_ptr<CQuilExpression> m_expression;
};

}  // namespace

TEST_F(EditTree, DroppingSecondArgumentOntoFirstSwapsThem)
{
    Load("minus[X[],Y[]]");
    QTreeWidgetItem* copy = MoveBranch(&m_tree, At({1}), At({0}));
    ASSERT_TRUE(copy);
    EXPECT_EQ(Text(), "minus(Y, X)");
    EXPECT_EQ(m_tree.currentItem(), copy);
    EXPECT_EQ(copy->text(0), "Y");
}

TEST_F(EditTree, DroppingFirstArgumentOntoSecondChangesNothing)
{
    Load("minus[X[],Y[]]");
    ASSERT_TRUE(MoveBranch(&m_tree, At({0}), At({1})));
    EXPECT_EQ(Text(), "minus(X, Y)");
}

TEST_F(EditTree, SameParentMoveShiftsTheArgumentsBetween)
{
    Load("rgb[X[],Y[],R[]]");
    ASSERT_TRUE(MoveBranch(&m_tree, At({2}), At({0})));
    EXPECT_EQ(Text(), "rgb(R, X, Y)");
}

TEST_F(EditTree, OtherParentDropReplacesTargetAndLeavesAHoleFilledWithBlack)
{
    Load("plus[minus[X[],Y[]],sin[R[]]]");
    // X (first argument of minus) onto R: sin(X), minus(Y) + black
    ASSERT_TRUE(MoveBranch(&m_tree, At({0, 0}), At({1, 0})));
    EXPECT_EQ(Text(), "plus(minus(Y), sin(X))");
    EXPECT_EQ(Rebuilt(), "plus[minus[Y[],RGB[0.000000,0.000000,0.000000]],sin[X[]]]");
}

TEST_F(EditTree, GrandchildOntoRootBecomesTheWholeExpression)
{
    Load("plus[minus[X[],cos[Y[]]],sin[R[]]]");
    QTreeWidgetItem* copy = MoveBranch(&m_tree, At({0, 1}), Root());
    ASSERT_TRUE(copy);
    EXPECT_EQ(m_tree.topLevelItemCount(), 1);
    EXPECT_EQ(Text(), "cos(Y)");
    EXPECT_EQ(Rebuilt(), "cos[Y[]]");
}

TEST_F(EditTree, DropOntoAnAncestorReplacesThatAncestor)
{
    Load("plus[minus[X[],cos[Y[]]],sin[R[]]]");
    ASSERT_TRUE(MoveBranch(&m_tree, At({0, 1, 0}), At({0})));
    EXPECT_EQ(Text(), "plus(Y, sin(R))");
}

TEST_F(EditTree, DropRules)
{
    Load("plus[minus[X[],cos[Y[]]],sin[R[]]]");
    EXPECT_FALSE(CanDragItem(Root()));
    EXPECT_TRUE(CanDragItem(At({0, 1, 0})));
    EXPECT_FALSE(CanDragItem(nullptr));

    EXPECT_EQ(CheckDrop(At({0}), nullptr), DropRule::Ignore);
    EXPECT_EQ(CheckDrop(At({0}), At({0})), DropRule::Ignore);
    EXPECT_EQ(CheckDrop(At({0}), At({0, 0})), DropRule::IntoOwnBranch);
    EXPECT_EQ(CheckDrop(At({0}), At({0, 1, 0})), DropRule::IntoOwnBranch);
    EXPECT_EQ(CheckDrop(At({0, 1}), Root()), DropRule::Move);
    EXPECT_EQ(CheckDrop(At({0, 1}), At({1, 0})), DropRule::Move);

    // refused moves leave the items alone
    const std::string before = Text();
    EXPECT_EQ(MoveBranch(&m_tree, At({0}), At({0, 1, 0})), nullptr);
    EXPECT_EQ(MoveBranch(&m_tree, At({0}), At({0})), nullptr);
    EXPECT_EQ(Text(), before);
}

TEST_F(EditTree, CopiesKeepLabelsImagesAndBoldLeavesButNoNodes)
{
    Load("plus[minus[X[],cos[Y[]]],BW[0.5]]");
    QTreeWidgetItem* original = At({0});
    QTreeWidgetItem* copy = CopyBranch(&m_tree, original, At({1}), nullptr);
    ASSERT_TRUE(copy);
    EXPECT_EQ(ItemText(copy), "minus(X, cos(Y))");
    EXPECT_EQ(copy->parent(), At({1}));
    EXPECT_EQ(ItemImage(copy), ItemImage(original));
    EXPECT_EQ(ItemImage(copy->child(1)->child(0)), ItemImage(original->child(1)->child(0)));
    EXPECT_EQ(ItemNode(copy), nullptr);
    EXPECT_EQ(ItemNode(copy->child(0)), nullptr);
    EXPECT_FALSE(IsItemBold(copy));
    EXPECT_TRUE(IsItemBold(copy->child(0)));
    EXPECT_TRUE(copy->isExpanded());
}

TEST_F(EditTree, CopyBeforeASiblingAndAtTopLevel)
{
    Load("rgb[X[],Y[],R[]]");
    CopyBranch(&m_tree, At({2}), Root(), At({1}));
    EXPECT_EQ(Text(), "rgb(X, R, Y, R)");
    CopyBranch(&m_tree, At({0}), nullptr, Root());
    ASSERT_EQ(m_tree.topLevelItemCount(), 2);
    EXPECT_EQ(m_tree.topLevelItem(0)->text(0), "X");
}

TEST_F(EditTree, InsertIdKeepsTheArgumentOrderAndThePicture)
{
    Load("minus[X[],cos[Y[]]]");
    const int image = ItemImage(At({0}));
    QTreeWidgetItem* copy = InsertIdNode(&m_tree, At({0}));
    ASSERT_TRUE(copy);
    EXPECT_EQ(Text(), "minus(id(X), cos(Y))");
    EXPECT_EQ(m_tree.currentItem(), copy);
    EXPECT_EQ(ItemImage(At({0})), image);
    EXPECT_EQ(ItemNode(At({0})), nullptr);
    EXPECT_FALSE(IsItemBold(At({0})));
    EXPECT_EQ(Rebuilt(), "minus[id[X[]],cos[Y[]]]");
}

TEST_F(EditTree, InsertIdOnTheRootWrapsTheWholeTree)
{
    Load("minus[X[],cos[Y[]]]");
    ASSERT_TRUE(InsertIdNode(&m_tree, Root()));
    EXPECT_EQ(Text(), "id(minus(X, cos(Y)))");
    EXPECT_TRUE(At({0})->isExpanded());
    EXPECT_TRUE(At({0, 1})->isExpanded());
}
