// CQuilDoc::ExpressionFromTree with a tree's items: the "Not accepted"
// refusal and the modified flag. The label cases themselves are the document
// core's (tests/document).

#include "AppFixture.h"

#include "app/QuilApp.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "shell/QuilDoc.h"
#include "views/TreeItems.h"

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
        if (!m_doc->ExpressionFromTree(TreeLabels(&m_tree)))
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
    // The text stays; a second line says what labels look like.
    const QStringList lines = m_boxes[0].text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Not accepted"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("BW(0.5), RGB(0.1, 0.2, 0.3)"))) << lines[1].toStdString();
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("Quil"));
    EXPECT_EQ(m_boxes[0].parent, nullptr);
    EXPECT_EQ(TextOf(*m_doc->m_pExpression), before);  // unchanged on refusal
}

TEST_F(ExpressionFromTreeTest, SnapshotTargetLeavesTheModifiedFlag)
{
    Root("X");
    CQuilExpression snapshot;
    snapshot.Reset();
    ASSERT_TRUE(m_doc->ExpressionFromTree(TreeLabels(&m_tree), &snapshot));
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
