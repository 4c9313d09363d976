// The variations window in the running application: opened by its command
// for the active document, clicks that restart the jobs, Back, the mate,
// Use in document with Undo, Open as new document, and closing with the
// document.

#include "AppFixture.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "app/VariationsLauncher.h"
#include "dialogs/VariationCell.h"
#include "dialogs/VariationsWnd.h"
#include "engine/QuilExpression.h"
#include "resources/CommandTable.h"
#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QThread>

#include <algorithm>

namespace {
bool HasEntry(const std::vector<MenuEntry>& entries, int id)
{
    return std::any_of(entries.begin(), entries.end(), [id](const MenuEntry& e) { return e.id == id; });
}
}  // namespace

class VariationsWindowTest : public AppFixture {
protected:
    CMainFrame& Frame() { return *App().GetMainFrame(); }
    CVariationsWnd* Open()
    {
        EXPECT_TRUE(Frame().ExecuteCommand(ID_EDIT_VARIATIONS));
        return Frame().Variations().WindowOf(Frame().ActiveDocument());
    }
    // Processes events until no picture of the grid is being computed.
    bool WaitForGrid(CVariationsWnd* window)
    {
        for (int i = 0; i < 4000; ++i) {
            QCoreApplication::processEvents();
            if (window->Model().ComputingCell() < 0)
                return true;
            QThread::msleep(5);
        }
        return false;
    }
    std::string MiddleText(CVariationsWnd* window) { return TextOf(*window->Model().Middle().expression); }
    QString ShownTitle()
    {
        QString title = Frame().windowTitle();
        return title.replace(QStringLiteral("[*]"), Frame().isWindowModified() ? QStringLiteral("*") : QString());
    }
};

TEST_F(VariationsWindowTest, ArrowKeysMoveOverTheGridAndReturnOrSpaceChoose)
{
    Start();
    CVariationsWnd* window = Open();
    ASSERT_TRUE(window);
    ProcessEvents();
    ASSERT_TRUE(WaitForGrid(window));
    CVariationCell* middle = window->CellWidget(kMiddleCell);
    EXPECT_EQ(middle->focusPolicy(), Qt::StrongFocus);
    middle->setFocus();
    QTest::keyClick(middle, Qt::Key_Left);
    EXPECT_TRUE(window->CellWidget(3)->hasFocus());
    QTest::keyClick(window->CellWidget(3), Qt::Key_Up);
    EXPECT_TRUE(window->CellWidget(0)->hasFocus());
    QTest::keyClick(window->CellWidget(0), Qt::Key_Up);
    EXPECT_TRUE(window->CellWidget(0)->hasFocus()) << "the edge holds";
    ASSERT_TRUE(window->Model().Cell(0).expression);
    const std::string first = TextOf(*window->Model().Cell(0).expression);
    QTest::keyClick(window->CellWidget(0), Qt::Key_Return);
    EXPECT_EQ(MiddleText(window), first);
    ASSERT_TRUE(WaitForGrid(window));
    ASSERT_TRUE(window->Model().Cell(0).expression);
    const std::string second = TextOf(*window->Model().Cell(0).expression);
    QTest::keyClick(window->CellWidget(0), Qt::Key_Space);
    EXPECT_EQ(MiddleText(window), second);
    ASSERT_TRUE(WaitForGrid(window));
}

TEST_F(VariationsWindowTest, TheCommandStandsInTheEditAndPictureMenusWithCtrlM)
{
    const CommandInfo* command = FindCommand(ID_EDIT_VARIATIONS);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(MenuText(*command), "&Variations...\tCtrl+M");
    EXPECT_TRUE(HasEntry(PopupMenuLayout(IDR_DISPLAY_MENU).entries, ID_EDIT_VARIATIONS));
    const auto& bar = MenuBarLayout(IDR_QUILTYPE);
    const auto edit = std::find_if(bar.begin(), bar.end(), [](const MenuLayout& m) { return m.title == std::string("&Edit"); });
    ASSERT_NE(edit, bar.end());
    EXPECT_TRUE(HasEntry(edit->entries, ID_EDIT_VARIATIONS));

    Start();
    EXPECT_TRUE(Frame().CommandState(ID_EDIT_VARIATIONS).m_bEnabled);
    Frame().ExecuteCommand(ID_FILE_CLOSE_ALL);
    ProcessEvents();
    EXPECT_FALSE(Frame().CommandState(ID_EDIT_VARIATIONS).m_bEnabled);
}

TEST_F(VariationsWindowTest, OpensForTheActiveDocumentOncePerDocument)
{
    Start();
    App().OnFileNewRandom();
    CQuilDoc* doc = Frame().ActiveDocument();
    CVariationsWnd* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Document(), doc);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Variations of Quil2"));
    EXPECT_EQ(Open(), window);
    EXPECT_EQ(MiddleText(window), TextOf(*doc->m_pExpression));
    ASSERT_TRUE(WaitForGrid(window));
    EXPECT_EQ(window->Model().PicturesReady(), 9);
    EXPECT_EQ(window->StatusText(), QStringLiteral("Click a picture to breed from it."));
}

