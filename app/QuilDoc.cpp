#include "QuilDoc.h"

#include "MainFrame.h"
#include "MessageBox.h"
#include "QuilApp.h"
#include "QuilEvents.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "resources/AppStrings.h"
#include "resources/DocTemplate.h"
#include "resources/ResourceIds.h"
#include "views/TreeItems.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QWidget>

CQuilDoc::CQuilDoc(CQuilApp& app) : m_app(app)
{
    m_pExpression = std::make_unique<CQuilExpression>(&MainFrame());
    m_pExpression->Reset();
    m_app.RegisterDocument(this);
}

CQuilDoc::~CQuilDoc() { m_app.UnregisterDocument(this); }

CMainFrame& CQuilDoc::MainFrame() const { return *m_app.GetMainFrame(); }

bool CQuilDoc::OnNewDocument()
{
    CMainFrame& frame = MainFrame();
    DeleteContents();
    SetModifiedFlag(false);
    m_bPictureResolution = frame.Display().m_bPictureResolution;
    m_bAntiAlias = frame.Display().m_bAntiAlias;
    m_pExpression->Reset();
    if (m_app.m_bRandomRequested) {
        m_app.m_bRandomRequested = 0;
        m_pExpression->GenerateRandom(frame.GenSettings(), m_app.Random());
        SetModifiedFlag();
        return true;
    }
    if (m_app.m_pBranchRequested) {
        // The branch lives in another document; copy it before anything can change it.
        const ExprNode* branch = m_app.m_pBranchRequested;
        m_app.m_pBranchRequested = nullptr;
        if (!m_pExpression->CopyFrom(branch)) {
            m_pExpression->Reset();
            return false;
        }
        m_pExpression->UpdateUsesPicture();
        SetModifiedFlag();
        return true;
    }
    m_pExpression->SetDefault();
    return true;
}

bool CQuilDoc::OnOpenDocument(const QString& path)
{
    CMainFrame& frame = MainFrame();
    m_pExpression->Reset();
    DeleteContents();
    StringArchive archive;
    if (!LoadFileArchive(path.toStdString(), archive)) {
        QuilMessageBox(&frame, QString::fromUtf8(kMsgFailedToOpen), QString::fromUtf8(kAppTitle),
                       QMessageBox::Warning);
        return false;
    }
    Serialize(archive, false);
    if (m_pExpression->GetRoot()->nKind == -1)
        return false;
    SetModifiedFlag(false);
    if (frame.PictureLoadPending()) {
        frame.SetPictureLoadPending(false);
        if (frame.LoadPictureAndUpdate(nullptr) == -1)
            frame.SetSourcePicturePath(std::string());
    }
    m_bPictureResolution = frame.Display().m_bPictureResolution;
    return true;
}

int CQuilDoc::Serialize(QuilArchive& ar, bool storing)
{
    if (storing) {
        m_pExpression->m_bPicNameWritten = 0;
        return m_pExpression->WriteNode(ar, m_pExpression->GetRoot());
    }
    CMainFrame& frame = MainFrame();
    frame.SetPictureLoadPending(false);
    m_bOpenedByDrop = frame.DropInProgress() ? 1 : 0;
    if (!m_pExpression->ReadExpression(ar, m_pExpression->GetRoot())) {
        QuilMessageBox(&frame, QString::fromUtf8(kMsgErrorLoading), QString::fromUtf8(kCaptionQuil),
                       QMessageBox::Warning);
        m_pExpression->GetRoot()->nKind = -1;
        return 0;
    }
    return 1;
}

