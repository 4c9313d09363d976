// The batch dialog with its widgets, offscreen: opening, OK and Cancel, the
// control states, the folder choosers, linked sizes, and whole runs with the
// overwrite prompt, abort and margins. The overwrite prompt on its own too.

#include "tests/batch/BatchTestSupport.h"

#include "batch/BatchTexts.h"
#include "dialogs/BatchDlg.h"
#include "dialogs/ElidedLabel.h"
#include "dialogs/OverwriteDlg.h"
#include "shell/FolderChooser.h"
#include "shell/MessageBox.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class BatchDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetMessageBoxHook([this](const MessageBoxRequest& request) {
            m_boxes.push_back(request);
            return QMessageBox::Ok;
        });
        SetFolderDialogHook([this](const FolderDialogRequest& request) {
            m_folders.push_back(request);
            return m_folderAnswer;
        });
        SetOverwritePromptHook([this](const QString& path) {
            m_prompts.push_back(path);
            return m_overwriteAnswer;
        });
    }
    void TearDown() override
    {
        m_dialog.reset();
        SetMessageBoxHook({});
        SetFolderDialogHook({});
        SetOverwritePromptHook({});
    }
    CBatchDlg& Open()
    {
        m_dialog = std::make_unique<CBatchDlg>(m_store, m_sources, m_dir.path());
        m_dialog->show();
        return *m_dialog;
    }
    // Settings for a quick run into the temporary folder.
    void StoreQuickRun(int count, int side)
    {
        m_store.WriteProfileString(kSectionBatch, kBatchValueQuilDir, m_dir.path().toStdString());
        m_store.WriteProfileInt(kSectionBatch, kBatchValueXPixel, side);
        m_store.WriteProfileInt(kSectionBatch, kBatchValueYPixel, side);
        m_count = QString::number(count);
    }
    void Create()
    {
        Edit(IDC_BATCH_COUNT)->setText(m_count);
        Button(IDC_BATCH_CREATE)->click();
    }
    // Processes events until the run has ended; false if it never does.
    bool WaitForIdle()
    {
        for (int i = 0; i < 12000 && m_dialog->Run().IsRunning(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        QCoreApplication::processEvents();
        return !m_dialog->Run().IsRunning();
    }
    template <class T = QWidget>
    T* Get(int id) const
    {
        return qobject_cast<T*>(m_dialog->Control(id));
    }
    QLineEdit* Edit(int id) const { return Get<QLineEdit>(id); }
    QAbstractButton* Button(int id) const { return Get<QAbstractButton>(id); }
    bool Enabled(int id) const { return m_dialog->Control(id)->isEnabled(); }
    std::string File(const char* name) const { return m_dir.filePath(name).toStdString(); }

    QTemporaryDir m_dir;
    MemorySettingsStore m_store;
    TestSources m_sources;
    std::unique_ptr<CBatchDlg> m_dialog;
    QString m_count = QStringLiteral("3");
    std::vector<MessageBoxRequest> m_boxes;
    std::vector<FolderDialogRequest> m_folders;
    QString m_folderAnswer;
    std::vector<QString> m_prompts;
    OverwriteAnswer m_overwriteAnswer = OverwriteAnswer::Cancel;
};

}  // namespace

