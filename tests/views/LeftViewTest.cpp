// The tree view inside a running application: building, hints, thumbnails,
// label editing, Insert node, drops, Undo and "As new Image".
#include "TreeViewFixture.h"

#include "app/ChildFrame.h"
#include "shell/DisplaySettings.h"
#include "resources/AppStrings.h"
#include "resources/ResourceIds.h"
#include "views/TreeEdit.h"
#include "views/TreeItems.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

namespace {
const std::string kBlack = "RGB[0.000000,0.000000,0.000000]";
}

TEST_F(TreeViewTest, LogoDocumentShowsRgbWithBoldTerminalsPointingAtItsNodes)
{
    Start();
    QTreeWidgetItem* root = Root();
    ASSERT_TRUE(root);
    EXPECT_EQ(ItemText(root), "rgb(X, Y, BW(-1.000))");
    EXPECT_FALSE(IsItemBold(root));
    const ExprNode* node = Doc()->m_pExpression->GetRoot();
    EXPECT_EQ(ItemNode(root), node);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(IsItemBold(root->child(i)));
        EXPECT_EQ(ItemNode(root->child(i)), node->pChild[i]);
        EXPECT_EQ(ItemImage(root->child(i)), i + 1);
    }
    EXPECT_TRUE(root->isExpanded());
}

TEST_F(TreeViewTest, BackgroundFollowsTheFocus)
{
    Start();
    CLeftView* tree = Tree();
    const QColor grey(kTreeFocusGrey, kTreeFocusGrey, kTreeFocusGrey);
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(tree, &out);
    EXPECT_EQ(tree->palette().color(QPalette::Base), grey);
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(tree, &in);
    EXPECT_EQ(tree->palette().color(QPalette::Base), QColor(255, 255, 255));
    QApplication::sendEvent(tree, &out);
    EXPECT_EQ(tree->palette().color(QPalette::Base), grey);
}

TEST_F(TreeViewTest, ExpandTreeOffLeavesTheRootCollapsedAfterEveryRebuild)
{
    m_store.WriteProfileInt(kSectionTree, kValueExpandTree, 0);
    Start();
    EXPECT_FALSE(Root()->isExpanded());
    Root()->setExpanded(true);
    Doc()->UpdateAllViews(nullptr, HINT_FULL_UPDATE);
    EXPECT_FALSE(Root()->isExpanded());
}

TEST_F(TreeViewTest, ThumbnailSizeZeroShowsNoThumbnailsAndAskNoIndentation)
{
    m_store.WriteProfileInt(kSectionTree, kValueThumbSize, 0);
    Start();
    CLeftView* tree = Tree();
    EXPECT_EQ(tree->ThumbSize(), 0);
    EXPECT_EQ(tree->RequestedIndentation(), 0);
    EXPECT_FALSE(tree->IsThumbnailJobRunning());
    ProcessEvents();
    EXPECT_FALSE(tree->ThumbnailsShown());
    EXPECT_TRUE(tree->ThumbnailOf(Root()).isNull());
    // The expand buttons keep their room.
    EXPECT_GT(tree->indentation(), 0);
}

TEST_F(TreeViewTest, ThumbSizeHintResizesAndZeroKeepsTheSize)
{
    Start();
    CLeftView* tree = Tree();
    ASSERT_TRUE(WaitForThumbnails());
    EXPECT_EQ(tree->Thumbnails().size(), 4u);
    Doc()->UpdateAllViews(nullptr, HINT_THUMB_SIZE, 40);
    EXPECT_EQ(tree->ThumbSize(), 40);
    EXPECT_EQ(tree->RequestedIndentation(), 40);
    EXPECT_FALSE(tree->ThumbnailsShown());  // detached until the new job ends
    ASSERT_TRUE(WaitForThumbnails());
    ASSERT_EQ(tree->Thumbnails().size(), 4u);
    EXPECT_EQ(tree->Thumbnails()[0].Width(), 40);
    EXPECT_FALSE(tree->ThumbnailOf(Root()).isNull());
    Doc()->UpdateAllViews(nullptr, HINT_THUMB_SIZE, 0);
    EXPECT_EQ(tree->ThumbSize(), 40);
    // Stop keeps the job object; the other display hints change nothing.
    Doc()->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    EXPECT_FALSE(tree->IsThumbnailJobRunning());
    Doc()->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, MakeSizeHint(100, 100));
    EXPECT_FALSE(tree->IsThumbnailJobRunning());
}

