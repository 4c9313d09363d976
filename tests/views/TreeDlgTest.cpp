// The tree appearance dialog: its field check, its three scopes, and the
// whole path from the menu command to the views.
#include "TreeViewFixture.h"

#include "shell/DisplaySettings.h"
#include "dialogs/TreeDlg.h"
#include "resources/ResourceIds.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QTest>
#include <QTimer>

namespace {

class RecordingTargets : public TreeAppearanceTargets {
public:
    void SetActiveViewThumbSize(int size) override { m_nActiveSize = size; }
    void UpdateThumbSize(int size, bool allDocuments) override
    {
        m_nUpdatedSize = size;
        m_bAll = allDocuments;
    }
    int m_nActiveSize = -1;
    int m_nUpdatedSize = -1;
    bool m_bAll = false;
};

struct ScopeResult {
    DisplaySettings frame;
    MemorySettingsStore store;
    RecordingTargets targets;
};

void ApplyChosen(ScopeResult& result, int size, int scope, int expand)
{
    result.frame.m_nThumbSize = 24;
    result.frame.m_bExpandTree = 1;
    TreeAppearance chosen;
    chosen.m_nThumbSize = size;
    chosen.m_nApply = scope;
    chosen.m_bExpandTree = expand;
    ApplyTreeAppearance(chosen, result.frame, result.store, result.targets);
}

}  // namespace

TEST(TreeAppearance, ThisViewOnlyLeavesTheMainWindowsSizeAndFlag)
{
    ScopeResult r;
    ApplyChosen(r, 40, APPLY_THIS_VIEW, 0);
    EXPECT_EQ(r.targets.m_nActiveSize, 40);
    EXPECT_EQ(r.targets.m_nUpdatedSize, 40);
    EXPECT_FALSE(r.targets.m_bAll);
    EXPECT_EQ(r.frame.m_nThumbSize, 24);
    EXPECT_EQ(r.frame.m_bExpandTree, 1);
    EXPECT_EQ(r.frame.m_nTreeApply, APPLY_THIS_VIEW);
    EXPECT_EQ(r.store.GetProfileInt(kSectionTree, kValueApply, -1), 0);
    EXPECT_FALSE(r.store.Contains(kSectionTree, kValueThumbSize));
    EXPECT_FALSE(r.store.Contains(kSectionTree, kValueExpandTree));
}

TEST(TreeAppearance, ThisAndNextViewsAlsoSetsTheMainWindowAndStoresIt)
{
    ScopeResult r;
    ApplyChosen(r, 32, APPLY_THIS_AND_NEXT, 0);
    EXPECT_EQ(r.targets.m_nActiveSize, 32);
    EXPECT_FALSE(r.targets.m_bAll);
    EXPECT_EQ(r.frame.m_nThumbSize, 32);
    EXPECT_EQ(r.frame.m_bExpandTree, 0);
    EXPECT_EQ(r.store.GetProfileInt(kSectionTree, kValueApply, -1), 1);
    EXPECT_EQ(r.store.GetProfileInt(kSectionTree, kValueThumbSize, -1), 32);
    EXPECT_EQ(r.store.GetProfileInt(kSectionTree, kValueExpandTree, -1), 0);
}

TEST(TreeAppearance, AllViewsReachesEveryDocument)
{
    ScopeResult r;
    ApplyChosen(r, 0, APPLY_ALL_VIEWS, 1);
    EXPECT_TRUE(r.targets.m_bAll);
    EXPECT_EQ(r.targets.m_nUpdatedSize, 0);
    EXPECT_EQ(r.frame.m_nThumbSize, 0);
    EXPECT_EQ(r.store.GetProfileInt(kSectionTree, kValueApply, -1), 2);
    EXPECT_EQ(r.store.GetProfileInt(kSectionTree, kValueThumbSize, -1), 0);
}

TEST(TreeAppearance, StartsFromTheActiveViewsSize)
{
    DisplaySettings frame;
    frame.m_nThumbSize = 24;
    frame.m_nTreeApply = 2;
    frame.m_bExpandTree = 0;
    TreeAppearance initial = InitialTreeAppearance(frame, 48);
    EXPECT_EQ(initial.m_nThumbSize, 48);
    EXPECT_EQ(initial.m_nApply, 2);
    EXPECT_EQ(initial.m_bExpandTree, 0);
    EXPECT_EQ(InitialTreeAppearance(frame, -1).m_nThumbSize, 24);
}

class TreeDialog : public TreeViewTest {};