TEST_F(BatchDialog, OpensWithTheDefaultsAndNoPicture)
{
    CBatchDlg& dialog = Open();
    EXPECT_EQ(dialog.windowTitle(), "Batch creation");
    EXPECT_EQ(Edit(IDC_BATCH_QUIL_DIR)->text(), m_dir.path());
    EXPECT_EQ(Edit(IDC_BATCH_BMP_DIR)->text(), m_dir.path());
    EXPECT_EQ(Edit(IDC_BATCH_PREFIX)->text(), "QuilPic");
    EXPECT_EQ(Edit(IDC_BATCH_X)->text(), "100");
    EXPECT_EQ(Edit(IDC_BATCH_Y)->text(), "100");
    EXPECT_EQ(Edit(IDC_BATCH_COUNT)->text(), "100");
    EXPECT_EQ(Edit(IDC_BATCH_OFFSET)->text(), "0");
    EXPECT_TRUE(Button(IDC_BATCH_KEEP_ASPECT)->isChecked());
    EXPECT_FALSE(Button(IDC_BATCH_ANTIALIAS)->isChecked());
    EXPECT_TRUE(Button(IDC_BATCH_MARGIN_FIRST)->isChecked());
    EXPECT_TRUE(Button(IDC_BATCH_FROM_RANDOM)->isChecked());
    EXPECT_TRUE(Button(IDC_BATCH_PROMPT)->isChecked());
    EXPECT_FALSE(Button(IDC_BATCH_SKIP_PLAIN)->isChecked());
    auto* types = Get<QComboBox>(IDC_BATCH_TYPE);
    EXPECT_EQ(types->currentText(), "*.bmp");
    QStringList items;
    for (int i = 0; i < types->count(); ++i)
        items << types->itemText(i);
    EXPECT_TRUE(items.contains("*.png"));
    EXPECT_TRUE(items.contains("*.jpg"));
    QStringList sorted = items;
    sorted.sort();
    EXPECT_EQ(items, sorted);
    EXPECT_EQ(items.join(""), items.join("").toLower());

    EXPECT_FALSE(Enabled(IDC_BATCH_ABORT));
    EXPECT_FALSE(Enabled(IDC_BATCH_SAME_NAME));
    EXPECT_TRUE(Enabled(IDC_BATCH_OK));
    EXPECT_FALSE(m_dialog->Control(IDC_BATCH_QUIL_FILE_LABEL)->isVisible());
    EXPECT_EQ(Get<QLabel>(IDC_BATCH_READY)->text(), "0 pictures ready");
    // The preview: white, "No picture" in green.
    const QImage& preview = dialog.Preview();
    ASSERT_EQ(preview.size(), QSize(100, 100));
    EXPECT_EQ(preview.pixel(0, 0), qRgb(255, 255, 255));
    int green = 0, other = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const QRgb p = preview.pixel(x, y);
            // The text's edges blend green into white: red and blue fall together, green stays full.
            if (p != qRgb(255, 255, 255))
                (qGreen(p) == 255 && qRed(p) == qBlue(p) ? green : other) += 1;
        }
    EXPECT_GT(green, 20);
    EXPECT_EQ(other, 0);
}

TEST_F(BatchDialog, StoredSizesAreCutAndTypesMatchedWithoutCase)
{
    m_store.WriteProfileInt(kSectionBatch, kBatchValueXPixel, 20000);
    m_store.WriteProfileInt(kSectionBatch, kBatchValueYPixel, -1);
    m_store.WriteProfileString(kSectionBatch, kBatchValueBmpExt, "*.PNG");
    m_store.WriteProfileInt(kSectionBatch, kBatchValueCreateMode, BATCH_FROM_EXISTING);
    m_store.WriteProfileInt(kSectionBatch, kBatchValueSameName, 1);
    Open();
    EXPECT_EQ(Edit(IDC_BATCH_X)->text(), "16384");
    EXPECT_EQ(Edit(IDC_BATCH_Y)->text(), "16384");
    EXPECT_EQ(Get<QComboBox>(IDC_BATCH_TYPE)->currentText(), "*.png");
    EXPECT_TRUE(Button(IDC_BATCH_FROM_EXISTING)->isChecked());
    EXPECT_FALSE(Enabled(IDC_BATCH_COUNT));
    EXPECT_FALSE(Enabled(IDC_BATCH_PREFIX));
    EXPECT_FALSE(Enabled(IDC_BATCH_OFFSET));
    EXPECT_TRUE(Enabled(IDC_BATCH_SAME_NAME));

    // A type no encoder offers here falls back to the default.
    m_store.WriteProfileString(kSectionBatch, kBatchValueBmpExt, "*.nosuch");
    Open();
    EXPECT_EQ(Get<QComboBox>(IDC_BATCH_TYPE)->currentText(), "*.bmp");
}

