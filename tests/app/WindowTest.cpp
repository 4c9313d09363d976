// Document windows: their sizes and columns, the maximized state of new
// windows, Cascade and Tile, and the main window's title.

#include "AppFixture.h"

#include "app/ChildFrame.h"
#include "app/FrameLayout.h"
#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "engine/QuilExpression.h"
#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"
#include "views/LeftView.h"
#include "views/QuilView.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>

#include <functional>

TEST(FrameLayout, InitialSizeFormula)
{
    // 3 x 17 + (24 + 2) x 8 + trunc(330.0) by 2 x 20 + 330.
    EXPECT_EQ(ChildFrameInitialSize(17, 20, 24, 8, 300, 300), QSize(589, 370));
    // trunc(1.1 x 333) = 366.
    EXPECT_EQ(ChildFrameInitialSize(10, 10, 0, 0, 333, 100), QSize(30 + 2 * 0 + 366, 20 + 110));
    // Huge display sizes stay within what a window can be.
    const QSize huge = ChildFrameInitialSize(17, 20, 64, 1024, 16384, 16384);
    EXPECT_LE(huge.width(), 32767);
    EXPECT_LE(huge.height(), 32767);
}

TEST(FrameLayout, ColumnsFollowTheResizeRuleButKeepTheLabels)
{
    ColumnInputs in;
    in.width = 1000;
    in.height = 600;
    in.thumbSize = 24;
    in.labelExtent = QSize(100, 200);
    in.labelNeed = 150;
    in.displayWidth = 300;
    in.scrollBarWidth = 17;
    // Room for both: tree = 24 + 100 + 70, picture = 330.
    SplitterColumns c = ChildFrameColumns(in);
    EXPECT_EQ(c.tree, 194);
    EXPECT_EQ(c.picture, 330);
    // Lower than the labels: the tree gets room for a scroll bar.
    in.height = 150;
    EXPECT_EQ(ChildFrameColumns(in).tree, 211);
    in.height = 600;
    // Narrower than both: width - picture, as long as the labels fit.
    in.width = 450;
    in.labelNeed = 100;
    c = ChildFrameColumns(in);
    EXPECT_EQ(c.tree, 120);
    EXPECT_EQ(c.picture, 330);
    // The labels need more: the picture column gives way.
    in.labelNeed = 140;
    c = ChildFrameColumns(in);
    EXPECT_EQ(c.tree, 140);
    EXPECT_EQ(c.picture, 310);
    // But the labels get at most a third of the window.
    in.width = 390;
    in.labelNeed = 400;
    c = ChildFrameColumns(in);
    EXPECT_EQ(c.tree, 130);
    EXPECT_EQ(c.picture, 260);
    // Never below 5.
    in.width = 12;
    in.labelNeed = 0;
    c = ChildFrameColumns(in);
    EXPECT_EQ(c.tree, 5);
    EXPECT_EQ(c.picture, 7);
}

TEST(FrameLayout, ColumnsKeepTheTreeWidthThePersonSet)
{
    ColumnInputs in;
    in.width = 800;
    in.labelNeed = 300;
    in.displayWidth = 300;
    in.userTree = 60;
    SplitterColumns c = ChildFrameColumns(in);
    EXPECT_EQ(c.tree, 60);
    EXPECT_EQ(c.picture, 740);
    // Within the window, never below 5 on either side.
    in.width = 50;
    EXPECT_EQ(ChildFrameColumns(in).tree, 45);
    in.userTree = 0;
    EXPECT_EQ(ChildFrameColumns(in).tree, 5);
}

