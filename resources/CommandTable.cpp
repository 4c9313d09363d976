#include "CommandTable.h"

#include "ResourceIds.h"

#include <algorithm>

namespace {

const std::vector<CommandInfo> kCommands = {
    // File
    {ID_FILE_NEW, "&New", "Create a new quil document with the logo image\nNew", MENU_BOTH,
     ":/icons/new.svg", false},
    {ID_FILE_NEW_RANDOM, "New &Random", "Create new quil document with random image\nNew random picture",
     MENU_BOTH, ":/icons/new-random.svg", false},
    {ID_GENERATE_RANDOM, "&Generate Random",
     "Generate a new random image for the active document\nGenerate random picture", MENU_DOCUMENT,
     ":/icons/generate-random.svg", false},
    {ID_FILE_OPEN, "&Open...", "Open an existing quil document\nOpen", MENU_BOTH, ":/icons/open.svg", false},
    {ID_FILE_CLOSE, "&Close", "Close the active quil document\nClose", MENU_DOCUMENT, nullptr, false},
    {ID_FILE_CLOSE_ALL, "Clos&e All", "Close all quil documents\nClose all", MENU_DOCUMENT, nullptr, false},
    {ID_FILE_SAVE, "&Save", "Save the active quil document\nSave", MENU_DOCUMENT, ":/icons/save.svg", false},
    {ID_FILE_SAVE_AS, "Save &As...", "Save the active quil document with a new name\nSave As", MENU_DOCUMENT,
     ":/icons/save-as.svg", false},
    {ID_SAVE_BITMAP, "Save &Bitmap...", "Save the displayed bitmap.\nSave as bitmap", MENU_DOCUMENT, nullptr, false},
    {ID_SAVE_CUSTOM_BITMAP, "Save C&ustom Bitmap...",
     "Save the displayed bitmap in other size.\nSave as bitmap in other size", MENU_DOCUMENT, nullptr, false},
    {ID_BATCH_CREATION, "&Batch Creation...", "Create pictures in a batch job\nAutomated creation", MENU_BOTH,
     ":/icons/batch.svg", false},
    {ID_FILE_PRINT, "&Print...", "Print the active view\nPrint", MENU_DOCUMENT, ":/icons/print.svg", false},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Display print preview\nPrint Preview", MENU_DOCUMENT, nullptr, false},
    {ID_FILE_PRINT_SETUP, "P&rint Setup...", "Change the printer and printing options\nPrint Setup", MENU_BOTH,
     nullptr, false},
    {ID_FILE_MRU_FILE1, "Recent File", "Open this document", MENU_BOTH, nullptr, false},
    {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit", MENU_BOTH, nullptr, false},
    {ID_FILE_NEW_FROM_CLIPBOARD, "New from C&lipboard",
     "Create a new quil document from the expression text on the Clipboard\nNew from Clipboard", MENU_BOTH, nullptr,
     false},
    // Edit
    {ID_EDIT_UNDO, "&Undo", "Undo the last action\nUndo", MENU_DOCUMENT, ":/icons/undo.svg", false},
    {ID_EDIT_CUT, "Cu&t", "Cut the selection and put it on the Clipboard\nCut", MENU_DOCUMENT, nullptr, false},
    {ID_EDIT_COPY, "&Copy", "Copy the active view and put it on the Clipboard\nCopy", MENU_DOCUMENT,
     ":/icons/copy.svg", false},
    {ID_EDIT_PASTE, "&Paste", "Insert Clipboard contents\nPaste", MENU_DOCUMENT, nullptr, false},
    {ID_EDIT_VARIATIONS, "&Variations...",
     "Show variations of the active picture to breed new pictures from\nVariations", MENU_DOCUMENT, nullptr,
     false},
    {ID_EDIT_ANIMATE, "&Animate...",
     "Set the active picture in motion and save it as an animation or a video\nAnimate", MENU_DOCUMENT, nullptr,
     false},
    {ID_CUSTOM_COPY, "C&ustom Copy...", "Copy to clipboard with different resolution\nDialog to copy to clipboard",
     MENU_DOCUMENT, nullptr, false},
    {ID_EDIT_REDO, "&Redo", "Take back the last Undo\nRedo", MENU_DOCUMENT, nullptr, false},
    {ID_EDIT_COPY_EXPRESSION, "Copy E&xpression",
     "Put the expression text of the selected branch, or of the whole tree, on the Clipboard\nCopy Expression",
     MENU_DOCUMENT, nullptr, false},
    // View
    {ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar\nToggle Toolbar", MENU_BOTH, nullptr, true},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle Statusbar", MENU_BOTH, nullptr, true},
    {ID_WELCOME_DIALOG, "&Welcome Dialog", "Shows the welcome dialog\nWelcome dialog", MENU_BOTH, nullptr, false},
    {ID_VIEW_BYNAME, "By &Name", "Sorts the icons alphabetically\nBy Name", MENU_BOTH, nullptr, false},
    {ID_VIEW_AUTOARRANGE, "&Auto Arrange", "Arranges icons in a grid\nAuto Arrange", MENU_BOTH, nullptr, false},
    {ID_VIEW_LINEUP, "Lin&e up Icons", "Arranges icons in a grid\nLine up Icons", MENU_BOTH, nullptr, false},
    // Settings
    {ID_IMAGE_DISPLAY, "&Image display...", "Set the size of the display bitmap.", MENU_BOTH, nullptr, false},
    {ID_TREE_DISPLAY, "&Tree display...", "Set the size of the thumbnails.", MENU_BOTH, nullptr, false},
    {ID_FUNCTION_CREATION, "&Function creation...",
     "Set the probabilities for function creation.\nFunction creation settings", MENU_BOTH,
     ":/icons/function-creation.svg", false},
    {ID_LOAD_PICTURE, "&Load picture...", "Load picture for use as function\nLoad picture", MENU_BOTH,
     ":/icons/load-picture.svg", false},
    {ID_UNLOAD_PICTURE, "&Unload picture", "Use a black bitmap as picture\nBlack bitmap as picture", MENU_BOTH,
     ":/icons/unload-picture.svg", false},
    {ID_LOCK_PICTURE, "L&ock picture", "Do not load picture by QUIL file\nDo not load picture by QUIL file",
     MENU_BOTH, ":/icons/lock-picture.svg", true},
    {ID_EMBED_EXPRESSION, "&Store the expression in saved pictures",
     "PNG and JPEG pictures carry their expression, to be opened again\nStore the expression in saved pictures",
     MENU_BOTH, nullptr, true},
    // Window
    {ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows", MENU_DOCUMENT, nullptr,
     false},
    {ID_WINDOW_TILE_HORZ, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows", MENU_DOCUMENT, nullptr,
     false},
    {ID_WINDOW_ARRANGE, "&Arrange Icons", "Arrange icons at the bottom of the window\nArrange Icons", MENU_DOCUMENT,
     nullptr, false},
    {ID_NEXT_PANE, "&Next Pane", "Switch to the next window pane\nNext Pane", MENU_DOCUMENT, nullptr, false},
    {ID_PREV_PANE, nullptr, "Switch back to the previous window pane\nPrevious Pane", MENU_NONE, nullptr, false},
    {ID_WINDOW_SPLIT, "S&plit", "Split the active window into panes\nSplit", MENU_DOCUMENT, nullptr, false},
    {ID_BACKGROUND_BLACK, "&Black background", "Set black background\nBlack", MENU_DOCUMENT,
     ":/icons/background-black.svg", true},
    {ID_BACKGROUND_DARK_GRAY, "&Dark gray background", "Set dark gray background\nDark gray", MENU_DOCUMENT,
     ":/icons/background-dark-gray.svg", true},
    {ID_BACKGROUND_GRAY, "&Gray background (system color)", "Set gray background\nGray (system color)",
     MENU_DOCUMENT, ":/icons/background-gray.svg", true},
    {ID_BACKGROUND_LIGHT_GRAY, nullptr, "Set light grey background\nLight grey", MENU_NONE,
     ":/icons/background-light-gray.svg", true},
    {ID_BACKGROUND_WHITE, "&White background", "Set white background\nWhite", MENU_DOCUMENT,
     ":/icons/background-white.svg", true},
    // Help
    {ID_HELP_FINDER, "&Help Topics", "List help topics\nHelp Topics", MENU_BOTH, ":/icons/help-topics.svg", false},
    {ID_APP_ABOUT, "&About Quil...", "Display program information, version number and copyright\nAbout", MENU_BOTH,
     nullptr, false},
    {ID_HELP, nullptr, "Display help for current task or command\nHelp", MENU_NONE, nullptr, false},
    {ID_CONTEXT_HELP, nullptr, "Display help for clicked on buttons, menus and windows\nHelp", MENU_NONE,
     ":/icons/context-help.svg", false},
    // Tree view popups
    {ID_TREE_AS_NEW_IMAGE, "&As new Image", "Open this branch as a new picture\nAs new Image", MENU_NONE, nullptr,
     false},
    {ID_TREE_INSERT_NODE, "&Insert node", "Insert a node above this one\nInsert node", MENU_NONE, nullptr, false},
    {ID_TREE_EDIT_NODE, "E&dit node", "Edit the label of this node\nEdit node", MENU_NONE, nullptr, false, "F2"},
    {ID_TREE_EXPAND_FULLY, "&Expand fully", "Expand this branch completely\nExpand fully", MENU_NONE, nullptr,
     false},
    {ID_TREE_COLLAPSE_FULLY, "&Collapse fully", "Collapse this branch completely\nCollapse fully", MENU_NONE,
     nullptr, false},
};

const std::vector<Accelerator> kAccelerators = {
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+R", ID_FILE_NEW_RANDOM},
    {"Ctrl+G", ID_GENERATE_RANDOM},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+P", ID_FILE_PRINT},
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+Ins", ID_EDIT_COPY},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Shift+Ins", ID_EDIT_PASTE},
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Ctrl+M", ID_EDIT_VARIATIONS},
    {"Alt+Backspace", ID_EDIT_UNDO},
    {"F1", ID_HELP},
    {"Shift+F1", ID_CONTEXT_HELP},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    {"Ctrl+Y", ID_EDIT_REDO},
    {"Ctrl+Shift+Z", ID_EDIT_REDO},
    {"Ctrl+W", ID_FILE_CLOSE},
    {"Ctrl+Shift+S", ID_FILE_SAVE_AS},
    {"Ctrl+Q", ID_APP_EXIT},
};

const std::vector<int> kToolbar = {
    ID_FILE_NEW, ID_FILE_NEW_RANDOM, ID_GENERATE_RANDOM, 0,
    ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_FILE_SAVE, 0,
    ID_EDIT_COPY, ID_EDIT_UNDO, 0,
    ID_FILE_PRINT, 0,
    ID_BACKGROUND_BLACK, ID_BACKGROUND_DARK_GRAY, ID_BACKGROUND_GRAY, ID_BACKGROUND_WHITE, 0,
    ID_FUNCTION_CREATION, ID_BATCH_CREATION, 0,
    ID_LOAD_PICTURE, ID_UNLOAD_PICTURE, ID_LOCK_PICTURE, 0,
    ID_HELP_FINDER, ID_CONTEXT_HELP,
};

MenuEntry Cmd(int id, const char* text = nullptr) { return MenuEntry{id, nullptr, {}, text}; }
MenuEntry Sep() { return MenuEntry{0, nullptr, {}}; }
MenuEntry Sub(const char* title, std::vector<MenuEntry> children) { return MenuEntry{0, title, std::move(children)}; }
MenuEntry Recent() { return MenuEntry{ID_RECENT_FILE_PLACEHOLDER, nullptr, {}}; }

MenuEntry ArrangeIconsMenu()
{
    return Sub("Arrange &Icons", {Cmd(ID_VIEW_BYNAME), Sep(), Cmd(ID_VIEW_AUTOARRANGE), Sep(), Cmd(ID_VIEW_LINEUP)});
}

MenuLayout SettingsMenu()
{
    return {"&Settings",
            {Cmd(ID_IMAGE_DISPLAY), Cmd(ID_TREE_DISPLAY), Cmd(ID_FUNCTION_CREATION), Sep(), Cmd(ID_LOAD_PICTURE),
             Cmd(ID_UNLOAD_PICTURE), Cmd(ID_LOCK_PICTURE), Sep(), Cmd(ID_EMBED_EXPRESSION)}};
}

MenuLayout HelpMenu() { return {"&Help", {Cmd(ID_HELP_FINDER), Sep(), Cmd(ID_APP_ABOUT)}}; }

const std::vector<MenuLayout> kNoDocumentMenu = {
    {"&File",
     {Cmd(ID_FILE_NEW), Cmd(ID_FILE_NEW_RANDOM), Cmd(ID_FILE_OPEN), Cmd(ID_FILE_NEW_FROM_CLIPBOARD), Sep(),
      Cmd(ID_BATCH_CREATION), Sep(),
      Cmd(ID_FILE_PRINT_SETUP), Sep(), Recent(), Sep(), Cmd(ID_APP_EXIT)}},
    {"&View", {Cmd(ID_VIEW_TOOLBAR), Cmd(ID_VIEW_STATUS_BAR), Cmd(ID_WELCOME_DIALOG), Sep(), ArrangeIconsMenu()}},
    SettingsMenu(),
    HelpMenu(),
};

const std::vector<MenuLayout> kDocumentMenu = {
    {"&File",
     {Cmd(ID_FILE_NEW), Cmd(ID_FILE_NEW_RANDOM), Cmd(ID_GENERATE_RANDOM), Cmd(ID_FILE_OPEN),
      Cmd(ID_FILE_NEW_FROM_CLIPBOARD), Cmd(ID_FILE_CLOSE),
      Cmd(ID_FILE_CLOSE_ALL), Sep(), Cmd(ID_FILE_SAVE), Cmd(ID_FILE_SAVE_AS), Cmd(ID_SAVE_BITMAP),
      Cmd(ID_SAVE_CUSTOM_BITMAP), Sep(), Cmd(ID_BATCH_CREATION), Sep(), Cmd(ID_FILE_PRINT),
      Cmd(ID_FILE_PRINT_PREVIEW), Cmd(ID_FILE_PRINT_SETUP), Sep(), Recent(), Sep(), Cmd(ID_APP_EXIT)}},
    {"&Edit",
     {Cmd(ID_EDIT_UNDO), Cmd(ID_EDIT_REDO), Sep(), Cmd(ID_EDIT_CUT), Cmd(ID_EDIT_COPY), Cmd(ID_EDIT_PASTE), Sep(),
      Cmd(ID_CUSTOM_COPY), Cmd(ID_EDIT_COPY_EXPRESSION), Sep(), Cmd(ID_EDIT_VARIATIONS), Cmd(ID_EDIT_ANIMATE)}},
    {"&View", {Cmd(ID_VIEW_TOOLBAR), Cmd(ID_VIEW_STATUS_BAR), Cmd(ID_WELCOME_DIALOG), Sep(), ArrangeIconsMenu()}},
    SettingsMenu(),
    {kWindowMenuTitle,
     {Cmd(ID_WINDOW_CASCADE), Cmd(ID_WINDOW_TILE_HORZ), Cmd(ID_WINDOW_ARRANGE), Sep(), Cmd(ID_NEXT_PANE),
      Cmd(ID_WINDOW_SPLIT), Sep(),
      Sub("&Background", {Cmd(ID_BACKGROUND_BLACK), Cmd(ID_BACKGROUND_DARK_GRAY), Cmd(ID_BACKGROUND_GRAY),
                          Cmd(ID_BACKGROUND_WHITE)})}},
    HelpMenu(),
};

const MenuLayout kDisplayMenu = {"Display menu",
                                 {Cmd(ID_EDIT_COPY), Cmd(ID_CUSTOM_COPY), Cmd(ID_SAVE_BITMAP),
                                  Cmd(ID_SAVE_CUSTOM_BITMAP), Cmd(ID_IMAGE_DISPLAY, "&Setting..."), Sep(),
                                  Cmd(ID_EDIT_VARIATIONS), Cmd(ID_EDIT_ANIMATE)}};
const MenuLayout kTreeMenu = {"Tree menu",
                              {Cmd(ID_TREE_AS_NEW_IMAGE), Cmd(ID_EDIT_COPY_EXPRESSION), Sep(),
                               Cmd(ID_TREE_INSERT_NODE), Cmd(ID_TREE_EDIT_NODE), Sep(), Cmd(ID_TREE_EXPAND_FULLY), Cmd(ID_TREE_COLLAPSE_FULLY), Sep(),
                               Cmd(ID_TREE_DISPLAY, "&Settings...")}};
const MenuLayout kLeftContextMenu = {"LeftContextMenu", {Cmd(ID_EDIT_COPY), Cmd(ID_TREE_DISPLAY, "&Settings...")}};

std::string StripMnemonic(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

}  // namespace

const std::vector<CommandInfo>& CommandTable() { return kCommands; }

const CommandInfo* FindCommand(int id)
{
    auto it = std::find_if(kCommands.begin(), kCommands.end(), [id](const CommandInfo& c) { return c.id == id; });
    return it == kCommands.end() ? nullptr : &*it;
}

const std::vector<Accelerator>& AcceleratorTable() { return kAccelerators; }

std::vector<std::string> AcceleratorsOf(int id)
{
    std::vector<std::string> keys;
    for (const Accelerator& a : kAccelerators)
        if (a.id == id)
            keys.emplace_back(a.keys);
    return keys;
}

std::string MenuLabel(const CommandInfo& command) { return command.text ? command.text : std::string(); }

std::string MenuAcceleratorText(const CommandInfo& command)
{
    if (!command.text)
        return {};
    const std::vector<std::string> keys = AcceleratorsOf(command.id);
    if (!keys.empty())
        return keys.front();
    return command.viewKeys ? command.viewKeys : std::string();
}

std::string MenuText(const CommandInfo& command)
{
    const std::string keys = MenuAcceleratorText(command);
    return keys.empty() ? MenuLabel(command) : MenuLabel(command) + "\t" + keys;
}

std::string StatusPrompt(const CommandInfo& command)
{
    std::string prompt = command.prompt ? command.prompt : "";
    return prompt.substr(0, prompt.find('\n'));
}

std::string TooltipText(const CommandInfo& command)
{
    std::string prompt = command.prompt ? command.prompt : "";
    size_t nl = prompt.find('\n');
    if (nl != std::string::npos)
        return prompt.substr(nl + 1);
    return StripMnemonic(MenuLabel(command));
}

const std::vector<int>& ToolbarLayout() { return kToolbar; }

const std::vector<MenuLayout>& MenuBarLayout(int menuId)
{
    return menuId == IDR_MAINFRAME ? kNoDocumentMenu : kDocumentMenu;
}

const MenuLayout& PopupMenuLayout(int menuId)
{
    switch (menuId) {
    case IDR_TREE_MENU:
        return kTreeMenu;
    case IDR_LEFT_CONTEXT_MENU:
        return kLeftContextMenu;
    default:
        return kDisplayMenu;
    }
}