TEST_F(BatchDialog, CancelWritesNothingAndOkWritesEverything)
{
    Open();
    Edit(IDC_BATCH_PREFIX)->setText("Other");
    m_dialog->reject();
    EXPECT_FALSE(m_store.Contains(kSectionBatch, kBatchValueFilename));

    Open();
    Edit(IDC_BATCH_PREFIX)->setText("Other");
    Button(IDC_BATCH_SKIP_PLAIN)->setChecked(true);
    Edit(IDC_BATCH_X)->setText("40000");
    Button(IDC_BATCH_OK)->click();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_store.GetProfileString(kSectionBatch, kBatchValueFilename, ""), "Other");
    EXPECT_EQ(m_store.GetProfileInt(kSectionBatch, kBatchValueXPixel, 0), 16384);
    EXPECT_EQ(m_store.GetProfileInt(kSectionBatch, kBatchValueSkipPlain, 0), 1);
    for (const char* value : {kBatchValueQuilDir, kBatchValueBmpDir, kBatchValueBmpExt, kBatchValueYPixel,
                              kBatchValueOffset, kBatchValueAntiAlias, kBatchValueMode, kBatchValueQuilCopy,
                              kBatchValueKeepAspect, kBatchValueCreateMode, kBatchValueSameName,
                              kBatchValueNoOverwrite})
        EXPECT_TRUE(m_store.Contains(kSectionBatch, value)) << value;
}

TEST_F(BatchDialog, ABadFieldIsReportedOnceAndTheDialogStaysOpen)
{
    Open();
    Edit(IDC_BATCH_PREFIX)->setText("Changed");
    Edit(IDC_BATCH_X)->setText(QString());
    Button(IDC_BATCH_OK)->click();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Please enter an integer.");
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_FALSE(m_store.Contains(kSectionBatch, kBatchValueFilename));

    // "&Create" is refused the same way, and nothing starts.
    Button(IDC_BATCH_CREATE)->click();
    EXPECT_EQ(m_boxes.size(), 2u);
    EXPECT_FALSE(m_dialog->Run().IsRunning());
    EXPECT_TRUE(Enabled(IDC_BATCH_CREATE));
}

TEST_F(BatchDialog, ModeAndSameNameEnableTheirControls)
{
    Open();
    Button(IDC_BATCH_FROM_EXISTING)->click();
    EXPECT_FALSE(Enabled(IDC_BATCH_COUNT));
    EXPECT_FALSE(Enabled(IDC_BATCH_SKIP_PLAIN));
    EXPECT_TRUE(Enabled(IDC_BATCH_SAME_NAME));
    EXPECT_TRUE(Enabled(IDC_BATCH_PREFIX));
    Button(IDC_BATCH_SAME_NAME)->click();
    EXPECT_FALSE(Enabled(IDC_BATCH_PREFIX));
    EXPECT_FALSE(Enabled(IDC_BATCH_OFFSET));
    Button(IDC_BATCH_FROM_RANDOM)->click();
    EXPECT_TRUE(Enabled(IDC_BATCH_PREFIX));
    EXPECT_TRUE(Enabled(IDC_BATCH_OFFSET));
    EXPECT_TRUE(Enabled(IDC_BATCH_COUNT));
    EXPECT_FALSE(Enabled(IDC_BATCH_SAME_NAME));
    EXPECT_TRUE(Button(IDC_BATCH_SAME_NAME)->isChecked());
}

TEST_F(BatchDialog, FolderChoosersAndSameAsQuilDirectory)
{
    Open();
    m_folderAnswer = "/chosen/quil";
    Button(IDC_BATCH_QUIL_SEARCH)->click();
    ASSERT_EQ(m_folders.size(), 1u);
    EXPECT_EQ(m_folders[0].title, "Directory for quil files");
    EXPECT_EQ(m_folders[0].folder, m_dir.path());
    EXPECT_EQ(Edit(IDC_BATCH_QUIL_DIR)->text(), "/chosen/quil");
    m_folderAnswer.clear();  // cancelled
    Button(IDC_BATCH_BMP_SEARCH)->click();
    ASSERT_EQ(m_folders.size(), 2u);
    EXPECT_EQ(m_folders[1].title, "Directory for bmp files");
    EXPECT_EQ(Edit(IDC_BATCH_BMP_DIR)->text(), m_dir.path());

    Button(IDC_BATCH_SAME_DIR)->click();
    EXPECT_EQ(Edit(IDC_BATCH_BMP_DIR)->text(), "/chosen/quil");
    Edit(IDC_BATCH_QUIL_DIR)->clear();
    Button(IDC_BATCH_SAME_DIR)->click();
    EXPECT_EQ(Edit(IDC_BATCH_BMP_DIR)->text(), "/chosen/quil");
}

