#include "QuilApp.h"

#include "ChildFrame.h"
#include "MainFrame.h"

#include "dialogs/AboutDlg.h"
#include "dialogs/ContextHelp.h"
#include "dialogs/QuilWelcome.h"
#include "engine/EngineHost.h"
#include "engine/RandomSource.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/PictureRecipe.h"
#include "resources/AppStrings.h"
#include "resources/DocTemplate.h"
#include "resources/ResourceIds.h"
#include "settings/QtSettingsStore.h"
#include "shell/LastFolders.h"
#include "shell/MessageBox.h"
#include "shell/QuilDoc.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPrinter>

#include <algorithm>

namespace {
CQuilApp* g_pApp = nullptr;
}

CQuilApp::CQuilApp(SettingsStore* store, RandomSource* random)
{
    // The random source is made (and seeded from the clock) here, once.
    if (!random) {
        m_pOwnRandom = std::make_unique<ClockRandomSource>();
        random = m_pOwnRandom.get();
    }
    m_pRandom = random;
    if (!store) {
        m_pOwnStore = std::make_unique<QtSettingsStore>();
        store = m_pOwnStore.get();
    }
    m_pStore = store;
    g_pApp = this;
}

CQuilApp::~CQuilApp()
{
    ExitInstance();
    if (m_pMainFrame)
        SetDefaultEngineHost(nullptr);
    m_pMainFrame.reset();
    if (g_pApp == this)
        g_pApp = nullptr;
}

CQuilApp* CQuilApp::Instance() { return g_pApp; }

bool CQuilApp::InitInstance(const QStringList& arguments)
{
    InstallContextHelp();
    LoadRecentFileList();
    m_pMainFrame = std::make_unique<CMainFrame>(*this);
    if (!m_pMainFrame->LoadFrame())
        return false;
    SetDefaultEngineHost(m_pMainFrame.get());

    // A file that cannot be opened has been reported; the program goes on
    // with the logo document as it does without a file.
    if ((arguments.isEmpty() || !OpenDocumentFile(arguments.front())) && !OnFileNew())
        return false;
    m_pMainFrame->show();
    // Until now the document area had no size of its own to fit the windows into.
    for (QMdiSubWindow* sub : m_pMainFrame->MdiArea()->subWindowList())
        m_pMainFrame->FitChildFrame(sub);
    if (m_pStore->GetProfileInt(kSectionMisc, kValueWelcome, 1) != 0)
        ShowWelcomeDialog();
    return true;
}

void CQuilApp::ExitInstance()
{
    CloseAllDocuments();
    if (m_pWelcome)
        delete m_pWelcome.data();
}

QPrinter& CQuilApp::Printer()
{
    if (!m_pPrinter)
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_pPrinter;
}

// Documents --------------------------------------------------------------------------

QString CQuilApp::NextUntitledTitle() { return DocTemplateString(DOC_NAME) + QString::number(++m_nUntitledCount); }

CQuilDoc* CQuilApp::NewDocument(CQuilDoc::NewKind kind, const ExprNode* branch)
{
    auto doc = std::make_unique<CQuilDoc>(*m_pMainFrame);
    if (!doc->OnNewDocument(kind, branch))
        return nullptr;
    doc->SetTitle(NextUntitledTitle());
    return CreateDocumentWindow(std::move(doc));
}

CQuilDoc* CQuilApp::OnFileNew() { return NewDocument(CQuilDoc::NewKind::Logo, nullptr); }

CQuilDoc* CQuilApp::OnFileNewRandom() { return NewDocument(CQuilDoc::NewKind::Random, nullptr); }

CQuilDoc* CQuilApp::NewDocumentFromBranch(const ExprNode* branch)
{
    return NewDocument(CQuilDoc::NewKind::Branch, branch);
}

