// "&Batch Creation..." from the main window: the command is enabled, opens
// the batch dialog over the program's settings store and random source, and
// a run made there writes its files.

#include "AppFixture.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "batch/BatchSettings.h"
#include "dialogs/BatchDlg.h"
#include "resources/ResourceIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

TEST_F(AppFixture, BatchCreationRunsTheBatchDialog)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    EXPECT_TRUE(frame->CommandState(ID_BATCH_CREATION).m_bEnabled);
    m_store.WriteProfileString(kSectionBatch, kBatchValueQuilDir, m_dir.path().toStdString());

    bool opened = false;
    QTimer::singleShot(0, frame, [&] {
        auto* dialog = qobject_cast<CBatchDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        opened = true;
        qobject_cast<QLineEdit*>(dialog->Control(IDC_BATCH_COUNT))->setText("2");
        qobject_cast<QLineEdit*>(dialog->Control(IDC_BATCH_X))->setText("16");
        qobject_cast<QAbstractButton*>(dialog->Control(IDC_BATCH_CREATE))->click();
        for (int i = 0; i < 6000 && dialog->Run().IsRunning(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        qobject_cast<QAbstractButton*>(dialog->Control(IDC_BATCH_OK))->click();
    });
    EXPECT_TRUE(frame->ExecuteCommand(ID_BATCH_CREATION));
    EXPECT_TRUE(opened);
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath("QuilPic000002.bmp")));
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath("QuilPic000002.quil")));
    EXPECT_EQ(m_store.GetProfileInt(kSectionBatch, kBatchValueXPixel, 0), 16);
}