TEST_F(BatchDialog, KeepAspectLinksWidthAndHeight)
{
    m_store.WriteProfileInt(kSectionBatch, kBatchValueXPixel, 800);
    m_store.WriteProfileInt(kSectionBatch, kBatchValueYPixel, 600);
    Open();
    Edit(IDC_BATCH_X)->setText("400");
    EXPECT_EQ(Edit(IDC_BATCH_Y)->text(), "300");
    Edit(IDC_BATCH_Y)->setText("300");
    EXPECT_EQ(Edit(IDC_BATCH_X)->text(), "400");
    Edit(IDC_BATCH_Y)->setText("100");
    EXPECT_EQ(Edit(IDC_BATCH_X)->text(), "133");
    Button(IDC_BATCH_KEEP_ASPECT)->click();  // off
    Edit(IDC_BATCH_X)->setText("500");
    EXPECT_EQ(Edit(IDC_BATCH_Y)->text(), "100");
}

TEST_F(BatchDialog, ARunShowsItsProgressAndEndsIdle)
{
    StoreQuickRun(3, 24);
    Open();
    Create();
    EXPECT_FALSE(Enabled(IDC_BATCH_OK));
    EXPECT_FALSE(Enabled(IDC_BATCH_CREATE));
    EXPECT_TRUE(Enabled(IDC_BATCH_ABORT));
    EXPECT_TRUE(Enabled(IDC_BATCH_KEEP_ASPECT));
    m_dialog->reject();  // cannot be closed while it runs
    EXPECT_TRUE(m_dialog->isVisible());
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(m_boxes.empty());
    for (const char* name : {"QuilPic000001.bmp", "QuilPic000003.bmp", "QuilPic000003.quil"})
        EXPECT_TRUE(Exists(File(name))) << name;
    EXPECT_FALSE(Exists(File("QuilPic000004.bmp")));
    EXPECT_EQ(Get<QLabel>(IDC_BATCH_READY)->text(), "3 pictures of 3 ready (100%)");
    EXPECT_TRUE(Get<QLabel>(IDC_BATCH_TIME)->text().startsWith("done in "));
    EXPECT_TRUE(Enabled(IDC_BATCH_OK));
    EXPECT_FALSE(Enabled(IDC_BATCH_ABORT));
    EXPECT_EQ(Get<QProgressBar>(IDC_BATCH_JOB_PROGRESS)->value(), 0);
    EXPECT_EQ(Get<CElidedLabel>(IDC_BATCH_BITMAP_NAME)->text(), QString());
    EXPECT_EQ(m_dialog->Preview().size(), QSize(100, 100));
    // The settings are stored by OK only, not by the run.
    EXPECT_FALSE(m_store.Contains(kSectionBatch, kBatchValueFilename));
}