void CQuilApp::OnFileOpen()
{
    const QString quilFilter = DocTemplateString(DOC_FILTER_NAME);
    // "Pictures made by Quil (*.jpeg *.jpg *.png)": the types that carry recipes.
    PictureFileType recipeTypes{kRecipePicturesDescription, {}, {}};
    for (const PictureFileType& type : RecipePictureTypes())
        recipeTypes.extensions.insert(recipeTypes.extensions.end(), type.extensions.begin(), type.extensions.end());
    const QString pictureFilter = QString::fromStdString(DialogFilter({recipeTypes}));
    FileDialogRequest request{m_pMainFrame.get(), false, QString::fromUtf8(kOpenDialogTitle), QString(),
                              quilFilter + QStringLiteral(";;") + pictureFilter + QStringLiteral(";;") +
                                  QString::fromUtf8(kAllFilesFilter),
                              quilFilter, QString(), m_pStore, kFolderDocuments};
    const QString path = QuilFileDialog(request);
    if (path.isEmpty())
        return;
    if (request.selectedFilter == pictureFilter || HasRecipeSignature(path.toStdString()))
        OpenPictureRecipe(path);
    else
        OpenDocumentFile(path);
}

CQuilDoc* CQuilApp::OpenPictureRecipe(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::string recipe, reason;
    switch (ReadPictureRecipe(absolute.toStdString(), recipe, &reason)) {
    case RecipeResult::Found:
        break;
    case RecipeResult::NotAPicture:
        return OpenDocumentFile(path);
    case RecipeResult::Unreadable:
        QuilMessageBox(m_pMainFrame.get(), FileFailureText(kMsgFailedToOpen, absolute, reason),
                       QString::fromUtf8(kAppTitle), QMessageBox::Warning);
        return nullptr;
    case RecipeResult::None:
        QuilMessageBox(m_pMainFrame.get(), QString::fromUtf8(kMsgNoRecipe), QString::fromUtf8(kAppTitle),
                       QMessageBox::Warning);
        return nullptr;
    }
    auto doc = std::make_unique<CQuilDoc>(*m_pMainFrame);
    if (!doc->OnOpenRecipe(absolute, recipe))
        return nullptr;
    doc->SetTitle(NextUntitledTitle());
    return CreateDocumentWindow(std::move(doc));
}

CQuilDoc* CQuilApp::NewDocumentFromClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const std::string text = clipboard ? clipboard->text().toStdString() : std::string();
    auto doc = std::make_unique<CQuilDoc>(*m_pMainFrame);
    // Picture names in the text are taken as they would be in a file of the working folder.
    if (!doc->OnOpenRecipe(QDir::current().filePath(QStringLiteral("clipboard.quil")), text))
        return nullptr;
    doc->SetTitle(NextUntitledTitle());
    return CreateDocumentWindow(std::move(doc));
}

CQuilDoc* CQuilApp::OpenDocumentFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (CQuilDoc* doc : m_documents)
        if (doc->GetPathName() == absolute) {
            // Already open: show it.
            for (QMdiSubWindow* sub : m_pMainFrame->MdiArea()->subWindowList())
                if (auto* frame = qobject_cast<CChildFrame*>(sub->widget()); frame && frame->GetDocument() == doc)
                    m_pMainFrame->MdiArea()->setActiveSubWindow(sub);
            return doc;
        }
    auto doc = std::make_unique<CQuilDoc>(*m_pMainFrame);
    if (!doc->OnOpenDocument(absolute)) {
        if (!QFileInfo::exists(absolute))
            RemoveFromRecentFileList(absolute);
        return nullptr;
    }
    doc->SetPathName(absolute);
    AddToRecentFileList(absolute);
    return CreateDocumentWindow(std::move(doc));
}

CQuilDoc* CQuilApp::CreateDocumentWindow(std::unique_ptr<CQuilDoc> doc)
{
    CQuilDoc* raw = doc.get();
    m_documents.push_back(raw);
    connect(raw, &QObject::destroyed, this, [this, raw] { UnregisterDocument(raw); });
    auto* frame = new CChildFrame(std::move(doc), *m_pMainFrame);
    if (!frame->CreateClient()) {
        delete frame;
        return nullptr;
    }
    QMdiSubWindow* sub = m_pMainFrame->AddChildFrame(frame);
    sub->show();
    m_pMainFrame->FitChildFrame(sub);
    frame->InitialUpdateFrame();
    m_pMainFrame->WatchDocument(raw);
    emit DocumentsChanged();
    return raw;
}

