// CMainFrame's commands, file drops and the source-picture commands.

#include "BatchCreation.h"
#include "ChildFrame.h"
#include "DisplaySetup.h"
#include "FunctionCreation.h"
#include "MainFrame.h"
#include "PictureExport.h"
#include "QuilApp.h"
#include "TreeSettings.h"
#include "AnimationLauncher.h"
#include "VariationsLauncher.h"

#include "dialogs/HelpWindow.h"
#include "engine/QuilExpression.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/SourcePictureStore.h"
#include "resources/AppStrings.h"
#include "resources/DocTemplate.h"
#include "resources/ResourceIds.h"
#include "shell/ExportSettings.h"
#include "shell/LastFolders.h"
#include "shell/MessageBox.h"
#include "shell/QuilDoc.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPalette>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

namespace {
// A drop looks for the extension's '.' among this many last characters.
constexpr int kDropExtensionWindow = 15;

std::vector<CQuilDoc*> DocumentsUsingPicture(CQuilApp& app, CQuilDoc* skip, bool orOpenedByDrop)
{
    std::vector<CQuilDoc*> docs;
    for (CQuilDoc* doc : app.Documents())
        if (doc != skip && (doc->m_pExpression->m_bUsesPicture || (orOpenedByDrop && doc->m_bOpenedByDrop)))
            docs.push_back(doc);
    return docs;
}

// Recalculates documents after the source picture changed.
void RecalculateAfterPictureChange(const std::vector<CQuilDoc*>& docs, const Picture* source)
{
    for (CQuilDoc* doc : docs) {
        if (doc->m_bPictureResolution && source) {
            doc->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, MakeSizeHint(unsigned(source->Width()),
                                                                          unsigned(source->Height())));
            doc->UpdateAllViews(nullptr, HINT_THUMB_SIZE, 0);
        } else {
            doc->UpdateAllViews(nullptr, HINT_FULL_UPDATE);
        }
        doc->m_bOpenedByDrop = 0;
    }
}
}  // namespace

ColorRef CMainFrame::BackgroundCommandColour(int id)
{
    switch (id) {
    case ID_BACKGROUND_DARK_GRAY:
        return MakeColorRef(64, 64, 64);
    case ID_BACKGROUND_GRAY: {
        const QColor face = QApplication::palette().color(QPalette::Button);
        return MakeColorRef(face.red(), face.green(), face.blue());
    }
    case ID_BACKGROUND_LIGHT_GRAY:
        return MakeColorRef(192, 192, 192);
    case ID_BACKGROUND_WHITE:
        return MakeColorRef(255, 255, 255);
    default:
        return MakeColorRef(0, 0, 0);
    }
}

bool CMainFrame::OnCommand(int id)
{
    switch (id) {
    case ID_FILE_CLOSE_ALL:
        OnCloseAll();
        return true;
    case ID_LOAD_PICTURE:
        OnLoadPicture();
        return true;
    case ID_UNLOAD_PICTURE:
        OnUnloadPicture();
        return true;
    case ID_LOCK_PICTURE:
        SetPictureLocked(!PictureLocked());
        return true;
    case ID_EMBED_EXPRESSION:
        SetEmbedsRecipe(Store(), !EmbedsRecipe(Store()));
        return true;
    case ID_WELCOME_DIALOG:
        m_app.ShowWelcomeDialog();
        return true;
    case ID_TREE_DISPLAY:
        RunTreeAppearanceDialog(*this, this);
        return true;
    case ID_FUNCTION_CREATION:
        RunFunctionCreationDialog(*this, this);
        return true;
    case ID_IMAGE_DISPLAY:
        RunDisplayDialog(*this, this);
        return true;
    case ID_EDIT_VARIATIONS:
        m_pVariations->Open(ActiveDocument());
        return true;
    case ID_EDIT_ANIMATE:
        m_pAnimation->Open(ActiveDocument());
        return true;
    case ID_BATCH_CREATION:
        RunBatchDialog(*this);
        return true;
    case ID_VIEW_TOOLBAR:
        ToolBar()->setVisible(!ToolBar()->isVisible());
        return true;
    case ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case ID_WINDOW_CASCADE:
        ArrangeChildFrames(false);
        return true;
    case ID_WINDOW_TILE_HORZ:
        ArrangeChildFrames(true);
        return true;
    case ID_WINDOW_ARRANGE:
        // Minimised document windows line up along the bottom.
        for (QMdiSubWindow* sub : m_pMdiArea->subWindowList())
            if (sub->isMinimized())
                sub->showMinimized();
        return true;
    case ID_HELP_FINDER:
        CHelpWindow::ShowTopic(this, QString());
        return true;
    case ID_HELP:
        CHelpWindow::ShowTopic(this, CHelpWindow::TopicForWidget(QApplication::focusWidget()));
        return true;
    case ID_CONTEXT_HELP:
        QWhatsThis::enterWhatsThisMode();
        return true;
    case ID_APP_EXIT:
        close();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.m_nID) {
    case ID_FILE_CLOSE_ALL:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_ARRANGE:
        ui.Enable(!m_app.Documents().empty());
        return true;
    case ID_LOAD_PICTURE:
        ui.Enable(!PictureLocked());
        return true;
    case ID_EDIT_VARIATIONS:
    case ID_EDIT_ANIMATE:
        ui.Enable(ActiveDocument() != nullptr);
        return true;
    case ID_UNLOAD_PICTURE:
        ui.Enable(!SourcePicturePath().empty());
        return true;
    case ID_LOCK_PICTURE:
        ui.Enable();
        ui.SetCheck(PictureLocked());
        return true;
    case ID_EMBED_EXPRESSION:
        ui.Enable();
        ui.SetCheck(EmbedsRecipe(Store()));
        return true;
    case ID_VIEW_TOOLBAR:
        ui.Enable();
        ui.SetCheck(ToolBar() && ToolBar()->isVisible());
        return true;
    case ID_VIEW_STATUS_BAR:
        ui.Enable();
        ui.SetCheck(statusBar()->isVisible());
        return true;
    case ID_WELCOME_DIALOG:
    case ID_TREE_DISPLAY:
    case ID_FUNCTION_CREATION:
    case ID_IMAGE_DISPLAY:
    case ID_BATCH_CREATION:
    case ID_HELP_FINDER:
    case ID_HELP:
    case ID_CONTEXT_HELP:
    case ID_APP_EXIT:
        ui.Enable();
        return true;
    default:
        return false;
    }
}