TEST_F(TreeViewTest, EditingSinIntoCosChangesThePictureAndUndoBringsSinBack)
{
    Start();
    SetExpression("sin[X[]]");
    EditLabel(Root(), "cos");
    EXPECT_EQ(DocText(), "cos[X[]]");
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_EQ(Tree()->UndoHistory().Size(), 1u);
    EXPECT_EQ(Root()->text(0), "cos");
    EXPECT_EQ(ItemNode(Root()), Doc()->m_pExpression->GetRoot());  // rebuilt from the document
    EXPECT_TRUE(m_messages.empty());

    EXPECT_TRUE(Frame().CommandState(ID_EDIT_UNDO).m_bEnabled);
    Tree()->OnUndo();
    EXPECT_EQ(DocText(), "sin[X[]]");
    EXPECT_EQ(Root()->text(0), "sin");
    EXPECT_TRUE(Doc()->IsModified());  // Undo leaves the flag alone
    EXPECT_TRUE(Tree()->UndoHistory().IsEmpty());
    EXPECT_FALSE(Frame().CommandState(ID_EDIT_UNDO).m_bEnabled);
}

TEST_F(TreeViewTest, RedoTakesBackAnUndoUntilANewChangeComes)
{
    Start();
    SetExpression("sin[X[]]");
    EditLabel(Root(), "cos");
    EditLabel(Root(), "neg");
    EXPECT_FALSE(Frame().CommandState(ID_EDIT_REDO).m_bEnabled);
    Tree()->OnUndo();
    Tree()->OnUndo();
    EXPECT_EQ(DocText(), "sin[X[]]");
    ASSERT_TRUE(Frame().CommandState(ID_EDIT_REDO).m_bEnabled);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_EDIT_REDO));
    EXPECT_EQ(DocText(), "cos[X[]]");
    EXPECT_EQ(Root()->text(0), "cos");
    Tree()->OnRedo();
    EXPECT_EQ(DocText(), "neg[X[]]");
    EXPECT_FALSE(Frame().CommandState(ID_EDIT_REDO).m_bEnabled);
    // Undo and Redo go back and forth as often as asked.
    Tree()->OnUndo();
    EXPECT_EQ(DocText(), "cos[X[]]");
    // A new change forgets what Redo could bring back.
    EditLabel(Root(), "cub");
    EXPECT_FALSE(Frame().CommandState(ID_EDIT_REDO).m_bEnabled);
    Tree()->OnRedo();
    EXPECT_EQ(DocText(), "cub[X[]]");
    Tree()->OnUndo();
    Tree()->OnUndo();
    EXPECT_EQ(DocText(), "sin[X[]]");
}

TEST_F(TreeViewTest, CopyExpressionPutsTheSelectedBranchOrTheWholeTreeOnTheClipboard)
{
    Start();
    SetExpression("plus[X[],sin[SPIR[0.500000]]]");
    Tree()->clearSelection();
    ASSERT_TRUE(Frame().ExecuteCommand(ID_EDIT_COPY_EXPRESSION));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "plus[X[],sin[SPIR[0.500000]]]");
    Tree()->setCurrentItem(At({1}));
    ASSERT_TRUE(Frame().ExecuteCommand(ID_EDIT_COPY_EXPRESSION));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "sin[SPIR[0.500000]]");
}

TEST_F(TreeViewTest, RefusedLabelComesBackAndEditingResumesWithTheRefusedTextSelected)
{
    Start();
    SetExpression("sin[X[]]");
    const bool modified = Doc()->IsModified();
    EditLabel(Root(), "foo");
    ASSERT_EQ(m_messages, std::vector<std::string>{std::string(kMsgNotAccepted) + "\n" + kMsgNotAcceptedHint});
    EXPECT_EQ(DocText(), "sin[X[]]");
    EXPECT_EQ(Doc()->IsModified(), modified);
    EXPECT_EQ(Root()->text(0), "sin");
    QLineEdit* editor = Tree()->LabelEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), "foo");
    EXPECT_EQ(editor->selectedText(), "foo");
    EXPECT_TRUE(Tree()->UndoHistory().IsEmpty());

    // The user corrects the text: accepted like any edit.
    editor->setText("neg");
    QTest::keyClick(editor, Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(DocText(), "neg[X[]]");
    ASSERT_EQ(Tree()->UndoHistory().Size(), 1u);
    Tree()->OnUndo();
    EXPECT_EQ(DocText(), "sin[X[]]");
}