bool CQuilDoc::OnSaveDocument(const QString& path)
{
    StringArchive archive(std::string(), path.toStdString());
    bool ok = Serialize(archive, true) != 0;
    if (ok) {
        QSaveFile file(path);
        ok = file.open(QIODevice::WriteOnly);
        if (ok) {
            const std::string& text = archive.Output();
            ok = file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit();
        }
    }
    if (!ok) {
        QuilMessageBox(&MainFrame(), QString::fromUtf8(kMsgFailedToSave), QString::fromUtf8(kAppTitle),
                       QMessageBox::Warning);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CQuilDoc::DoFileSave()
{
    if (m_strPathName.isEmpty())
        return DoSave(QString(), true);
    return DoSave(m_strPathName, true);
}

bool CQuilDoc::DoSave(const QString& givenPath, bool replacePath)
{
    QString path = givenPath;
    if (path.isEmpty()) {
        FileDialogRequest request{&MainFrame(), true, QString::fromUtf8(kSaveAsDialogTitle),
                                  m_strPathName.isEmpty() ? m_strTitle : m_strPathName,
                                  DocTemplateString(DOC_FILTER_NAME), DocTemplateString(DOC_FILTER_NAME),
                                  DocTemplateString(DOC_FILTER_EXT).mid(1)};
        path = QuilFileDialog(request);
        if (path.isEmpty())
            return false;
    }
    if (!OnSaveDocument(path))
        return false;
    if (replacePath) {
        SetPathName(path);
        m_app.AddToRecentFileList(path);
    }
    return true;
}

bool CQuilDoc::SaveModified()
{
    if (!m_bModified)
        return true;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
    switch (QuilMessageBox(&MainFrame(), QString::fromUtf8(kMsgAskToSave).arg(name), QString::fromUtf8(kAppTitle),
                           QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return DoFileSave();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void CQuilDoc::OnGenerateRandom()
{
    UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    std::unique_ptr<CQuilExpression> old = std::move(m_pExpression);
    m_pExpression = std::make_unique<CQuilExpression>(&MainFrame());
    m_pExpression->Reset();
    m_pExpression->GenerateRandom(MainFrame().GenSettings(), m_app.Random());
    // The tree still points into the old expression until the full update
    // rebuilds it, so without an undo history the old one lives until then.
    if (m_undoHandOff)
        m_undoHandOff(std::move(old));
    SetModifiedFlag();
    UpdateAllViews(nullptr, HINT_FULL_UPDATE);
}

bool CQuilDoc::OnCommand(int id)
{
    switch (id) {
    case ID_GENERATE_RANDOM:
        OnGenerateRandom();
        return true;
    case ID_FILE_SAVE:
        DoFileSave();
        return true;
    case ID_FILE_SAVE_AS:
        DoSave(QString(), true);
        return true;
    case ID_EDIT_UNDO:
        // The undo history is the tree view's; Undo also works while the picture view is active.
        if (auto* tree = dynamic_cast<CCmdTarget*>(GetFirstView()))
            return tree->OnCommand(id);
        return false;
    default:
        return false;
    }
}

bool CQuilDoc::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.m_nID) {
    case ID_GENERATE_RANDOM:
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
        ui.Enable();
        return true;
    case ID_EDIT_UNDO:
        if (auto* tree = dynamic_cast<CCmdTarget*>(GetFirstView()))
            return tree->OnUpdateCommand(ui);
        return false;
    default:
        return false;
    }
}

int CQuilDoc::ExpressionFromTree(QTreeWidget* tree, CQuilExpression* target)
{
    CQuilExpression temporary(&MainFrame());
    temporary.Reset();
    if (!BuildExpressionFromTree(tree, temporary)) {
        QuilMessageBox(nullptr, QString::fromUtf8(kMsgNotAccepted), QString::fromUtf8(kCaptionQuil),
                       QMessageBox::Warning);
        return 0;
    }
    if (!target) {
        target = m_pExpression.get();
        SetModifiedFlag();
    }
    if (!target->CopyFrom(temporary.GetRoot()))
        return 0;
    target->m_bUsesPicture = temporary.m_bUsesPicture;
    return 1;
}

void CQuilDoc::PostRefresh()
{
    for (size_t i = 0; i < m_views.size() && i < 2; ++i)
        if (auto* object = dynamic_cast<QObject*>(m_views[i]))
            QCoreApplication::postEvent(object, new QEvent(kRefreshViewEvent));
}

void CQuilDoc::UpdateAllViews(CDocView* sender, int hint, std::uintptr_t arg)
{
    // A view may not remove itself while being told; copy the list.
    const std::vector<CDocView*> views = m_views;
    for (CDocView* view : views)
        if (view != sender)
            view->OnUpdate(sender, hint, arg);
}

void CQuilDoc::AddView(CDocView* view) { m_views.push_back(view); }

void CQuilDoc::RemoveView(CDocView* view) { std::erase(m_views, view); }

void CQuilDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit TitleChanged();
}

void CQuilDoc::SetPathName(const QString& path)
{
    m_strPathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
}

void CQuilDoc::SetModifiedFlag(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    emit ModifiedChanged(modified);
}
