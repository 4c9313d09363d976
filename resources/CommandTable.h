#pragma once
// The program's command vocabulary: for every command its id, menu text (with
// mnemonic and accelerator text), status-bar prompt and tooltip, the menus it
// stands in, its toolbar icon; the accelerator table; the toolbar layout and
// the menu layouts. Everything that shows a command takes it from here.

#include <span>
#include <string>
#include <vector>

// Which menu bars an entry belongs to.
enum CommandMenus : unsigned {
    MENU_NONE = 0,                   // context menus or keyboard only
    MENU_NO_DOCUMENT = 1u << 0,      // IDR_MAINFRAME
    MENU_DOCUMENT = 1u << 1,         // IDR_QUILTYPE
    MENU_BOTH = MENU_NO_DOCUMENT | MENU_DOCUMENT,
};

struct CommandInfo {
    int id;
    const char* text;    // menu text with its mnemonic, "&New"; nullptr for commands without a menu item
    const char* prompt;  // "status-bar prompt\ntooltip"; the tooltip part may be missing
    unsigned menus;      // CommandMenus
    const char* icon;    // resource path of the toolbar icon, or nullptr
    bool checkable;
    const char* viewKeys = nullptr;  // a key the view handles itself, shown beside the menu text
};

struct Accelerator {
    const char* keys;  // portable key sequence text, "Ctrl+Insert"
    int id;
};

const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(int id);
const std::vector<Accelerator>& AcceleratorTable();
// The accelerators of one command, in table order.
std::vector<std::string> AcceleratorsOf(int id);

// Menu text without the accelerator part ("&New").
std::string MenuLabel(const CommandInfo& command);
// The key shown beside the menu text: the command's first accelerator
// ("Ctrl+N"), or the key its view handles; empty without one.
std::string MenuAcceleratorText(const CommandInfo& command);
// The whole menu text, "&New\tCtrl+N".
std::string MenuText(const CommandInfo& command);
// The status-bar part and the tooltip part of the prompt. A prompt without a
// tooltip part gives the menu text without '&' and accelerator as tooltip.
std::string StatusPrompt(const CommandInfo& command);
std::string TooltipText(const CommandInfo& command);

// The toolbar, left to right; 0 separates the groups.
const std::vector<int>& ToolbarLayout();

// A menu layout: a popup with a title and entries. An entry is a command id,
// 0 for a separator, or a submenu.
struct MenuEntry {
    int id = 0;                        // command, or 0
    const char* submenu = nullptr;     // title of a submenu (then id is 0)
    std::vector<MenuEntry> children;   // the submenu's entries
    const char* text = nullptr;        // a popup's own text for the command, else the table's
};
struct MenuLayout {
    const char* title;
    std::vector<MenuEntry> entries;
};
// The menu bar for a menu id (IDR_MAINFRAME or IDR_QUILTYPE).
const std::vector<MenuLayout>& MenuBarLayout(int menuId);
// Popup menus of the views ("Display menu", "Tree menu", "LeftContextMenu").
const MenuLayout& PopupMenuLayout(int menuId);
// The menu that also lists the open document windows.
inline constexpr const char* kWindowMenuTitle = "&Window";
// Where the recent-file entries stand in the File menu.
constexpr int ID_RECENT_FILE_PLACEHOLDER = -1;