TEST_F(TreeViewTest, CancelledEditChangesNothing)
{
    Start();
    const std::string before = DocText();
    Tree()->editItem(Root());
    QLineEdit* editor = Tree()->LabelEditor();
    ASSERT_TRUE(editor);
    editor->setText("plus");
    QTest::keyClick(editor, Qt::Key_Escape);
    ProcessEvents();
    EXPECT_EQ(DocText(), before);
    EXPECT_EQ(Root()->text(0), "rgb");
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_TRUE(Tree()->UndoHistory().IsEmpty());
}

TEST_F(TreeViewTest, ConfirmingAnUnchangedLabelChangesNothing)
{
    Start();
    SetExpression("plus[BW[0.123456],SPIR[0.5,0.25,-0.3337]]");
    ASSERT_FALSE(Doc()->IsModified());
    EditLabel(Root(), "plus");
    // Neither modified nor rounded: the labels are not read back.
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(DocText(), "plus[BW[0.123456],SPIR[-0.333700]]");
    const ExprNode* spir = Doc()->m_pExpression->GetRoot()->pChild[1];
    EXPECT_EQ(spir->dParam[0], 0.5);
    EXPECT_EQ(spir->dParam[1], 0.25);
    EXPECT_TRUE(Tree()->UndoHistory().IsEmpty());
    // A changed label still reads the whole tree from the labels.
    EditLabel(Root(), "minus");
    EXPECT_EQ(DocText(), "minus[BW[0.123000],SPIR[-0.334000]]");
    EXPECT_EQ(Doc()->m_pExpression->GetRoot()->pChild[1]->dParam[0], 0.0);
}

TEST_F(TreeViewTest, RenamingFillsMissingArgumentsWithBlack)
{
    Start();
    SetExpression("sin[X[]]");
    EditLabel(Root(), "plus");
    EXPECT_EQ(DocText(), "plus[X[]," + kBlack + "]");
    EXPECT_EQ(ItemText(Root()), "plus(X, RGB(0.000, 0.000, 0.000))");
}

TEST_F(TreeViewTest, EditingToPicSetsTheIndicator)
{
    Start();
    SetExpression("sin[X[]]");
    EditLabel(At({0}), "PIC");
    EXPECT_EQ(Doc()->m_pExpression->m_bUsesPicture, 1);
    EXPECT_EQ(Frame().PicIndicatorText(), kIndicatorPic);
    Tree()->OnUndo();
    EXPECT_EQ(Frame().PicIndicatorText(), "");
}

TEST_F(TreeViewTest, DropsMoveArguments)
{
    Start();
    SetExpression("minus[X[],Y[]]");
    Tree()->DropBranch(At({1}), At({0}));
    EXPECT_EQ(DocText(), "minus[Y[],X[]]");
    EXPECT_EQ(Tree()->UndoHistory().Size(), 1u);
    Tree()->DropBranch(At({0}), At({1}));  // the first onto the second: unchanged
    EXPECT_EQ(DocText(), "minus[Y[],X[]]");

    SetExpression("plus[minus[X[],Y[]],sin[R[]]]");
    Tree()->DropBranch(At({0, 0}), At({1, 0}));
    EXPECT_EQ(DocText(), "plus[minus[Y[]," + kBlack + "],sin[X[]]]");
}

TEST_F(TreeViewTest, GrandchildDroppedOntoTheRootBecomesTheExpression)
{
    Start();
    SetExpression("plus[minus[X[],cos[Y[]]],sin[R[]]]");
    Tree()->DropBranch(At({0, 1}), Root());
    EXPECT_EQ(DocText(), "cos[Y[]]");
    EXPECT_EQ(Tree()->topLevelItemCount(), 1);
    Tree()->OnUndo();
    EXPECT_EQ(DocText(), "plus[minus[X[],cos[Y[]]],sin[R[]]]");
}

TEST_F(TreeViewTest, DropIntoItsOwnBranchIsRefusedWithAMessage)
{
    Start();
    SetExpression("plus[minus[X[],cos[Y[]]],sin[R[]]]");
    Tree()->DropBranch(At({0}), At({0, 1, 0}));
    EXPECT_EQ(m_messages, std::vector<std::string>{kMsgDropOntoChild});
    EXPECT_EQ(ItemText(Root()), "plus(minus(X, cos(Y)), sin(R))");
    EXPECT_TRUE(Tree()->UndoHistory().IsEmpty());
    EXPECT_FALSE(Doc()->IsModified());
}