TEST_F(BatchDialog, TheLastRunsTextsStayUntilTheFirstNewPictureAndTheJobBarFollowsTheFiles)
{
    StoreQuickRun(3, 24);
    Open();
    Create();
    ASSERT_TRUE(WaitForIdle());
    const QString ready = Get<QLabel>(IDC_BATCH_READY)->text();
    const QString time = Get<QLabel>(IDC_BATCH_TIME)->text();
    ASSERT_EQ(ready, "3 pictures of 3 ready (100%)");
    // Run again over the same names: each picture's prompt comes after it is
    // done and before its files are written.
    std::vector<int> jobBar, pictureBar;
    QStringList readyTexts;
    SetOverwritePromptHook([&](const QString& path) {
        if (path.endsWith(".bmp")) {
            jobBar.push_back(Get<QProgressBar>(IDC_BATCH_JOB_PROGRESS)->value());
            pictureBar.push_back(Get<QProgressBar>(IDC_BATCH_PICTURE_PROGRESS)->value());
            readyTexts << Get<QLabel>(IDC_BATCH_READY)->text();
        }
        return OverwriteAnswer::Yes;
    });
    Create();
    EXPECT_EQ(Get<QLabel>(IDC_BATCH_READY)->text(), ready);
    EXPECT_EQ(Get<QLabel>(IDC_BATCH_TIME)->text(), time);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(jobBar, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(pictureBar, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(readyTexts.value(0), "1 pictures of 3 ready (33%)");
}

TEST_F(BatchDialog, YesToAllUnchecksThePromptAndOkStoresIt)
{
    StoreQuickRun(2, 16);
    WriteText(File("QuilPic000001.bmp"), "old");
    WriteText(File("QuilPic000002.quil"), "old");
    m_overwriteAnswer = OverwriteAnswer::YesToAll;
    Open();
    Create();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(m_prompts, std::vector<QString>{QString::fromStdString(File("QuilPic000001.bmp"))});
    EXPECT_FALSE(Button(IDC_BATCH_PROMPT)->isChecked());
    EXPECT_NE(ReadText(File("QuilPic000002.quil")), "old");
    Button(IDC_BATCH_OK)->click();
    EXPECT_EQ(m_store.GetProfileInt(kSectionBatch, kBatchValueNoOverwrite, 1), 0);
}

TEST_F(BatchDialog, AbortReturnsTheControlsAndSavesNothing)
{
    StoreQuickRun(2, 4000);
    m_store.WriteProfileInt(kSectionBatch, kBatchValueAntiAlias, 1);
    Open();
    Create();
    ASSERT_TRUE(m_dialog->Run().IsRunning());
    Button(IDC_BATCH_ABORT)->click();
    EXPECT_FALSE(m_dialog->Run().IsRunning());
    EXPECT_EQ(m_dialog->Run().PictureNumber(), 0u);
    EXPECT_TRUE(Enabled(IDC_BATCH_CREATE));
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_FALSE(Exists(File("QuilPic000001.bmp")));
    EXPECT_FALSE(Exists(File("QuilPic000001.quil")));

    // A later run starts at picture 1 again, here with margins.
    Edit(IDC_BATCH_X)->setText("30");
    Edit(IDC_BATCH_Y)->setText("30");
    Button(IDC_BATCH_MARGIN_FIRST + 3)->click();
    m_count = "1";
    Create();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(Exists(File("QuilPic000001.bmp")));
    EXPECT_EQ(QImage(QString::fromStdString(File("QuilPic000001.bmp"))).size(), QSize(45, 30));
    EXPECT_EQ(m_dialog->Preview().size(), QSize(150, 100));
}

TEST_F(BatchDialog, StartRefusesTooLargeSizesAndNoPictures)
{
    Open();
    Edit(IDC_BATCH_X)->setText("16385");
    Button(IDC_BATCH_CREATE)->click();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Maximum resolution for x and y is 16384");
    EXPECT_EQ(m_boxes[0].caption, "Quil");
    EXPECT_FALSE(m_dialog->Run().IsRunning());
    EXPECT_TRUE(Enabled(IDC_BATCH_CREATE));

    Edit(IDC_BATCH_X)->setText("10");
    Edit(IDC_BATCH_COUNT)->setText("0");
    Button(IDC_BATCH_CREATE)->click();
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[1].text, kMsgNoPictureCount);

    Button(IDC_BATCH_FROM_EXISTING)->click();  // the temporary folder has no .quil file
    Button(IDC_BATCH_CREATE)->click();
    ASSERT_EQ(m_boxes.size(), 3u);
    EXPECT_EQ(m_boxes[2].text, "No Quil files in directory");
    EXPECT_EQ(Edit(IDC_BATCH_COUNT)->text(), "0");
}

TEST(OverwritePrompt, FourAnswersAndEnterOrEscapeCancel)
{
    const QString path = QStringLiteral("/some/folder/QuilPic000001.bmp");
    struct Case {
        std::function<void(COverwriteDlg&)> act;
        OverwriteAnswer answer;
    };
    const std::vector<Case> cases = {
        {[](COverwriteDlg& d) { d.Button(IDYES_OVERWRITE)->click(); }, OverwriteAnswer::Yes},
        {[](COverwriteDlg& d) { d.Button(IDYESTOALL_OVERWRITE)->click(); }, OverwriteAnswer::YesToAll},
        {[](COverwriteDlg& d) { d.Button(IDNO_OVERWRITE)->click(); }, OverwriteAnswer::No},
        {[](COverwriteDlg& d) { d.Button(IDCANCEL_OVERWRITE)->click(); }, OverwriteAnswer::Cancel},
        {[](COverwriteDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }, OverwriteAnswer::Cancel},
        {[](COverwriteDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, OverwriteAnswer::Cancel},
    };
    for (const Case& c : cases) {
        COverwriteDlg dialog(path);
        EXPECT_EQ(dialog.windowTitle(), "QUIL");
        EXPECT_EQ(dialog.findChild<CElidedLabel*>()->text(), path);
        QTimer::singleShot(0, &dialog, [&dialog, &c] { c.act(dialog); });
        EXPECT_EQ(COverwriteDlg::AnswerOf(dialog.exec()), c.answer);
    }
}
