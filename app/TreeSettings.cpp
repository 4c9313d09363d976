#include "TreeSettings.h"

#include "MainFrame.h"
#include "QuilApp.h"

#include "dialogs/TreeDlg.h"
#include "shell/QuilDoc.h"
#include "views/LeftView.h"

namespace {

CLeftView* TreeViewOf(CQuilDoc* doc) { return doc ? dynamic_cast<CLeftView*>(doc->GetFirstView()) : nullptr; }

class MainFrameTreeTargets : public TreeAppearanceTargets {
public:
    explicit MainFrameTreeTargets(CMainFrame& frame) : m_frame(frame) {}

    void SetActiveViewThumbSize(int size) override
    {
        if (CLeftView* view = TreeViewOf(m_frame.ActiveDocument()))
            view->SetThumbSize(size);
    }

    void UpdateThumbSize(int size, bool allDocuments) override
    {
        if (!allDocuments) {
            if (CQuilDoc* doc = m_frame.ActiveDocument())
                doc->UpdateAllViews(nullptr, HINT_THUMB_SIZE, std::uintptr_t(size));
            return;
        }
        // The hint cannot carry a size of 0 (it means "unchanged"), so "all
        // views" hands every tree its size first, as the active one got it.
        for (CQuilDoc* doc : m_frame.App().Documents()) {
            if (CLeftView* view = TreeViewOf(doc))
                view->SetThumbSize(size);
            doc->UpdateAllViews(nullptr, HINT_THUMB_SIZE, std::uintptr_t(size));
        }
    }

private:
    CMainFrame& m_frame;
};

}  // namespace

bool RunTreeAppearanceDialog(CMainFrame& frame, QWidget* parent)
{
    CLeftView* active = TreeViewOf(frame.ActiveDocument());
    CTreeDlg dialog(InitialTreeAppearance(frame.Display(), active ? active->ThumbSize() : -1), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    MainFrameTreeTargets targets(frame);
    ApplyTreeAppearance(dialog.Result(), frame.Display(), frame.App().Store(), targets);
    return true;
}
