#include "QuilDoc.h"

#include "DisplaySettings.h"
#include "ExportSettings.h"
#include "LastFolders.h"
#include "MessageBox.h"
#include "ShellServices.h"

#include "engine/EngineHost.h"
#include "engine/QuilExpression.h"
#include "resources/AppStrings.h"
#include "resources/DocTemplate.h"
#include "resources/ResourceIds.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

QString FileFailureText(const char* firstLine, const QString& path, const std::string& reason)
{
    QString why = QString::fromStdString(reason);
    if (!why.isEmpty() && !why.endsWith(QLatin1Char('.')))
        why += QLatin1Char('.');
    QString text = QString::fromUtf8(firstLine) + QLatin1Char('\n');
    text += why.isEmpty() ? path : QString::fromUtf8(kMsgFileAndReason).arg(path, why);
    return text;
}

CQuilDoc::CQuilDoc(CShellServices& shell) : CDocumentCore(shell.Engine()), m_shell(shell) {}

CQuilDoc::~CQuilDoc() = default;

bool CQuilDoc::OnNewDocument(NewKind kind, const ExprNode* branch)
{
    SetModifiedFlag(false);
    m_bPictureResolution = m_shell.Display().m_bPictureResolution;
    m_bAntiAlias = m_shell.Display().m_bAntiAlias;
    switch (kind) {
    case NewKind::Random:
        return bool(MakeRandom(m_shell.GenSettings(), m_shell.Random()));
    case NewKind::Branch:
        return bool(MakeFromBranch(branch));
    case NewKind::Logo:
        break;
    }
    MakeLogo();
    return true;
}

bool CQuilDoc::OnOpenDocument(const QString& path)
{
    m_shell.Engine().SetPictureLoadPending(false);
    m_bOpenedByDrop = m_shell.DropInProgress() ? 1 : 0;
    return FinishOpen(ReadFile(path.toStdString()), path);
}

bool CQuilDoc::OnOpenRecipe(const QString& picturePath, const std::string& recipe)
{
    m_shell.Engine().SetPictureLoadPending(false);
    m_bOpenedByDrop = 0;
    return FinishOpen(ReadText(recipe, picturePath.toStdString()), picturePath);
}

bool CQuilDoc::FinishOpen(const DocResult& result, const QString& path)
{
    switch (result.failure) {
    case DocFailure::None:
        break;
    case DocFailure::NotAnExpression:
        QuilMessageBox(m_shell.DialogOwner(), QString::fromUtf8(kMsgErrorLoading), QString::fromUtf8(kCaptionQuil),
                       QMessageBox::Warning);
        return false;
    case DocFailure::NoMemory:
        return false;  // "No memory" has been shown
    default:
        QuilMessageBox(m_shell.DialogOwner(), FileFailureText(kMsgFailedToOpen, path, result.reason),
                       QString::fromUtf8(kAppTitle), QMessageBox::Warning);
        return false;
    }
    SetModifiedFlag(false);
    m_shell.LoadPendingSourcePicture();
    m_bPictureResolution = m_shell.Display().m_bPictureResolution;
    return true;
}

std::string CQuilDoc::RecipeText(const QString& picturePath)
{
    if (!EmbedsRecipe(m_shell.Store()))
        return {};
    return m_pExpression->RecipeText(QFile::encodeName(QFileInfo(picturePath).absoluteFilePath()).toStdString());
}

bool CQuilDoc::OnSaveDocument(const QString& path)
{
    const DocResult result = WriteFile(path.toStdString());
    if (result)
        return true;
    // Running out of memory has been reported already.
    if (result.failure != DocFailure::NoMemory)
        QuilMessageBox(m_shell.DialogOwner(), FileFailureText(kMsgFailedToSave, path, result.reason),
                       QString::fromUtf8(kAppTitle), QMessageBox::Warning);
    return false;
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
        FileDialogRequest request{m_shell.DialogOwner(), true, QString::fromUtf8(kSaveAsDialogTitle),
                                  m_strPathName.isEmpty() ? m_strTitle : m_strPathName,
                                  DocTemplateString(DOC_FILTER_NAME), DocTemplateString(DOC_FILTER_NAME),
                                  DocTemplateString(DOC_FILTER_EXT).mid(1), &m_shell.Store(), kFolderDocuments};
        path = QuilFileDialog(request);
        if (path.isEmpty())
            return false;
    }
    if (!OnSaveDocument(path))
        return false;
    if (replacePath) {
        SetPathName(path);
        m_shell.AddToRecentFileList(GetPathName());
    }
    return true;
}

bool CQuilDoc::SaveModified()
{
    if (!IsModified())
        return true;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
    switch (QuilMessageBox(m_shell.DialogOwner(), QString::fromUtf8(kMsgAskToSave).arg(name),
                           QString::fromUtf8(kAppTitle), QMessageBox::Question,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
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
    Regenerate(m_shell.GenSettings(), m_shell.Random());
    UpdateAllViews(nullptr, HINT_FULL_UPDATE);
    NotifyExpressionChanged();
}

bool CQuilDoc::UseExpression(const ExprNode* source)
{
    UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    const bool replaced = bool(ReplaceExpression(source));
    UpdateAllViews(nullptr, HINT_FULL_UPDATE);
    if (replaced)
        NotifyExpressionChanged();
    return replaced;
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
    case ID_EDIT_REDO:
    case ID_EDIT_COPY_EXPRESSION:
        // These are the tree view's; they also work while the picture view is active.
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
    case ID_EDIT_REDO:
    case ID_EDIT_COPY_EXPRESSION:
        if (auto* tree = dynamic_cast<CCmdTarget*>(GetFirstView()))
            return tree->OnUpdateCommand(ui);
        return false;
    default:
        return false;
    }
}

int CQuilDoc::ExpressionFromTree(const LabelList& labels, CQuilExpression* target)
{
    const DocResult result = ExpressionFromLabels(labels, target);
    if (result.failure == DocFailure::NotAccepted)
        ShowNotAccepted();
    return result ? 1 : 0;
}

void CQuilDoc::ShowNotAccepted()
{
    const QString text = QString::fromUtf8(kMsgNotAccepted) + QLatin1Char('\n') + QString::fromUtf8(kMsgNotAcceptedHint);
    QuilMessageBox(nullptr, text, QString::fromUtf8(kCaptionQuil), QMessageBox::Warning);
}

void CQuilDoc::PostRefresh()
{
    for (size_t i = 0; i < m_views.size() && i < 2; ++i) {
        CDocView* view = m_views[i];
        if (auto* object = dynamic_cast<QObject*>(view))
            QMetaObject::invokeMethod(object, [view] { view->OnRefreshView(); }, Qt::QueuedConnection);
    }
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
