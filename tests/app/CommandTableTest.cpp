// The command table and the command states of the two menu bars.

#include "AppFixture.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "resources/CommandTable.h"
#include "resources/DocTemplate.h"
#include "resources/ResourceIds.h"

#include <QAction>
#include <QMenu>

#include <set>

namespace {
struct Expected {
    int id;
    const char* text;
    const char* prompt;
    unsigned menus;
};

// A sample of the table as the program's users know it.
const Expected kExpected[] = {
    {57600, "&New\tCtrl+N", "Create a new quil document with the logo image\nNew", MENU_BOTH},
    {32781, "New &Random\tCtrl+R", "Create new quil document with random image\nNew random picture", MENU_BOTH},
    {32771, "&Generate Random\tCtrl+G", "Generate a new random image for the active document\nGenerate random picture",
     MENU_DOCUMENT},
    {57601, "&Open...\tCtrl+O", "Open an existing quil document\nOpen", MENU_BOTH},
    {32814, "Clos&e All", "Close all quil documents\nClose all", MENU_DOCUMENT},
    {32779, "Save &Bitmap...", "Save the displayed bitmap.\nSave as bitmap", MENU_DOCUMENT},
    {57606, "P&rint Setup...", "Change the printer and printing options\nPrint Setup", MENU_BOTH},
    {57665, "E&xit\tCtrl+Q", "Quit the application; prompts to save documents\nExit", MENU_BOTH},
    {57635, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut", MENU_DOCUMENT},
    {32772, "C&ustom Copy...", "Copy to clipboard with different resolution\nDialog to copy to clipboard",
     MENU_DOCUMENT},
    {32773, "&Image display...", "Set the size of the display bitmap.", MENU_BOTH},
    {32821, "L&ock picture", "Do not load picture by QUIL file\nDo not load picture by QUIL file", MENU_BOTH},
    {32776, "&Gray background (system color)", "Set gray background\nGray (system color)", MENU_DOCUMENT},
    {57680, "&Next Pane\tF6", "Switch to the next window pane\nNext Pane", MENU_DOCUMENT},
};

std::set<int> IdsInLayout(const std::vector<MenuEntry>& entries)
{
    std::set<int> ids;
    for (const MenuEntry& e : entries) {
        if (e.submenu) {
            const std::set<int> sub = IdsInLayout(e.children);
            ids.insert(sub.begin(), sub.end());
        } else if (e.id > 0) {
            ids.insert(e.id);
        }
    }
    return ids;
}

std::set<int> MenuBarIds(int menuId)
{
    std::set<int> ids;
    for (const MenuLayout& m : MenuBarLayout(menuId)) {
        const std::set<int> sub = IdsInLayout(m.entries);
        ids.insert(sub.begin(), sub.end());
    }
    return ids;
}
}  // namespace

TEST(CommandTable, TextsPromptsAndMenusAreThoseUsersKnow)
{
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.id);
        const CommandInfo* c = FindCommand(e.id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(MenuText(*c), e.text);
        EXPECT_STREQ(c->prompt, e.prompt);
        EXPECT_EQ(c->menus, e.menus);
    }
    const CommandInfo* newCommand = FindCommand(ID_FILE_NEW);
    EXPECT_EQ(MenuLabel(*newCommand), "&New");
    EXPECT_EQ(MenuAcceleratorText(*newCommand), "Ctrl+N");
    EXPECT_EQ(StatusPrompt(*newCommand), "Create a new quil document with the logo image");
    EXPECT_EQ(TooltipText(*newCommand), "New");
    // A prompt without a tooltip part takes the menu text.
    EXPECT_EQ(TooltipText(*FindCommand(ID_IMAGE_DISPLAY)), "Image display...");
}