TEST(FrameLayout, CascadeRunsStayInsideTheArea)
{
    const std::vector<QSize> needs{{300, 200}, {300, 200}, {300, 200}, {900, 100}};
    std::vector<QRect> places = CascadeLayout(QSize(500, 400), needs, 25);
    ASSERT_EQ(places.size(), 4u);
    EXPECT_EQ(places[0], QRect(0, 0, 300, 200));
    EXPECT_EQ(places[2], QRect(50, 50, 300, 200));
    // Wider than the run allows: as wide as keeps it inside the area.
    EXPECT_EQ(places[3], QRect(75, 75, 425, 100));
    // A small area: the run gives way in size first, each window at least
    // half the area, then starts over at the corner.
    places = CascadeLayout(QSize(320, 220), needs, 25);
    EXPECT_EQ(places[0], QRect(0, 0, 245, 145));
    EXPECT_EQ(places[3], QRect(75, 75, 245, 100));
    places = CascadeLayout(QSize(100, 80), needs, 25);
    EXPECT_EQ(places[1], QRect(25, 25, 75, 55));
    EXPECT_EQ(places[2].topLeft(), QPoint(0, 0));
}

TEST(FrameLayout, TileCoversTheAreaWithoutOverlap)
{
    for (int n : {1, 3, 4, 7, 10}) {
        const QSize area(801, 601);
        const std::vector<QRect> places = TileLayout(area, n);
        ASSERT_EQ(int(places.size()), n);
        long long covered = 0;
        for (int i = 0; i < n; ++i) {
            EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(places[size_t(i)])) << n << " " << i;
            covered += (long long)places[size_t(i)].width() * places[size_t(i)].height();
            for (int j = 0; j < i; ++j)
                EXPECT_FALSE(places[size_t(i)].intersects(places[size_t(j)])) << n << " " << i << " " << j;
        }
        EXPECT_EQ(covered, (long long)area.width() * area.height()) << n;
    }
    EXPECT_TRUE(TileLayout(QSize(800, 600), 0).empty());
}

class WindowTest : public AppFixture {
protected:
    // Document windows small enough for several in the offscreen screen's area.
    void StartSmall()
    {
        m_store.WriteProfileInt("Misc", "Welcome", 0);
        m_store.WriteProfileInt("Prob", "Maxlevel", 3);
        m_store.WriteProfileInt("Display", "DisplayX", 150);
        m_store.WriteProfileInt("Display", "DisplayY", 100);
        Start();
    }
    QMdiArea* Area() { return App().GetMainFrame()->MdiArea(); }
    QMdiSubWindow* SubOf(CQuilDoc* doc)
    {
        CChildFrame* frame = FrameOf(doc);
        return frame ? qobject_cast<QMdiSubWindow*>(frame->parentWidget()) : nullptr;
    }
    int MaximizedCount()
    {
        int n = 0;
        for (QMdiSubWindow* sub : Area()->subWindowList())
            n += sub->isMaximized() ? 1 : 0;
        return n;
    }
    // The title as the window system shows it.
    QString ShownTitle()
    {
        CMainFrame* frame = App().GetMainFrame();
        QString title = frame->windowTitle();
        return title.replace(QStringLiteral("[*]"), frame->isWindowModified() ? QStringLiteral("*") : QString());
    }
};

TEST_F(WindowTest, NewWindowsHaveTheFormulaOuterSize)
{
    StartSmall();
    for (CQuilDoc* doc : {App().Documents().front(), App().OnFileNew()}) {
        ProcessEvents();
        QMdiSubWindow* sub = SubOf(doc);
        ASSERT_NE(sub, nullptr);
        // Title bar and border are inside the size the formula gives.
        EXPECT_EQ(sub->size(), FrameOf(doc)->InitialFrameSize());
        EXPECT_LT(FrameOf(doc)->height(), sub->height());
        EXPECT_FALSE(sub->isMaximized());
    }
}