namespace {
void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
// Drags from the centre of one item to the centre of another with the left button.
void Drag(CLeftView* tree, QTreeWidgetItem* from, QTreeWidgetItem* to, bool* dragged = nullptr)
{
    QWidget* viewport = tree->viewport();
    const QPoint start = tree->visualItemRect(from).center();
    const QPoint end = tree->visualItemRect(to).center();
    SendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(0, QApplication::startDragDistance() + 2), Qt::NoButton,
              Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    if (dragged)
        *dragged = tree->IsDragging() && tree->DropTarget() == to;
    SendMouse(viewport, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}
}  // namespace

TEST_F(TreeViewTest, MouseDragSwapsArgumentsButTheRootStays)
{
    Start();
    SetExpression("minus[X[],Y[]]");
    CLeftView* tree = Tree();
    tree->resize(300, 300);
    bool dragging = false;
    Drag(tree, At({1}), At({0}), &dragging);
    EXPECT_TRUE(dragging);
    EXPECT_FALSE(tree->IsDragging());
    EXPECT_EQ(DocText(), "minus[Y[],X[]]");

    Drag(tree, Root(), At({1}), &dragging);
    EXPECT_FALSE(dragging);
    EXPECT_EQ(DocText(), "minus[Y[],X[]]");
    EXPECT_EQ(tree->UndoHistory().Size(), 1u);
}

TEST_F(TreeViewTest, SixtyFiveEditsKeepTheLastSixtyFourForUndo)
{
    Start();
    SetExpression("BW[0.000000]");
    for (int n = 1; n <= 65; ++n)
        EditLabel(Root(), QStringLiteral("BW(%1)").arg(n / 1000.0, 0, 'f', 3));
    EXPECT_EQ(DocText(), "BW[0.065000]");
    EXPECT_EQ(Tree()->UndoHistory().Size(), kMaxUndoEntries);
    for (size_t i = 0; i < kMaxUndoEntries; ++i)
        Tree()->OnUndo();
    // The first edit's snapshot (BW 0) fell out: the oldest state is after edit 1.
    EXPECT_EQ(DocText(), "BW[0.001000]");
    EXPECT_FALSE(Frame().CommandState(ID_EDIT_UNDO).m_bEnabled);
}

TEST_F(TreeViewTest, InsertNodeWrapsInPlaceAndUndoRemovesIt)
{
    Start();
    SetExpression("minus[X[],cos[Y[]]]");
    Tree()->SetContextItem(At({1}));
    Frame().ActiveChildFrame()->SetActiveView(Tree());
    ASSERT_TRUE(Frame().ExecuteCommand(ID_TREE_INSERT_NODE));
    EXPECT_EQ(ItemText(Root()), "minus(X, id(cos(Y)))");
    EXPECT_EQ(DocText(), "minus[X[],cos[Y[]]]");  // the document waits for the next edit
    EXPECT_EQ(Tree()->currentItem(), At({1, 0}));
    EXPECT_EQ(Tree()->UndoHistory().Size(), 1u);
    Tree()->OnUndo();
    EXPECT_EQ(ItemText(Root()), "minus(X, cos(Y))");
    EXPECT_TRUE(Tree()->UndoHistory().IsEmpty());
}

TEST_F(TreeViewTest, TheNextEditReadsTheInsertedNode)
{
    Start();
    SetExpression("minus[X[],Y[]]");
    Tree()->SetContextItem(At({0}));
    Tree()->OnInsertNode();
    EditLabel(At({0}), "neg");
    EXPECT_EQ(DocText(), "minus[neg[X[]],Y[]]");
    EXPECT_EQ(Tree()->UndoHistory().Size(), 2u);
}

TEST_F(TreeViewTest, GenerateRandomTwiceThenUndoTwiceRestoresTheFirstExpression)
{
    Start();
    const std::string logo = DocText();
    Doc()->OnGenerateRandom();
    const std::string first = DocText();
    Doc()->OnGenerateRandom();
    EXPECT_EQ(Tree()->UndoHistory().Size(), 2u);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_EDIT_UNDO));
    EXPECT_EQ(DocText(), first);
    // Undo also works while the picture view is the active view.
    Frame().ActiveChildFrame()->SetActiveView(Doc()->Views().back());
    ASSERT_TRUE(Frame().ExecuteCommand(ID_EDIT_UNDO));
    EXPECT_EQ(DocText(), logo);
}

