// CQuilDoc::ExpressionFromTree: the label cases of the item conversion, the
// "Not accepted" refusal and the modified flag.

#include "AppFixture.h"

#include "app/QuilApp.h"
#include "app/QuilDoc.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

QTreeWidgetItem* Add(QTreeWidgetItem* parent, const char* label)
{
    auto* item = new QTreeWidgetItem(parent, QStringList{QString::fromUtf8(label)});
    return item;
}
}  // namespace

class ExpressionFromTreeTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Start();
        m_doc = App().Documents().front();
    }
    QTreeWidgetItem* Root(const char* label)
    {
        m_tree.clear();
        auto* root = new QTreeWidgetItem(&m_tree, QStringList{QString::fromUtf8(label)});
        return root;
    }
    // Converts into the document's own expression; returns the text or "" when refused.
    std::string Convert()
    {
        if (!m_doc->ExpressionFromTree(&m_tree))
            return {};
        return TextOf(*m_doc->m_pExpression);
    }

    QTreeWidget m_tree;
    CQuilDoc* m_doc = nullptr;
};

TEST_F(ExpressionFromTreeTest, ConstantsWithinRangeAreAcceptedOutsideRefused)
{
    Root("RGB(0.5, -1, 0)");
    EXPECT_EQ(Convert(), "RGB[0.500000,-1.000000,0.000000]");
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_TRUE(m_boxes.empty());

    const std::string before = TextOf(*m_doc->m_pExpression);
    Root("RGB(0.5, 1.2, 0)");
    EXPECT_EQ(Convert(), "");
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Not accepted"));
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("Quil"));
    EXPECT_EQ(m_boxes[0].parent, nullptr);
    EXPECT_EQ(TextOf(*m_doc->m_pExpression), before);  // unchanged on refusal
}

TEST_F(ExpressionFromTreeTest, ConstantFormsFillTheirParameters)
{
    Root("SPIR(0.25)");
    Convert();
    const ExprNode* r = m_doc->m_pExpression->GetRoot();
    EXPECT_EQ(r->dParam[0], 0.0);
    EXPECT_EQ(r->dParam[1], 0.0);
    EXPECT_EQ(r->dParam[2], 0.25);
    Root("BW(-1.000)");
    EXPECT_EQ(Convert(), "BW[-1.000000]");
    Root("R2C(0.100, -0.200)");
    EXPECT_EQ(Convert(), "R2C[0.100000,-0.200000,]");
    Root("SPIRC(0.1, 0.2, 0.3)");
    EXPECT_EQ(Convert(), "SPIRC[0.100000,0.200000,0.300000]");
    for (const char* bad : {"BW(0.5", "RGB(0.1, 0.2)", "foo", "sin(", "BW(2)", "rgb "}) {
        Root(bad);
        EXPECT_EQ(Convert(), "") << bad;
    }
}

TEST_F(ExpressionFromTreeTest, AliasesAndNamedKinds)
{
    QTreeWidgetItem* root = Root("+");
    Add(root, "Const");
    Add(root, "X");
    EXPECT_EQ(Convert(), "plus[RGB[0.000000,0.000000,0.000000],X[]]");
    root = Root("*");
    Add(root, "Y");
    Add(root, "BW");
    EXPECT_EQ(Convert(), "times[Y[],BW[0.000000]]");
}

TEST_F(ExpressionFromTreeTest, MissingArgumentsAreBlackExtraOnesDropped)
{
    QTreeWidgetItem* root = Root("plus");
    Add(root, "X");
    EXPECT_EQ(Convert(), "plus[X[],RGB[0.000000,0.000000,0.000000]]");
    root = Root("sin");
    Add(root, "X");
    Add(root, "Y");
    Add(root, "R");
    EXPECT_EQ(Convert(), "sin[X[]]");
    // A constant ignores the children its item has.
    root = Root("BW(0.5)");
    Add(root, "X");
    EXPECT_EQ(Convert(), "BW[0.500000]");
}

TEST_F(ExpressionFromTreeTest, SnapshotTargetLeavesTheModifiedFlag)
{
    Root("X");
    CQuilExpression snapshot;
    snapshot.Reset();
    ASSERT_TRUE(m_doc->ExpressionFromTree(&m_tree, &snapshot));
    EXPECT_EQ(TextOf(snapshot), "X[]");
    EXPECT_FALSE(m_doc->IsModified());
    EXPECT_EQ(TextOf(*m_doc->m_pExpression), "rgb[X[],Y[],BW[-1.000000]]");
}

TEST_F(ExpressionFromTreeTest, PictureTerminalSetsUsesPicture)
{
    QTreeWidgetItem* root = Root("neg");
    Add(root, "PIC");
    EXPECT_EQ(Convert(), "neg[PIC[]]");
    EXPECT_EQ(m_doc->m_pExpression->m_bUsesPicture, 1);
    Root("X");
    Convert();
    EXPECT_EQ(m_doc->m_pExpression->m_bUsesPicture, 0);
}