TEST_F(WindowTest, NewWindowsOpenMaximizedWhileTheActiveOneIs)
{
    StartSmall();
    CMainFrame* frame = App().GetMainFrame();
    SubOf(App().Documents().front())->showMaximized();
    ProcessEvents();
    const QString path = WriteFile("other.quil", "sin[X[]]");
    const std::vector<std::function<CQuilDoc*()>> makers{
        [this] { return App().OnFileNew(); }, [this, path] { return App().OpenDocumentFile(path); },
        [this] { return App().NewDocumentFromBranch(App().Documents().front()->m_pExpression->GetRoot()); }};
    for (const auto& make : makers) {
        CQuilDoc* doc = make();
        ASSERT_NE(doc, nullptr);
        ProcessEvents();
        QMdiSubWindow* sub = SubOf(doc);
        EXPECT_EQ(Area()->activeSubWindow(), sub);
        EXPECT_TRUE(sub->isMaximized());
        EXPECT_EQ(sub->geometry(), Area()->viewport()->rect());
        EXPECT_EQ(MaximizedCount(), 1);
        EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - %1").arg(doc->GetTitle() + (doc->IsModified() ? "*" : "")));
    }
    // Restored, the next window opens at its own size.
    Area()->activeSubWindow()->showNormal();
    ProcessEvents();
    CQuilDoc* doc = App().OnFileNew();
    ProcessEvents();
    EXPECT_FALSE(SubOf(doc)->isMaximized());
    EXPECT_EQ(SubOf(doc)->size(), FrameOf(doc)->InitialFrameSize());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Quil - %1[*]").arg(doc->GetTitle()));
}

TEST_F(WindowTest, TheMainTitleFollowsSavingAtOnceAndNamesTheDocumentOnce)
{
    StartSmall();
    CMainFrame* frame = App().GetMainFrame();
    for (bool maximized : {false, true}) {
        CQuilDoc* doc = App().OnFileNewRandom();
        ProcessEvents();
        if (maximized)
            SubOf(doc)->showMaximized();
        ProcessEvents();
        EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - %1*").arg(doc->GetTitle()));
        const QString name = maximized ? QStringLiteral("r2.quil") : QStringLiteral("r1.quil");
        m_fileAnswers = {m_dir.filePath(name)};
        ASSERT_TRUE(frame->ExecuteCommand(ID_FILE_SAVE_AS));
        EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - %1").arg(name));
        ProcessEvents();
        EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - %1").arg(name));
        doc->SetModifiedFlag(true);
        ProcessEvents();
        EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - %1*").arg(name));
        doc->SetModifiedFlag(false);
    }
    // Restoring the window keeps the title of the active document.
    Area()->activeSubWindow()->showNormal();
    ProcessEvents();
    EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - r2.quil"));
}

TEST_F(WindowTest, CascadeAndTileLeaveNoWindowHiddenAndKeepTheTitle)
{
    StartSmall();
    for (int i = 0; i < 9; ++i)
        App().OnFileNew();
    CQuilDoc* modified = App().OnFileNewRandom();
    ProcessEvents();
    CMainFrame* frame = App().GetMainFrame();
    SubOf(modified)->showMaximized();
    ProcessEvents();
    const QRect area = Area()->viewport()->rect();
    ASSERT_TRUE(frame->ExecuteCommand(ID_WINDOW_CASCADE));
    ProcessEvents();
    for (QMdiSubWindow* sub : Area()->subWindowList()) {
        EXPECT_FALSE(sub->isMaximized());
        EXPECT_TRUE(area.contains(sub->geometry()));
    }
    // The active window stays the active one, on top, and the title names it.
    EXPECT_EQ(Area()->activeSubWindow(), SubOf(modified));
    EXPECT_EQ(Area()->subWindowList(QMdiArea::StackingOrder).back(), Area()->activeSubWindow());
    EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - %1*").arg(modified->GetTitle()));

    SubOf(modified)->showMaximized();
    ProcessEvents();
    ASSERT_TRUE(frame->ExecuteCommand(ID_WINDOW_TILE_HORZ));
    ProcessEvents();
    EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - %1*").arg(modified->GetTitle()));
    const QList<QMdiSubWindow*> subs = Area()->subWindowList();
    for (int i = 0; i < subs.size(); ++i) {
        EXPECT_TRUE(area.contains(subs[i]->geometry()));
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(subs[i]->geometry().intersects(subs[j]->geometry()));
        // A picture larger than its pane can be scrolled to.
        CQuilView* view = qobject_cast<CChildFrame*>(subs[i]->widget())->PictureView();
        EXPECT_TRUE(view->viewport()->width() >= view->m_nDisplayWidth || view->horizontalScrollBar()->isVisible());
        EXPECT_TRUE(view->viewport()->height() >= view->m_nDisplayHeight || view->verticalScrollBar()->isVisible());
    }
}

