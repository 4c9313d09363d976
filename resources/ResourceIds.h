#pragma once
// Command, menu, dialog and control ids of the program. They are the numbers
// that the command table, the menus, the toolbar and the settings refer to.

// Menus and their accelerator and toolbar sets.
constexpr int IDR_MAINFRAME = 127;  // menu while no document is open
constexpr int IDR_QUILTYPE = 129;   // menu while a document is open
constexpr int IDR_TREE_MENU = 135;
constexpr int IDR_DISPLAY_MENU = 139;
constexpr int IDR_LEFT_CONTEXT_MENU = 156;
constexpr int IDD_WELCOME = 157;
constexpr int IDB_RANDOM_DIE = 158;
constexpr int IDB_HELP_MARK = 159;
constexpr int IDB_CONTEXT_HELP = 160;

// Status bar panes.
constexpr int ID_INDICATOR_PICTURE_STATE = 128;
constexpr int ID_INDICATOR_PIC = 131;

// Welcome dialog controls.
constexpr int IDC_WELCOME_BANNER = 2076;
constexpr int IDC_WELCOME_DONT_SHOW = 2074;

// The standard commands: files, editing, windows, help.
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;
constexpr int ID_FILE_MRU_FILE1 = 57616;  // the recent files use 57616 .. 57624
constexpr int kRecentFileCount = 9;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_WINDOW_ARRANGE = 57649;
constexpr int ID_WINDOW_CASCADE = 57650;
constexpr int ID_WINDOW_TILE_HORZ = 57651;
constexpr int ID_WINDOW_SPLIT = 57653;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HELP_FINDER = 57667;
constexpr int ID_CONTEXT_HELP = 57669;
constexpr int ID_HELP = 57670;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_STATUS_BAR = 59393;
constexpr int ID_VIEW_AUTOARRANGE = 59397;
constexpr int ID_VIEW_LINEUP = 59412;
constexpr int ID_VIEW_BYNAME = 59413;

// Commands of the program.
constexpr int ID_GENERATE_RANDOM = 32771;
constexpr int ID_CUSTOM_COPY = 32772;
constexpr int ID_IMAGE_DISPLAY = 32773;
constexpr int ID_BACKGROUND_BLACK = 32774;
constexpr int ID_BACKGROUND_DARK_GRAY = 32775;
constexpr int ID_BACKGROUND_GRAY = 32776;
constexpr int ID_BACKGROUND_LIGHT_GRAY = 32777;
constexpr int ID_BACKGROUND_WHITE = 32778;
constexpr int ID_SAVE_BITMAP = 32779;
constexpr int ID_FUNCTION_CREATION = 32780;
constexpr int ID_FILE_NEW_RANDOM = 32781;
constexpr int ID_BATCH_CREATION = 32782;
constexpr int ID_TREE_INSERT_NODE = 32783;
constexpr int ID_TREE_AS_NEW_IMAGE = 32784;
constexpr int ID_TREE_DISPLAY = 32785;
constexpr int ID_TREE_EXPAND_FULLY = 32786;
constexpr int ID_TREE_COLLAPSE_FULLY = 32787;
constexpr int ID_LOAD_PICTURE = 32788;
constexpr int ID_SAVE_CUSTOM_BITMAP = 32804;
constexpr int ID_WELCOME_DIALOG = 32805;
constexpr int ID_FILE_CLOSE_ALL = 32814;
constexpr int ID_UNLOAD_PICTURE = 32819;
constexpr int ID_TREE_EDIT_NODE = 32820;
constexpr int ID_LOCK_PICTURE = 32821;
constexpr int ID_EDIT_VARIATIONS = 32860;
constexpr int ID_EMBED_EXPRESSION = 32880;
constexpr int ID_EDIT_COPY_EXPRESSION = 32870;
constexpr int ID_FILE_NEW_FROM_CLIPBOARD = 32871;
constexpr int ID_EDIT_ANIMATE = 32872;