TEST(CommandTable, IdsAreUniqueAndEveryMenuEntryIsInTheTable)
{
    std::set<int> ids;
    for (const CommandInfo& c : CommandTable())
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
    for (int menu : {IDR_MAINFRAME, IDR_QUILTYPE})
        for (int id : MenuBarIds(menu))
            EXPECT_TRUE(ids.count(id)) << id;
    for (int id : ToolbarLayout()) {
        if (id) {
            EXPECT_NE(FindCommand(id)->icon, nullptr) << id;
        }
    }
}

TEST(CommandTable, MenuBarsHoldExactlyTheirEntries)
{
    const std::set<int> noDoc = MenuBarIds(IDR_MAINFRAME);
    const std::set<int> doc = MenuBarIds(IDR_QUILTYPE);
    for (const CommandInfo& c : CommandTable()) {
        if (c.id == ID_FILE_MRU_FILE1)
            continue;  // the recent-file placeholder stands in both File menus
        SCOPED_TRACE(c.id);
        EXPECT_EQ(noDoc.count(c.id) == 1, (c.menus & MENU_NO_DOCUMENT) != 0);
        EXPECT_EQ(doc.count(c.id) == 1, (c.menus & MENU_DOCUMENT) != 0);
    }
}

TEST(CommandTable, AcceleratorsAndToolbarGroups)
{
    EXPECT_EQ(AcceleratorsOf(ID_EDIT_COPY), (std::vector<std::string>{"Ctrl+C", "Ctrl+Ins"}));
    EXPECT_EQ(AcceleratorsOf(ID_EDIT_UNDO), (std::vector<std::string>{"Ctrl+Z", "Alt+Backspace"}));
    EXPECT_EQ(AcceleratorsOf(ID_EDIT_PASTE), (std::vector<std::string>{"Ctrl+V", "Shift+Ins"}));
    EXPECT_EQ(AcceleratorsOf(ID_PREV_PANE), (std::vector<std::string>{"Shift+F6"}));
    EXPECT_EQ(AcceleratorsOf(ID_CONTEXT_HELP), (std::vector<std::string>{"Shift+F1"}));
    const std::vector<int> toolbar = {57600, 32781, 32771, 0, 57601, 57604, 57603, 0, 57634, 57643, 0, 57607, 0,
                                      32774, 32775, 32776, 32778, 0, 32780, 32782, 0, 32788, 32819, 32821, 0,
                                      57667, 57669};
    EXPECT_EQ(ToolbarLayout(), toolbar);
    // "Display menu": the five entries in order, then apart the variations and the animation.
    const MenuLayout& display = PopupMenuLayout(IDR_DISPLAY_MENU);
    ASSERT_EQ(display.entries.size(), 8u);
    EXPECT_EQ(display.entries[0].id, ID_EDIT_COPY);
    EXPECT_EQ(display.entries[4].id, ID_IMAGE_DISPLAY);
    EXPECT_STREQ(display.entries[4].text, "&Setting...");
    EXPECT_EQ(display.entries[5].id, 0);
    EXPECT_EQ(display.entries[6].id, ID_EDIT_VARIATIONS);
    EXPECT_EQ(display.entries[7].id, ID_EDIT_ANIMATE);
}

class CommandStateTest : public AppFixture {};

TEST_F(CommandStateTest, ActionsCarryTextShortcutsAndPrompts)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    QAction* random = frame->Action(ID_FILE_NEW_RANDOM);
    ASSERT_NE(random, nullptr);
    EXPECT_EQ(random->text(), QStringLiteral("New &Random"));
    EXPECT_EQ(random->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(random->statusTip(), QStringLiteral("Create new quil document with random image"));
    EXPECT_EQ(random->toolTip(), QStringLiteral("New random picture"));
    EXPECT_EQ(frame->Action(ID_EDIT_COPY)->shortcuts().size(), 2);
}