bool CQuilApp::SaveAllModified()
{
    for (CQuilDoc* doc : std::vector<CQuilDoc*>(m_documents))
        if (!doc->SaveModified())
            return false;
    return true;
}

void CQuilApp::CloseAllDocuments()
{
    if (!m_pMainFrame || !m_pMainFrame->MdiArea())
        return;
    for (QMdiSubWindow* sub : m_pMainFrame->MdiArea()->subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(sub->widget()))
            frame->CloseWithoutAsking();
        // Closing deletes later; the documents must go now, before anything reads them.
        delete sub;
    }
}

void CQuilApp::UnregisterDocument(CQuilDoc* doc)
{
    std::erase(m_documents, doc);
    emit DocumentsChanged();
}

// Recent files ----------------------------------------------------------------------

void CQuilApp::LoadRecentFileList()
{
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string entry = QString::fromUtf8(kValueRecentFileFormat).arg(i).toStdString();
        const QString path = QString::fromStdString(m_pStore->GetProfileString(kSectionRecentFiles, entry, ""));
        if (!path.isEmpty() && !m_recentFiles.contains(path))
            m_recentFiles.append(path);
    }
}

void CQuilApp::SaveRecentFileList()
{
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string entry = QString::fromUtf8(kValueRecentFileFormat).arg(i).toStdString();
        m_pStore->WriteProfileString(kSectionRecentFiles, entry,
                                     i <= m_recentFiles.size() ? m_recentFiles[i - 1].toStdString() : std::string());
    }
}

void CQuilApp::AddToRecentFileList(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
    SaveRecentFileList();
    emit RecentFilesChanged();
}

void CQuilApp::RemoveFromRecentFileList(const QString& path)
{
    if (m_recentFiles.removeAll(path) == 0)
        return;
    SaveRecentFileList();
    emit RecentFilesChanged();
}

// Dialogs -----------------------------------------------------------------------------

void CQuilApp::ShowWelcomeDialog()
{
    if (!m_pWelcome)
        m_pWelcome = new CQuilWelcome(*m_pStore, m_pMainFrame.get());
    m_pWelcome->ShowCentred();
}

void CQuilApp::OnAppAbout()
{
    CAboutDlg dialog(m_pMainFrame.get());
    dialog.exec();
}

// Commands ----------------------------------------------------------------------------

bool CQuilApp::OnCommand(int id)
{
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const int index = id - ID_FILE_MRU_FILE1;
        if (index < m_recentFiles.size())
            OpenDocumentFile(m_recentFiles[index]);
        return true;
    }
    switch (id) {
    case ID_FILE_NEW:
        OnFileNew();
        return true;
    case ID_FILE_NEW_RANDOM:
        OnFileNewRandom();
        return true;
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_FILE_NEW_FROM_CLIPBOARD:
        NewDocumentFromClipboard();
        return true;
    case ID_FILE_PRINT_SETUP: {
        QPageSetupDialog dialog(&Printer(), m_pMainFrame.get());
        dialog.exec();
        return true;
    }
    case ID_APP_ABOUT:
        OnAppAbout();
        return true;
    default:
        return false;
    }
}

bool CQuilApp::OnUpdateCommand(CCmdUI& ui)
{
    if (ui.m_nID >= ID_FILE_MRU_FILE1 && ui.m_nID < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        ui.Enable(ui.m_nID - ID_FILE_MRU_FILE1 < m_recentFiles.size());
        return true;
    }
    switch (ui.m_nID) {
    case ID_FILE_NEW:
    case ID_FILE_NEW_RANDOM:
    case ID_FILE_OPEN:
    case ID_FILE_NEW_FROM_CLIPBOARD:
    case ID_FILE_PRINT_SETUP:
    case ID_APP_ABOUT:
        ui.Enable();
        return true;
    default:
        return false;
    }
}
