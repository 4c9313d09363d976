#include "BatchCreation.h"

#include "MainFrame.h"

#include "batch/BatchRun.h"
#include "dialogs/BatchDlg.h"
#include "render/pictureio/SourcePictureStore.h"

#include <QDir>

namespace {

class MainFrameBatchSources : public BatchSources {
public:
    explicit MainFrameBatchSources(CMainFrame& frame) : m_frame(frame) {}

    const GenerationSettings& GenSettings() override { return m_frame.GenSettings(); }
    RandomSource& Random() override { return m_frame.Random(); }
    EngineHost& Engine() override { return m_frame.Engine(); }
    std::shared_ptr<const Picture> SourcePicture() override { return m_frame.Pictures().SourcePicture(); }
    // The program-wide picture changes; open documents are not recalculated
    // (they do when they next are), but the status pane follows.
    void LoadSourcePicture() override
    {
        m_frame.Pictures().LoadSourcePicture();
        m_frame.UpdatePictureStatePane();
        m_frame.UpdateCommandUI();
    }

private:
    CMainFrame& m_frame;
};

}  // namespace

void RunBatchDialog(CMainFrame& frame)
{
    MainFrameBatchSources sources(frame);
    CBatchDlg dialog(frame.Store(), sources, QDir::currentPath(), &frame);
    dialog.exec();
}