TEST_F(WindowTest, TheTreeColumnShowsItsLabelsAndKeepsTheSplitterThePersonSet)
{
    // A picture as wide as the window: the formula alone leaves the tree a sliver.
    m_store.WriteProfileInt("Misc", "Welcome", 0);
    m_store.WriteProfileInt("Display", "DisplayX", 1000);
    m_store.WriteProfileInt("Tree", "ThumbSize", 64);
    Start();
    CQuilDoc* doc = App().OpenDocumentFile(WriteFile("wide.quil", "rgb[RGB[0.1,0.2,0.3],SPIRC[0.1,0.2,0.3],X[]]"));
    ASSERT_NE(doc, nullptr);
    ProcessEvents();
    CChildFrame* frame = FrameOf(doc);
    const int need = frame->TreeView()->LabelColumnWidth();
    ASSERT_GT(need, 64 + 100);
    const QList<int> sizes = frame->Splitter()->sizes();
    EXPECT_GE(sizes[0], std::min(need, (frame->width() - frame->Splitter()->handleWidth()) / 3));
    EXPECT_GT(sizes[0], 55);
    EXPECT_EQ(frame->UserTreeWidth(), -1);

    // The person drags the handle: the column stays there through resizes.
    QSplitterHandle* handle = frame->Splitter()->handle(1);
    const QPoint from = handle->rect().center();
    const QPoint to = from + QPoint(-40, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, handle->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &press);
    QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, handle->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &release);
    const int set = frame->Splitter()->sizes()[0];
    EXPECT_EQ(set, sizes[0] - 40);
    EXPECT_EQ(frame->UserTreeWidth(), set);
    QMdiSubWindow* sub = SubOf(doc);
    sub->showMaximized();
    ProcessEvents();
    EXPECT_EQ(frame->Splitter()->sizes()[0], set);
    sub->showNormal();
    ProcessEvents();
    EXPECT_EQ(frame->Splitter()->sizes()[0], set);
}

TEST_F(WindowTest, DocumentsAtTheDepthLimitOpenAndClose)
{
    // 4095 levels: the deepest tree a file may hold (the innermost number takes
    // a level of its own), in the tree and back out.
    std::string text = "X[]";
    for (int level = 1; level < 4095; ++level)
        text = "sin[" + text + "]";
    m_store.WriteProfileInt("Misc", "Welcome", 0);
    m_store.WriteProfileInt("Tree", "ThumbSize", 0);
    Start();
    CQuilDoc* doc = App().OpenDocumentFile(WriteFile("deep.quil", QByteArray::fromStdString(text)));
    ASSERT_NE(doc, nullptr);
    ProcessEvents();
    CLeftView* tree = FrameOf(doc)->TreeView();
    const QTreeWidgetItem* item = tree->topLevelItem(0);
    int depth = 0;
    for (; item && item->childCount() > 0; item = item->child(0))
        ++depth;
    EXPECT_EQ(depth, 4094);
    // Every level is shown and the column reaches the deepest label.
    EXPECT_EQ(tree->VisibleLabelExtent().height(), 4095 * tree->visualItemRect(tree->topLevelItem(0)).height());
    EXPECT_GE(tree->columnWidth(0), tree->VisibleLabelRect().right());
    App().CloseAllDocuments();
    ProcessEvents();
    EXPECT_TRUE(App().Documents().empty());
}
