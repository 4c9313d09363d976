#pragma once
// What documents, views and dialogs need of the program around them, and all
// they may reach of it: the settings and the random source, the engine's host
// and the source picture, the window that owns message boxes, the popup menus
// of the command table, the printer, and the few requests that concern other
// documents. The main window implements it; views and dialogs never reach
// for the main window itself.

#include <QString>

class CDocView;
class CQuilDoc;
class Picture;
struct DisplaySettings;
class EngineHost;
class QMenu;
class QPrinter;
class QWidget;
class RandomSource;
class SettingsStore;
class SourcePictureStore;
struct ExprNode;
struct GenerationSettings;

class CShellServices {
public:
    virtual ~CShellServices() = default;

    // Settings and shared state -------------------------------------------------
    virtual SettingsStore& Store() = 0;
    virtual DisplaySettings& Display() = 0;
    virtual GenerationSettings& GenSettings() = 0;
    // The program's one random source, seeded at start-up (user-interface thread only).
    virtual RandomSource& Random() = 0;
    // Message boxes of the engine and the source picture's path and flags.
    virtual EngineHost& Engine() = 0;
    // The source picture and its copies at the display and thumbnail sizes.
    virtual SourcePictureStore& Pictures() = 0;

    // Windows ---------------------------------------------------------------------
    // The window that owns message boxes and dialogs.
    virtual QWidget* DialogOwner() = 0;
    // A context menu of the command table (IDR_DISPLAY_MENU, IDR_TREE_MENU,
    // IDR_LEFT_CONTEXT_MENU), its entries routed like the menu bar's.
    virtual QMenu* CreatePopupMenu(int menuId, QWidget* parent) = 0;
    virtual QPrinter& Printer() = 0;
    // Makes the view the one that commands reach first (a view's context
    // menu routes its commands through the active view).
    virtual void ActivateView(CDocView* view) = 0;

    // Requests of documents and views ---------------------------------------------
    // "As new Image": a new document with a copy of the branch.
    virtual void OpenBranchAsNewDocument(const ExprNode* branch) = 0;
    virtual void AddToRecentFileList(const QString& path) = 0;
    // After a document was read: when the file named a source picture to load,
    // loads it and recalculates the documents that use it.
    virtual void LoadPendingSourcePicture() = 0;
    // True while dropped files are being opened.
    virtual bool DropInProgress() const = 0;
    // "Custom Copy...": the document's picture at another size to the clipboard.
    virtual void RunCustomCopy(CQuilDoc& doc) = 0;
    // "Save Custom Bitmap...": the document's picture at another size to a
    // file. The displayed picture's size is the first size offered; preview
    // is a small copy of it for the dialog's preview box.
    virtual void RunCustomSave(CQuilDoc& doc, int displayWidth, int displayHeight, const Picture& preview) = 0;
};
