#include "DisplaySetup.h"

#include "ChildFrame.h"
#include "MainFrame.h"
#include "QuilApp.h"

#include "dialogs/SetDisplayDlg.h"
#include "render/pictureio/SourcePictureStore.h"
#include "shell/QuilDoc.h"
#include "views/QuilView.h"

namespace {

class MainFrameDisplayTargets : public DisplayTargets {
public:
    explicit MainFrameDisplayTargets(CMainFrame& frame) : m_frame(frame) {}

    void ApplyToDocuments(bool allDocuments, int antiAlias, int pictureResolution, unsigned width,
                          unsigned height) override
    {
        if (!allDocuments) {
            if (CQuilDoc* doc = m_frame.ActiveDocument())
                Apply(*doc, antiAlias, pictureResolution, width, height);
            return;
        }
        for (CQuilDoc* doc : m_frame.App().Documents())
            Apply(*doc, antiAlias, pictureResolution, width, height);
    }

private:
    static void Apply(CQuilDoc& doc, int antiAlias, int pictureResolution, unsigned width, unsigned height)
    {
        doc.m_bPictureResolution = pictureResolution;
        doc.m_bAntiAlias = antiAlias;
        doc.UpdateAllViews(nullptr, HINT_DISPLAY_SETTINGS);
        doc.UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, MakeSizeHint(width, height));
    }

    CMainFrame& m_frame;
};

std::optional<ActiveDisplay> ActiveDocumentDisplay(CMainFrame& frame)
{
    CChildFrame* child = frame.ActiveChildFrame();
    CQuilDoc* doc = child ? child->GetDocument() : nullptr;
    CQuilView* view = child ? child->PictureView() : nullptr;
    if (!doc || !view)
        return std::nullopt;
    return ActiveDisplay{unsigned(view->m_nDisplayWidth), unsigned(view->m_nDisplayHeight), doc->m_bAntiAlias,
                         doc->m_bPictureResolution};
}

}  // namespace

bool RunDisplayDialog(CMainFrame& frame, QWidget* parent)
{
    std::optional<QSize> pictureSize;
    SourcePictureStore& pictures = frame.Pictures();
    if (!pictures.SourcePicturePath().empty() && pictures.SourcePicture())
        pictureSize = QSize(pictures.SourcePicture()->Width(), pictures.SourcePicture()->Height());
    CSetDisplayDlg dialog(InitialDisplayValues(frame.Display(), ActiveDocumentDisplay(frame)), pictureSize, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const DisplaySettings before = frame.Display();
    MainFrameDisplayTargets targets(frame);
    ApplyDisplaySettings(dialog.Result(), frame.Display(), frame.Store(), targets);
    // The black picture that stands in for no source picture has the display size.
    const DisplaySettings& after = frame.Display();
    if (after.m_nDisplayWidth != before.m_nDisplayWidth || after.m_nDisplayHeight != before.m_nDisplayHeight)
        pictures.SetDisplaySize(after.m_nDisplayWidth, after.m_nDisplayHeight);
    return true;
}
