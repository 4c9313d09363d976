#pragma once
// CQuilApp is the application object: it starts the program in its fixed
// order, owns the settings store and the random source, keeps the documents
// and the recent-file list, and handles the commands that need no window
// (New, New Random, Open, the recent files, Print Setup, About).

#include "dialogs/QuilWelcome.h"
#include "shell/CmdTarget.h"
#include "shell/QuilDoc.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CChildFrame;
class CMainFrame;
class CQuilDoc;
class QPrinter;
class RandomSource;
class SettingsStore;
struct ExprNode;

class CQuilApp : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    // Construction seeds the random source (the only seeding of the program).
    // A null store or source gives the program's own (QSettings, the clock).
    explicit CQuilApp(SettingsStore* store = nullptr, RandomSource* random = nullptr);
    ~CQuilApp() override;
    static CQuilApp* Instance();

    // Start-up after construction: settings, recent files, main frame, drops,
    // the command line (none: the logo document; a path: open it), showing
    // the main window and the welcome dialog. False ends the program.
    bool InitInstance(const QStringList& arguments);
    // Closes everything as Exit does, without asking; for the end of main and tests.
    void ExitInstance();

    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    SettingsStore& Store() const { return *m_pStore; }
    RandomSource& Random() const { return *m_pRandom; }
    QPrinter& Printer();

    // Documents -----------------------------------------------------------------
    // File New: a new document with the logo expression.
    CQuilDoc* OnFileNew();
    // New Random: a new document with a random expression.
    CQuilDoc* OnFileNewRandom();
    // "As new Image": a new document with a copy of the branch.
    CQuilDoc* NewDocumentFromBranch(const ExprNode* branch);
    void OnFileOpen();
    // Opens a file as a document (or activates it when it is open already).
    CQuilDoc* OpenDocumentFile(const QString& path);
    // Opens the expression a picture made by Quil carries as a new untitled
    // document; a picture without one is reported and opens nothing. A file
    // no decoder recognises is opened as a ".quil" file.
    CQuilDoc* OpenPictureRecipe(const QString& path);
    // "New from Clipboard": the ".quil" text on the clipboard as a new
    // untitled document; text the reader refuses is reported and opens nothing.
    CQuilDoc* NewDocumentFromClipboard();
    const std::vector<CQuilDoc*>& Documents() const { return m_documents; }
    // The next untitled name: Quil1, Quil2, ...
    QString NextUntitledTitle();
    // Offers every modified document for saving; false when the user cancels.
    bool SaveAllModified();
    // Closes every document without asking (Close All, Exit after saving).
    void CloseAllDocuments();

    // Recent files (section "Recent File List", 9 entries) ----------------------
    void AddToRecentFileList(const QString& path);
    void RemoveFromRecentFileList(const QString& path);
    const QStringList& RecentFiles() const { return m_recentFiles; }

    // Welcome dialog (created on first use, modeless).
    void ShowWelcomeDialog();
    CQuilWelcome* WelcomeDialog() const { return m_pWelcome.data(); }
    void OnAppAbout();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

signals:
    void DocumentsChanged();
    void RecentFilesChanged();

private:
    // A new untitled document of the kind given, in its window.
    CQuilDoc* NewDocument(CQuilDoc::NewKind kind, const ExprNode* branch);
    CQuilDoc* CreateDocumentWindow(std::unique_ptr<CQuilDoc> doc);
    void UnregisterDocument(CQuilDoc* doc);
    void LoadRecentFileList();
    void SaveRecentFileList();

    std::unique_ptr<SettingsStore> m_pOwnStore;
    std::unique_ptr<RandomSource> m_pOwnRandom;
    SettingsStore* m_pStore;
    RandomSource* m_pRandom;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<QPrinter> m_pPrinter;
    QPointer<CQuilWelcome> m_pWelcome;
    std::vector<CQuilDoc*> m_documents;
    QStringList m_recentFiles;
    int m_nUntitledCount = 0;
};
