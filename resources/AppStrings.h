#pragma once
// The application's own texts: titles, messages, status-bar texts and the
// document template strings. %1, %2 are filled with QString::arg.

#include "engine/ProgramInfo.h"

// Application title and the document template string.
inline constexpr const char* kAppTitle = kProgramName;
inline constexpr const char* kAppVersion = kProgramVersion;
inline constexpr const char* kDocTemplateString =
    "\nQuil\nQuil\nQuil Files (*.quil)\n.quil\nQuil.Document\nQuil Document";
// The parts of the template string, '\n' apart.
enum DocTemplatePart : int {
    DOC_WINDOW_TITLE = 0,  // empty
    DOC_NAME = 1,          // "Quil": untitled documents are Quil1, Quil2, ...
    DOC_FILE_NEW_NAME = 2,
    DOC_FILTER_NAME = 3,   // "Quil Files (*.quil)"
    DOC_FILTER_EXT = 4,    // ".quil"; a drop compares the part after the dot case-sensitively
    DOC_FILE_TYPE_ID = 5,
    DOC_FILE_TYPE_NAME = 6,
};

// Status bar.
inline constexpr const char* kIdleMessage = "For Help, press F1";
inline constexpr const char* kIndicatorPic = "PIC";
inline constexpr int kMessagePaneWidth = 240;

// Document messages.
inline constexpr const char* kMsgAskToSave = "Save changes to %1?";
// The status bar after "Load picture" while PIC has no share in the generation settings.
inline constexpr const char* kStatusPicWithoutShare =
    "Random pictures will not use this picture until PIC gets a share in Settings > Function creation.";
// How long that hint stays, in milliseconds.
inline constexpr int kStatusHintMs = 20000;
inline constexpr const char* kMsgNotAccepted = "Not accepted";
// The second line of "Not accepted": what a label should look like.
inline constexpr const char* kMsgNotAcceptedHint =
    "Labels are node names such as sin, plus or X; constants are written BW(0.5), RGB(0.1, 0.2, 0.3), "
    "R2C(0.1, 0.2), SPIR(0.3) or SPIRC(0.1, 0.2, 0.3), each number from -1 to 1.";
// The first line of a failed open or save; the second names the file and the reason.
inline constexpr const char* kMsgFailedToOpen = "Failed to open document.";
inline constexpr const char* kMsgFailedToSave = "Failed to save document.";
inline constexpr const char* kMsgFileAndReason = "%1: %2";
inline constexpr const char* kMsgCannotOpenFile = "Cannot open file %1.\n%2";
inline constexpr const char* kOpenDialogTitle = "Open";
inline constexpr const char* kAllFilesFilter = "All Files (*)";
inline constexpr const char* kSaveAsDialogTitle = "Save As";

// Picture view.
inline constexpr const char* kWorkingText = "Working...";
inline constexpr const char* kNoThreadText = "No thread";
inline constexpr const char* kSaveBitmapTitle = "Save Bitmap as..";
inline constexpr const char* kSaveBitmapDefaultSuffix = "bmp";
inline constexpr const char* kMsgClipboardFailed = "The picture could not be put on the clipboard.";

// Welcome dialog and About box.
inline constexpr const char* kWelcomeTitle = "Welcome to Quil";
inline constexpr const char* kWelcomeBanner = "Welcome to QUIL";
inline constexpr const char* kWelcomeLine1 = "A program which generates random pictures";
inline constexpr const char* kWelcomeVersion = "Version %1";  // the version
inline constexpr const char* kWelcomePress = "Press";
inline constexpr const char* kWelcomeToCreate = "to create a new image";
inline constexpr const char* kWelcomeHelpFile = "There is a help file";
inline constexpr const char* kWelcomeContextHelp = "and context help";
inline constexpr const char* kWelcomeDontShow = "Do n&ot show on start-up";
inline constexpr const char* kAboutTitle = "About Quil";
inline constexpr const char* kHelpWindowTitle = "Quil Help";

// Folder chooser.
inline constexpr const char* kMsgFailedGetDirectory = "FAILED_GET_DIRECTORY";

// Settings of the shell.
inline constexpr const char* kSectionMisc = "Misc";
inline constexpr const char* kValueWelcome = "Welcome";
inline constexpr const char* kSectionRecentFiles = "Recent File List";
inline constexpr const char* kValueRecentFileFormat = "File%1";  // File1 .. File9
