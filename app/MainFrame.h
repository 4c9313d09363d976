#pragma once
// CMainFrame is the main window: a QMainWindow around a QMdiArea of document
// windows, with the menus, toolbar and status bar built from the command
// table. It holds the application-wide state that documents and views read:
// the generation settings, the display and tree settings, the background
// colour for new views, the source picture and the drop flag. It is the
// engine's host (message boxes, source-picture path and flags) and gives
// documents, views and dialogs what they need through the shell services.

#include "engine/EngineHost.h"
#include "engine/GenerationSettings.h"
#include "shell/CmdTarget.h"
#include "shell/DisplaySettings.h"
#include "shell/ShellServices.h"

#include <QColor>
#include <QMainWindow>

#include <memory>

class CChildFrame;
class CCommandBar;
class CQuilApp;
class CQuilDoc;
class CVariationsLauncher;
class CAnimationLauncher;
class Picture;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class SourcePictureStore;

class CMainFrame : public QMainWindow, public EngineHost, public CShellServices, public CCmdTarget {
    Q_OBJECT
public:
    // Sets up the generation settings from the store.
    explicit CMainFrame(CQuilApp& app);
    // Writes "Display"/"BgColor" and "Misc"/"FilterLoad".
    ~CMainFrame() override;
    // Creates toolbar, status bar and menus, reads the display, tree and
    // "Misc" settings and makes the source-picture buffers.
    bool LoadFrame();

    CQuilApp& App() const { return m_app; }

    // Shell services ---------------------------------------------------------------
    SettingsStore& Store() override;
    DisplaySettings& Display() override { return m_display; }
    const DisplaySettings& Display() const { return m_display; }
    GenerationSettings& GenSettings() override { return m_genSettings; }
    RandomSource& Random() override;
    EngineHost& Engine() override { return *this; }
    SourcePictureStore& Pictures() override { return *m_pPictureStore; }
    QWidget* DialogOwner() override { return this; }
    // A context menu from the command table (IDR_DISPLAY_MENU, IDR_TREE_MENU,
    // IDR_LEFT_CONTEXT_MENU), its entries routed like the menu bar's.
    QMenu* CreatePopupMenu(int menuId, QWidget* parent) override;
    QPrinter& Printer() override;
    void ActivateView(CDocView* view) override;
    void OpenBranchAsNewDocument(const ExprNode* branch) override;
    void AddToRecentFileList(const QString& path) override;
    void LoadPendingSourcePicture() override;
    bool DropInProgress() const override { return m_bDropInProgress; }
    void RunCustomCopy(CQuilDoc& doc) override;
    void RunCustomSave(CQuilDoc& doc, int displayWidth, int displayHeight, const Picture& preview) override;

    // Settings ------------------------------------------------------------------
    int ThumbSize() const { return m_display.m_nThumbSize; }
    void SetThumbSize(int size) { m_display.m_nThumbSize = size; }
    bool ExpandTree() const { return m_display.m_bExpandTree != 0; }
    void SetExpandTree(bool expand) { m_display.m_bExpandTree = expand ? 1 : 0; }
    int TreeApply() const { return m_display.m_nTreeApply; }
    void SetTreeApply(int scope) { m_display.m_nTreeApply = scope; }
    int MaxLevel() const { return m_genSettings.m_nMaxLevel; }
    int DisplayWidth() const { return m_display.m_nDisplayWidth; }
    int DisplayHeight() const { return m_display.m_nDisplayHeight; }
    // The colour new picture views take.
    ColorRef BackgroundColour() const { return m_display.m_crBackground; }
    void SetBackgroundColour(ColorRef colour) { m_display.m_crBackground = colour; }
    // The colour of a background command (32774 .. 32778).
    static ColorRef BackgroundCommandColour(int id);

    // Source picture ------------------------------------------------------------
    // Stops the documents that use the picture, loads it and recalculates them.
    int LoadPictureAndUpdate(CQuilDoc* skip);
    void OnLoadPicture();
    void OnUnloadPicture();
    bool PictureLoadPending() const { return m_bPictureLoadPending; }
    void SetPictureLocked(bool locked);

    // EngineHost ----------------------------------------------------------------
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    std::string SourcePicturePath() const override;
    void SetSourcePicturePath(const std::string& path) override;
    bool PictureLocked() const override;
    void SetPictureLoadPending(bool pending) override { m_bPictureLoadPending = pending; }
    void EnsureSourcePicture() override;

    // Document windows ----------------------------------------------------------
    QMdiArea* MdiArea() const { return m_pMdiArea; }
    QMdiSubWindow* AddChildFrame(CChildFrame* frame);
    // Gives a document window its initial outer size, within the document
    // area once that is shown; a maximized window stays as it is.
    void FitChildFrame(QMdiSubWindow* sub);
    // Cascade (tile false) or Tile: each window at least the size it needs
    // where the area allows.
    void ArrangeChildFrames(bool tile);
    CChildFrame* ActiveChildFrame() const;
    CQuilDoc* ActiveDocument() const;
    void OnCloseAll();
    // Follows a new document: its title, modified flag and expression show in
    // the main window's title, the "PIC" pane and the commands' states.
    void WatchDocument(CQuilDoc* doc);

    // The variations windows of the documents (Edit > Variations).
    CVariationsLauncher& Variations() const { return *m_pVariations; }
    CAnimationLauncher& Animation() const { return *m_pAnimation; }

    // Status bar ----------------------------------------------------------------
    // "PIC" while the active document's expression uses the picture, else empty.
    void UpdatePicIndicator();
    void UpdatePictureStatePane();
    QString MessagePaneText() const;
    QString PictureStatePaneText() const;
    QString PicIndicatorText() const;

    // Commands ------------------------------------------------------------------
    // Routes the command along active view, document, child frame, main frame, application.
    bool ExecuteCommand(int id);
    CCmdUI CommandState(int id) const;
    // Refreshes the enabled and checked state of every action.
    void UpdateCommandUI();
    QAction* Action(int id) const;
    // The menu bar in use: IDR_MAINFRAME (no document) or IDR_QUILTYPE.
    int CurrentMenuId() const;
    QList<QMenu*> MenuBarMenus() const;
    QToolBar* ToolBar() const;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    // Drops ---------------------------------------------------------------------
    void HandleDroppedFiles(const QStringList& paths);
    // The extension a drop sees: the text after the last '.' among the last 15
    // characters that is not the first character; empty without one.
    static QString DropExtension(const QString& path);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateStatusBar();
    std::vector<CCmdTarget*> CommandRoute();
    void UpdateWindowTitle();
    void OnActiveWindowChanged();

    CQuilApp& m_app;
    GenerationSettings m_genSettings;
    DisplaySettings m_display;
    std::unique_ptr<SourcePictureStore> m_pPictureStore;
    std::unique_ptr<CVariationsLauncher> m_pVariations;
    std::unique_ptr<CAnimationLauncher> m_pAnimation;
    bool m_bPictureLoadPending = false;
    bool m_bDropInProgress = false;
    bool m_bFrameLoaded = false;
    QString m_strTitle;  // the title as this window sets it

    QMdiArea* m_pMdiArea = nullptr;
    CCommandBar* m_pCommandBar = nullptr;
    QLabel* m_pMessagePane = nullptr;
    QLabel* m_pPictureStatePane = nullptr;
    QLabel* m_pPicIndicator = nullptr;
};