void CMainFrame::RunCustomCopy(CQuilDoc& doc) { RunCustomCopyDialog(*this, doc); }

void CMainFrame::RunCustomSave(CQuilDoc& doc, int displayWidth, int displayHeight, const Picture& preview)
{
    RunCustomSaveDialog(*this, doc, displayWidth, displayHeight, preview);
}

// Source picture -------------------------------------------------------------------

int CMainFrame::LoadPictureAndUpdate(CQuilDoc* skip)
{
    const std::vector<CQuilDoc*> docs = DocumentsUsingPicture(m_app, skip, true);
    for (CQuilDoc* doc : docs)
        doc->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    const int result = m_pPictureStore->LoadSourcePicture();
    if (result == kLoadPictureLocked)
        return result;
    UpdatePictureStatePane();
    RecalculateAfterPictureChange(docs, m_pPictureStore->SourcePicture().get());
    UpdateCommandUI();
    return result;
}

void CMainFrame::OnLoadPicture()
{
    const QString filter = QString::fromStdString(DialogFilter(PictureLoadTypes()));
    const QStringList entries = filter.split(QStringLiteral(";;"));
    FileDialogRequest request{this, false, QString(), QString::fromStdString(SourcePicturePath()), filter,
                              entries.value(m_display.m_nFilterLoad), QString(), &Store(), kFolderSourcePictures};
    const QString path = QuilFileDialog(request);
    if (path.isEmpty())
        return;
    const int index = int(entries.indexOf(request.selectedFilter));
    if (index >= 0)
        m_display.m_nFilterLoad = index;
    SetSourcePicturePath(path.toStdString());
    if (LoadPictureAndUpdate(nullptr) == kLoadPictureFailed) {
        SetSourcePicturePath(std::string());
        return;
    }
    if (!(GenSettings().m_dProb[KIND_PIC] > 0.0))
        statusBar()->showMessage(QString::fromUtf8(kStatusPicWithoutShare), kStatusHintMs);
}

void CMainFrame::OnUnloadPicture()
{
    const std::vector<CQuilDoc*> docs = DocumentsUsingPicture(m_app, nullptr, false);
    for (CQuilDoc* doc : docs)
        doc->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    m_pPictureStore->UnloadPicture();
    UpdatePictureStatePane();
    RecalculateAfterPictureChange(docs, m_pPictureStore->SourcePicture().get());
    UpdateCommandUI();
}

// Drops ------------------------------------------------------------------------------

QString CMainFrame::DropExtension(const QString& path)
{
    const int n = int(path.size());
    for (int i = n - 1; i >= 1 && i >= n - kDropExtensionWindow; --i)
        if (path[i] == QLatin1Char('.'))
            return path.mid(i + 1);
    return QString();
}

void CMainFrame::HandleDroppedFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    if (paths.size() == 1) {
        const QString extension = DropExtension(paths.front());
        if (extension != DocTemplateString(DOC_FILTER_EXT).mid(1)) {
            if (!extension.isEmpty() && IsPictureExtension(extension.toStdString())) {
                SetSourcePicturePath(paths.front().toStdString());
                if (LoadPictureAndUpdate(nullptr) == kLoadPictureFailed)
                    SetSourcePicturePath(std::string());
            }
            return;
        }
    }
    m_bDropInProgress = true;
    m_bPictureLoadPending = false;
    for (const QString& path : paths)
        m_app.OpenDocumentFile(path);
    m_bDropInProgress = false;
    if (m_bPictureLoadPending) {
        if (LoadPictureAndUpdate(nullptr) == kLoadPictureFailed)
            SetSourcePicturePath(std::string());
        m_bPictureLoadPending = false;
    }
    for (CQuilDoc* doc : m_app.Documents())
        if (doc->m_bOpenedByDrop) {
            doc->PostRefresh();
            doc->m_bOpenedByDrop = 0;
        }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    HandleDroppedFiles(paths);
}