TEST_F(CommandStateTest, MenuWithoutDocumentAndItsStates)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    frame->OnCloseAll();
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->CurrentMenuId(), IDR_MAINFRAME);
    QStringList titles;
    for (QMenu* m : frame->MenuBarMenus())
        titles << m->title();
    EXPECT_EQ(titles, (QStringList{"&File", "&View", "&Settings", "&Help"}));
    EXPECT_TRUE(frame->CommandState(ID_FILE_NEW).m_bEnabled);
    EXPECT_TRUE(frame->CommandState(ID_FILE_OPEN).m_bEnabled);
    EXPECT_FALSE(frame->CommandState(ID_GENERATE_RANDOM).m_bEnabled);
    EXPECT_FALSE(frame->CommandState(ID_FILE_SAVE).m_bEnabled);
    EXPECT_FALSE(frame->CommandState(ID_FILE_CLOSE_ALL).m_bEnabled);
    EXPECT_FALSE(frame->CommandState(ID_BACKGROUND_BLACK).m_bEnabled);
    EXPECT_FALSE(frame->CommandState(ID_VIEW_BYNAME).m_bEnabled);  // the icon arrangement is always greyed
    EXPECT_FALSE(frame->CommandState(ID_UNLOAD_PICTURE).m_bEnabled);  // no picture loaded
    EXPECT_TRUE(frame->CommandState(ID_WELCOME_DIALOG).m_bEnabled);
}

TEST_F(CommandStateTest, MenuWithDocumentAndItsStates)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->CurrentMenuId(), IDR_QUILTYPE);
    QStringList titles;
    for (QMenu* m : frame->MenuBarMenus())
        titles << m->title();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Settings", "&Window", "&Help"}));
    for (int id : {ID_GENERATE_RANDOM, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_CLOSE, ID_FILE_CLOSE_ALL, ID_SAVE_BITMAP,
                   ID_EDIT_COPY, ID_FILE_PRINT, ID_NEXT_PANE, ID_BACKGROUND_WHITE})
        EXPECT_TRUE(frame->CommandState(id).m_bEnabled) << id;
    for (int id : {ID_EDIT_CUT, ID_VIEW_AUTOARRANGE})
        EXPECT_FALSE(frame->CommandState(id).m_bEnabled) << id;
    // Black is the default background: its entry carries the check mark.
    EXPECT_TRUE(frame->CommandState(ID_BACKGROUND_BLACK).m_bChecked);
    EXPECT_FALSE(frame->CommandState(ID_BACKGROUND_WHITE).m_bChecked);
}

TEST_F(CommandStateTest, LockPictureTogglesAndGreysLoadPicture)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    EXPECT_TRUE(frame->CommandState(ID_LOAD_PICTURE).m_bEnabled);
    EXPECT_FALSE(frame->CommandState(ID_LOCK_PICTURE).m_bChecked);
    EXPECT_TRUE(frame->ExecuteCommand(ID_LOCK_PICTURE));
    EXPECT_TRUE(frame->PictureLocked());
    EXPECT_TRUE(frame->CommandState(ID_LOCK_PICTURE).m_bChecked);
    EXPECT_FALSE(frame->CommandState(ID_LOAD_PICTURE).m_bEnabled);
    // A disabled command does not run.
    EXPECT_FALSE(frame->ExecuteCommand(ID_LOAD_PICTURE));
    EXPECT_TRUE(m_fileDialogs.empty());
    frame->ExecuteCommand(ID_LOCK_PICTURE);
    EXPECT_FALSE(frame->PictureLocked());
}

TEST(DocTemplate, PartsOfTheTemplateString)
{
    EXPECT_EQ(DocTemplateString(DOC_WINDOW_TITLE), QString());
    EXPECT_EQ(DocTemplateString(DOC_NAME), QStringLiteral("Quil"));
    EXPECT_EQ(DocTemplateString(DOC_FILTER_NAME), QStringLiteral("Quil Files (*.quil)"));
    EXPECT_EQ(DocTemplateString(DOC_FILTER_EXT), QStringLiteral(".quil"));
    EXPECT_EQ(DocTemplateString(DOC_FILE_TYPE_ID), QStringLiteral("Quil.Document"));
    EXPECT_EQ(DocTemplateString(DOC_FILE_TYPE_NAME), QStringLiteral("Quil Document"));
}