TEST_F(TreeViewTest, AsNewImageOnTheRootCopiesTheWholeExpression)
{
    Start();
    SetExpression("plus[SPIR[0.1,0.2,0.3],sin[X[]]]");
    CQuilDoc* source = Doc();
    Tree()->SetContextItem(Root());
    Tree()->OnAsNewImage();
    ProcessEvents();
    ASSERT_EQ(m_pApp->Documents().size(), 2u);
    CQuilDoc* created = m_pApp->Documents().back();
    ASSERT_NE(created, source);
    EXPECT_EQ(DocText(created), "plus[SPIR[0.300000],sin[X[]]]");
    // The node's own parameters, hidden ones included.
    const ExprNode* spir = created->m_pExpression->GetRoot()->pChild[0];
    EXPECT_EQ(spir->dParam[0], 0.1);
    EXPECT_EQ(spir->dParam[1], 0.2);
    EXPECT_TRUE(created->IsModified());
    EXPECT_TRUE(created->GetPathName().isEmpty());
    EXPECT_EQ(created->GetTitle(), "Quil2");
}

TEST_F(TreeViewTest, AsNewImageOnAnInsertedItemUsesItsLabels)
{
    Start();
    SetExpression("minus[X[],cos[Y[]]]");
    Tree()->SetContextItem(At({1}));
    Tree()->OnInsertNode();
    Tree()->SetContextItem(At({1}));
    ASSERT_EQ(At({1})->text(0), "id");
    ASSERT_EQ(ItemNode(At({1})), nullptr);
    Tree()->OnAsNewImage();
    ASSERT_EQ(m_pApp->Documents().size(), 2u);
    EXPECT_EQ(DocText(m_pApp->Documents().back()), "id[cos[Y[]]]");
}