TEST_F(VariationsWindowTest, AClickWhileComputingRestartsTheJobsAndBackReturns)
{
    Start();
    App().OnFileNewRandom();
    CQuilDoc* doc = Frame().ActiveDocument();
    CVariationsWnd* window = Open();
    const std::string first = MiddleText(window);
    const uint64_t running = window->Model().RunningSerial();
    ASSERT_NE(running, 0u);
    const std::string chosen = TextOf(*window->Model().Cell(1).expression);
    window->ClickCell(1);
    EXPECT_NE(window->Model().RunningSerial(), running);
    EXPECT_EQ(window->Model().ComputingCell(), kMiddleCell);
    EXPECT_EQ(MiddleText(window), chosen);
    ASSERT_TRUE(WaitForGrid(window));
    EXPECT_EQ(window->Model().PicturesReady(), 9);
    // Five generations, then back to the first middle step by step.
    for (int cell : {0, 2, 6, 8})
        window->ClickCell(cell);
    EXPECT_EQ(window->Model().EarlierMiddles().size(), 5u);
    for (int step = 0; step < 5; ++step)
        window->OnBack();
    EXPECT_EQ(MiddleText(window), first);
    EXPECT_TRUE(window->Model().EarlierMiddles().empty());
    EXPECT_EQ(TextOf(*doc->m_pExpression), first) << "browsing leaves the document alone";
    EXPECT_FALSE(doc->UndoHistory().Size() > 0);
    ASSERT_TRUE(WaitForGrid(window));
}

TEST_F(VariationsWindowTest, UseInDocumentThenUndoBringsTheOldPictureBack)
{
    Start();
    CQuilDoc* doc = Frame().ActiveDocument();
    ASSERT_TRUE(WaitForPicture(doc));
    const std::string logo = TextOf(*doc->m_pExpression);
    CVariationsWnd* window = Open();
    window->ClickCell(3);
    const std::string chosen = MiddleText(window);
    window->OnUseInDocument();
    EXPECT_EQ(TextOf(*doc->m_pExpression), chosen);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - Quil1*"));
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Quil1 took the middle picture;")));
    EXPECT_TRUE(WaitForPicture(doc)) << "the picture view was restarted";
    EXPECT_TRUE(Frame().CommandState(ID_EDIT_UNDO).m_bEnabled);
    Frame().ExecuteCommand(ID_EDIT_UNDO);
    EXPECT_EQ(TextOf(*doc->m_pExpression), logo);
    EXPECT_EQ(ShownTitle(), QStringLiteral("Quil - Quil1*"));
    EXPECT_TRUE(WaitForPicture(doc));
    EXPECT_EQ(MiddleText(window), chosen) << "the window keeps breeding from its own middle";
    ASSERT_TRUE(WaitForGrid(window));
}

TEST_F(VariationsWindowTest, OpenAsNewDocumentAndDoubleClickMakeUntitledDocuments)
{
    Start();
    CVariationsWnd* window = Open();
    window->OnOpenAsNewDocument();
    ASSERT_EQ(App().Documents().size(), 2u);
    EXPECT_EQ(TextOf(*App().Documents()[1]->m_pExpression), MiddleText(window));
    EXPECT_TRUE(App().Documents()[1]->IsModified());
    EXPECT_TRUE(App().Documents()[1]->GetPathName().isEmpty());
    // A double click opens the picture its first click made the middle one.
    const std::string clicked = TextOf(*window->Model().Cell(7).expression);
    window->ClickCell(7);
    window->DoubleClickCell(7);
    ASSERT_EQ(App().Documents().size(), 3u);
    EXPECT_EQ(TextOf(*App().Documents()[2]->m_pExpression), clicked);
    EXPECT_EQ(window->Document(), App().Documents()[0]) << "still the window of its own document";
    ASSERT_TRUE(WaitForGrid(window));
}

TEST_F(VariationsWindowTest, MateWithListsTheOtherDocumentsAndOutlivesThem)
{
    Start();
    CQuilDoc* first = Frame().ActiveDocument();
    CVariationsWnd* window = Open();
    emit window->MateMenu()->aboutToShow();
    QStringList entries;
    for (QAction* action : window->MateMenu()->actions())
        if (!action->isSeparator())
            entries << action->text();
    EXPECT_EQ(entries, QStringList({QStringLiteral("&No mate"), QStringLiteral("No other document is open")}));

    CQuilDoc* mate = App().OnFileNewRandom();
    ASSERT_NE(mate, first);
    emit window->MateMenu()->aboutToShow();
    QAction* mateEntry = nullptr;
    for (QAction* action : window->MateMenu()->actions())
        if (action->text() == QStringLiteral("Quil2"))
            mateEntry = action;
    ASSERT_NE(mateEntry, nullptr);
    mateEntry->trigger();
    EXPECT_TRUE(window->Model().HasMate());
    EXPECT_EQ(window->Model().MateName(), "Quil2");

    // The mate's document closes: the window bred from a copy and goes on.
    m_answers = {QMessageBox::No};
    FrameOf(mate)->parentWidget()->close();
    ProcessEvents();
    ASSERT_EQ(App().Documents().size(), 1u);
    window->OnAgain();
    window->ClickCell(0);
    EXPECT_TRUE(window->Model().HasMate());
    ASSERT_TRUE(WaitForGrid(window));
}

TEST_F(VariationsWindowTest, ClosingTheDocumentClosesItsWindow)
{
    Start();
    App().OnFileNewRandom();
    CQuilDoc* doc = Frame().ActiveDocument();
    QPointer<CVariationsWnd> window = Open();
    ASSERT_FALSE(window.isNull());
    window->ClickCell(2);  // jobs running while the document goes
    m_answers = {QMessageBox::No};
    FrameOf(doc)->parentWidget()->close();
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(Frame().Variations().WindowOf(doc), nullptr);
}
