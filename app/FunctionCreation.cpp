#include "FunctionCreation.h"

#include "MainFrame.h"

#include "dialogs/SetRandomDlg.h"
#include "render/pictureio/SourcePictureStore.h"

#include <chrono>

namespace {

// The samples' trees open as new documents; "PIC" in them reads the source
// picture, stretched as the thumbnails stretch it.
class MainFrameSampleHost : public RandomSampleHost {
public:
    explicit MainFrameSampleHost(CMainFrame& frame) : m_frame(frame) {}

    void OpenSampleAsNewDocument(const ExprNode* root) override { m_frame.OpenBranchAsNewDocument(root); }

    std::shared_ptr<const Picture> SamplePicture(int side) override
    {
        const std::shared_ptr<const Picture> source = m_frame.Pictures().SourcePicture();
        if (!source || source->IsNull())
            return nullptr;
        auto stretched = std::make_shared<Picture>();
        if (!StretchNearest(source->Bits(), source->Width(), source->Height(), size_t(source->Width()), *stretched,
                            side, side))
            return nullptr;
        return stretched;
    }

private:
    CMainFrame& m_frame;
};

// The samples draw from a source of their own, seeded from the clock: taking
// their values from the program's source would shift the trees that New
// Random and Generate Random make after a mere look at the dialog, and
// Cancel would not leave everything as it was.
uint32_t SampleSeed()
{
    return uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

bool RunFunctionCreationDialog(CMainFrame& frame, QWidget* parent)
{
    GenerationSettings& settings = frame.GenSettings();
    MainFrameSampleHost host(frame);
    CSetRandomDlg dialog(ValuesFromSettings(settings), settings, host, SampleSeed(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    StoreRandomDlgValues(dialog.Result(), settings, frame.Store());
    return true;
}
