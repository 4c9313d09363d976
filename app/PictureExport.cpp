#include "PictureExport.h"

#include "MainFrame.h"

#include "dialogs/CalcFeedbackDlg.h"
#include "dialogs/ClipDlg.h"
#include "dialogs/CustomFileDialog.h"
#include "engine/QuilExpression.h"
#include "engine/SettingsStore.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/SourcePictureStore.h"
#include "resources/AppStrings.h"
#include "shell/ExportSettings.h"
#include "shell/LastFolders.h"
#include "shell/QuilDoc.h"
#include "views/QuilView.h"

#include <QStringList>

void RunCustomCopyDialog(CMainFrame& frame, CQuilDoc& doc)
{
    ClipSettings values;
    values.Load(frame.Store());
    CClipDialog dialog(values, doc.m_nCopyMarginMode, doc.m_pExpression->GetRoot(), frame.DialogOwner());
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.Values().Save(frame.Store());
    doc.m_nCopyMarginMode = dialog.MarginMode();
}

void RunCustomSaveDialog(CMainFrame& frame, CQuilDoc& doc, int displayWidth, int displayHeight, const Picture& preview)
{
    SettingsStore& store = frame.Store();
    const QString filter = QString::fromStdString(DialogFilter(ColourPictureTypes()));
    const QStringList entries = filter.split(QStringLiteral(";;"));
    BitmapSettings initial;
    initial.Load(store, unsigned(displayWidth), unsigned(displayHeight));
    CCustomFileDialog chooser(frame.DialogOwner(), QString::fromUtf8(kSaveBitmapTitle),
                              InLastFolder(store, kFolderPictures, InitialBitmapName(doc.GetTitle())), filter,
                              PreselectedFileType(entries, store.GetProfileInt(kSectionBitmap, kValueBitmapFilterLoad, 0)),
                              initial, preview);
    // A plain cancel is silent; Qt's dialog has no other way to fail.
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const BitmapSettings chosen = chooser.Values();
    chosen.Save(store);
    RememberFolder(store, kFolderPictures, chooser.selectedFiles().first());

    FeedbackRequest request;
    request.m_strFileName = chooser.selectedFiles().first();
    request.m_nWidth = chosen.m_nXPixel;
    request.m_nHeight = chosen.m_nYPixel;
    request.m_pRoot = doc.m_pExpression->GetRoot();
    // "PIC" reads the source picture at its own size, as quil-cli render does.
    if (doc.m_pExpression->m_bUsesPicture)
        request.m_pSourcePicture = frame.Pictures().SourcePicture();
    request.m_nMarginMode = chosen.m_nMode;
    request.m_bAntiAlias = chosen.m_bAntiAlias;
    request.m_strRecipe = doc.RecipeText(request.m_strFileName);
    const int typeIndex = int(entries.indexOf(chooser.selectedNameFilter()));
    CCalcFeedbackDlg feedback(std::move(request), frame.DialogOwner());
    if (feedback.exec() != QDialog::Rejected && typeIndex >= 0)
        store.WriteProfileInt(kSectionBitmap, kValueBitmapFilterLoad, typeIndex + 1);
}