TEST_F(TreeDialog, BadSizesGetTheFrameworkMessageAndKeepTheDialogOpen)
{
    CTreeDlg dialog(TreeAppearance{24, APPLY_THIS_AND_NEXT, 1});
    EXPECT_EQ(dialog.windowTitle(), "Set Tree Appearence");
    EXPECT_EQ(dialog.ThumbSizeEdit()->text(), "24");
    EXPECT_EQ(dialog.ApplyGroup()->checkedId(), APPLY_THIS_AND_NEXT);
    EXPECT_TRUE(dialog.ExpandCheck()->isChecked());
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), dialog.ThumbSizeEdit());
    EXPECT_EQ(dialog.ThumbSizeEdit()->selectedText(), "24");

    dialog.ThumbSizeEdit()->setText("65");
    dialog.accept();
    EXPECT_EQ(m_messages, std::vector<std::string>{"Please enter an integer between 0 and 64."});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ThumbSizeEdit()->selectedText(), "65");

    m_messages.clear();
    dialog.ThumbSizeEdit()->setText("");
    dialog.accept();
    EXPECT_EQ(m_messages, std::vector<std::string>{"Please enter an integer."});

    m_messages.clear();
    dialog.ThumbSizeEdit()->setText("99999999999");
    dialog.accept();
    EXPECT_EQ(m_messages, std::vector<std::string>{"Please enter an integer between 0 and 64."});

    // Only digits can be typed.
    dialog.ThumbSizeEdit()->clear();
    QTest::keyClicks(dialog.ThumbSizeEdit(), "-1x2");
    EXPECT_EQ(dialog.ThumbSizeEdit()->text(), "12");

    m_messages.clear();
    dialog.ThumbSizeEdit()->setText("0");
    dialog.ApplyGroup()->button(APPLY_ALL_VIEWS)->setChecked(true);
    dialog.ExpandCheck()->setChecked(false);
    dialog.accept();
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result().m_nThumbSize, 0);
    EXPECT_EQ(dialog.Result().m_nApply, APPLY_ALL_VIEWS);
    EXPECT_EQ(dialog.Result().m_bExpandTree, 0);
}

namespace {
// Answers the next modal tree dialog with the given values.
void AnswerTreeDialog(const QString& size, int scope)
{
    QTimer::singleShot(0, [size, scope] {
        auto* dialog = qobject_cast<CTreeDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->ThumbSizeEdit()->setText(size);
        dialog->ApplyGroup()->button(scope)->setChecked(true);
        dialog->accept();
    });
}
}  // namespace

TEST_F(TreeDialog, ThisViewOnlyChangesTheActiveTreeButNotNewOnes)
{
    Start();
    CQuilDoc* first = Doc();
    AnswerTreeDialog("40", APPLY_THIS_VIEW);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_TREE_DISPLAY));
    EXPECT_EQ(Tree(first)->ThumbSize(), 40);
    EXPECT_EQ(Frame().ThumbSize(), 24);
    CQuilDoc* second = m_pApp->OnFileNew();
    ASSERT_TRUE(second);
    EXPECT_EQ(Tree(second)->ThumbSize(), 24);
    EXPECT_EQ(Tree(first)->ThumbSize(), 40);
}

TEST_F(TreeDialog, AllViewsChangesEveryTreeEvenToZero)
{
    Start();
    CQuilDoc* first = Doc();
    CQuilDoc* second = m_pApp->OnFileNew();
    ASSERT_TRUE(second);
    ASSERT_EQ(Doc(), second);
    AnswerTreeDialog("0", APPLY_ALL_VIEWS);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_TREE_DISPLAY));
    EXPECT_EQ(Tree(first)->ThumbSize(), 0);
    EXPECT_EQ(Tree(second)->ThumbSize(), 0);
    EXPECT_FALSE(Tree(first)->IsThumbnailJobRunning());
    EXPECT_EQ(Frame().ThumbSize(), 0);
    EXPECT_EQ(m_store.GetProfileInt(kSectionTree, kValueThumbSize, -1), 0);
    EXPECT_EQ(m_store.GetProfileInt(kSectionTree, kValueApply, -1), APPLY_ALL_VIEWS);
}

TEST_F(TreeDialog, CancelChangesNothing)
{
    Start();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CTreeDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->ThumbSizeEdit()->setText("10");
        dialog->reject();
    });
    Frame().ExecuteCommand(ID_TREE_DISPLAY);
    EXPECT_EQ(Tree()->ThumbSize(), 24);
    EXPECT_FALSE(m_store.Contains(kSectionTree, kValueApply));
}