TEST_F(TreeViewTest, DoubleClickOnALabelOpensItsBranch)
{
    Start();
    SetExpression("plus[sin[X[]],Y[]]");
    CLeftView* tree = Tree();
    tree->resize(300, 300);
    const QPoint at = tree->visualItemRect(At({0})).center();
    SendMouse(tree->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(tree->viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    SendMouse(tree->viewport(), QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(tree->viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    ProcessEvents();
    ASSERT_EQ(m_pApp->Documents().size(), 2u);
    EXPECT_EQ(DocText(m_pApp->Documents().back()), "sin[X[]]");
}

TEST_F(TreeViewTest, TreeMenuHasSixEntriesTheFirstAsDefault)
{
    Start();
    CLeftView* tree = Tree();
    tree->resize(300, 300);
    const QPoint onItemPos = tree->visualItemRect(At({1})).center();
    QContextMenuEvent onItem(QContextMenuEvent::Mouse, onItemPos, tree->viewport()->mapToGlobal(onItemPos));
    QApplication::sendEvent(tree->viewport(), &onItem);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_EQ(tree->ContextItem(), At({1}));
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts, (QStringList{"&As new Image", "Copy E&xpression", "-", "&Insert node", "E&dit node", "-",
                                  "&Expand fully", "&Collapse fully", "-", "&Settings..."}));
    EXPECT_EQ(menu->actions()[4]->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(menu->defaultAction(), menu->actions().constFirst());
    // Its commands reach this tree even while the picture view was active.
    menu->actions()[3]->trigger();
    EXPECT_EQ(ItemText(Root()), "rgb(X, id(Y), BW(-1.000))");
    menu->close();
    ProcessEvents();

    const QPoint belowPos(5, tree->viewport()->height() - 5);
    QContextMenuEvent below(QContextMenuEvent::Mouse, belowPos, tree->viewport()->mapToGlobal(belowPos));
    QApplication::sendEvent(tree->viewport(), &below);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    texts.clear();
    for (QAction* action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{"&Copy", "&Settings..."}));
    menu->close();
}

TEST_F(TreeViewTest, ExpandAndCollapseFully)
{
    m_store.WriteProfileInt(kSectionTree, kValueExpandTree, 0);
    Start();
    SetExpression("plus[minus[X[],cos[Y[]]],sin[R[]]]");
    ASSERT_FALSE(Root()->isExpanded());
    Tree()->SetContextItem(Root());
    Tree()->OnExpandFully();
    EXPECT_TRUE(At({0, 1})->isExpanded());
    EXPECT_TRUE(At({1})->isExpanded());
    EXPECT_EQ(Tree()->currentItem(), Root());
    Tree()->SetContextItem(At({0}));
    Tree()->OnCollapseFully();
    EXPECT_FALSE(At({0})->isExpanded());
    EXPECT_FALSE(At({0, 1})->isExpanded());
    EXPECT_TRUE(Root()->isExpanded());
}

TEST_F(TreeViewTest, CopyPutsTheTreeOrTheSelectedLabelText)
{
    Start();
    CLeftView* tree = Tree();
    ASSERT_TRUE(WaitForThumbnails());
    const QSize extent = tree->VisibleLabelExtent();
    tree->OnEditCopy();
    const QImage picture = QApplication::clipboard()->image();
    EXPECT_EQ(picture.width(), tree->ThumbSize() + kTreeLabelMargin + extent.width());
    EXPECT_EQ(picture.height(), tree->ThumbSize() / 2 + extent.height());

    EXPECT_FALSE(Frame().CommandState(ID_EDIT_PASTE).m_bEnabled);
    tree->editItem(Root());
    QLineEdit* editor = tree->LabelEditor();
    ASSERT_TRUE(editor);
    editor->setSelection(1, 2);
    tree->OnEditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), "gb");
    QApplication::clipboard()->setText("plus");
    editor->selectAll();
    CCmdUI paste(ID_EDIT_PASTE);
    tree->OnUpdateCommand(paste);
    EXPECT_TRUE(paste.m_bEnabled);
    tree->OnEditPaste();
    EXPECT_EQ(editor->text(), "plus");
}

TEST_F(TreeViewTest, PrintingSpreadsAWideTreeOverColumnsOfPages)
{
    Start();
    // A chain of nested functions: each level is one indentation further right.
    std::string text = "X[]";
    for (int level = 0; level < 60; ++level)
        text = "neg[" + text + "]";
    SetExpression(text);
    CLeftView* tree = Tree();
    const QSize extent = tree->VisibleLabelExtent();
    const int width = tree->ThumbSize() + extent.width() + kTreeLabelMargin;
    const int height = tree->ThumbSize() + extent.height();
    const QSize grid = tree->PrintPageGrid();
    EXPECT_EQ(grid, QSize(width / kPrintPageWidth + 1, height / kPrintPageHeight + 1));
    EXPECT_GT(grid.width(), 1);
}

TEST_F(TreeViewTest, RestingOnACollapsedBranchDuringADragOpensIt)
{
    m_store.WriteProfileInt(kSectionTree, kValueExpandTree, 0);
    Start();
    SetExpression("plus[sin[cos[X[]]],Y[]]");
    ASSERT_TRUE(WaitForThumbnails());  // rows keep their places from here on
    CLeftView* tree = Tree();
    tree->resize(300, 300);
    Root()->setExpanded(true);
    ASSERT_FALSE(At({0})->isExpanded());
    QWidget* viewport = tree->viewport();
    const QPoint start = tree->visualItemRect(At({1})).center();
    const QPoint over = tree->visualItemRect(At({0})).center();
    SendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(0, 20), Qt::NoButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, over, Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(tree->IsDragging());
    EXPECT_TRUE(QTest::qWaitFor([&] { return At({0})->isExpanded(); }, 10000));
    // Escape ends the drag without a drop.
    QTest::keyClick(tree, Qt::Key_Escape);
    EXPECT_FALSE(tree->IsDragging());
    EXPECT_EQ(DocText(), "plus[sin[cos[X[]]],Y[]]");
    EXPECT_EQ(tree->currentItem(), At({1}));
}

TEST_F(TreeViewTest, RestingAtTheBottomEdgeDuringADragScrolls)
{
    Start();
    std::string text = "X[]";
    for (int level = 0; level < 40; ++level)
        text = "plus[" + text + ",Y[]]";
    SetExpression(text);
    ASSERT_TRUE(WaitForThumbnails());
    CLeftView* tree = Tree();
    tree->resize(300, 200);
    tree->scrollToTop();
    QScrollBar* bar = tree->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    QWidget* viewport = tree->viewport();
    const QPoint start = tree->visualItemRect(At({1})).center();
    const QPoint edge(start.x(), viewport->height() - kDragScrollMargin / 2);
    SendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(0, 20), Qt::NoButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, edge, Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(tree->IsDragging());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 2; }, 10000));
    SendMouse(viewport, QEvent::MouseButtonRelease, QPoint(-50, -50), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(tree->IsDragging());
    EXPECT_EQ(DocText(), text);  // released over no item: nothing happens
}
