// The custom save: the file dialog's size panel and its field rules, the
// extension the chosen type gives, the progress dialog (progress text, Abort,
// Escape and the close box during a job, a failed save) and the whole command,
// whose file equals what quil-cli renders.

#include "AppFixture.h"
#include "CliCompare.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "dialogs/CalcFeedbackDlg.h"
#include "dialogs/CustomFileDialog.h"
#include "render/pictureio/PictureRecipe.h"
#include "dialogs/PreviewBox.h"
#include "engine/QuilExpression.h"
#include "render/ThreadJob.h"
#include "render/pictureio/PictureIO.h"
#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class CustomSaveTest : public AppFixture {
protected:
    CQuilDoc* Doc() { return App().Documents().front(); }
    static QString Filter() { return QString::fromStdString(DialogFilter(ColourPictureTypes())); }
    static QString Entry(const QString& suffix)
    {
        for (const QString& entry : Filter().split(QStringLiteral(";;")))
            if (entry.contains(QStringLiteral("*.") + suffix + QStringLiteral(" ")) ||
                entry.contains(QStringLiteral("*.") + suffix + QStringLiteral(")")))
                return entry;
        return {};
    }
    std::unique_ptr<CCustomFileDialog> OpenChooser(const BitmapSettings& initial, const QString& selected = {})
    {
        auto dialog = std::make_unique<CCustomFileDialog>(nullptr, QStringLiteral("Save Bitmap as.."),
                                                          m_dir.filePath(QStringLiteral("Quil1")), Filter(),
                                                          selected, initial, Picture(30, 20));
        dialog->show();
        return dialog;
    }
    FeedbackRequest Request(const QString& name, unsigned w, unsigned h)
    {
        FeedbackRequest request;
        request.m_strFileName = m_dir.filePath(name);
        request.m_nWidth = w;
        request.m_nHeight = h;
        request.m_pRoot = Doc()->m_pExpression->GetRoot();
        return request;
    }
};

// Runs f on the modal widget of type T once it is there (polling: the
// progress dialog starts its job just after it shows).
template <typename T>
void WhenModal(const std::function<bool(T&)>& f)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()); dialog && f(*dialog))
            timer->deleteLater();
    });
    timer->start(5);
}

}  // namespace

TEST_F(CustomSaveTest, TheSizePanelLinksTheSizesAndThePreviewFollows)
{
    Start();
    auto dialog = OpenChooser(BitmapSettings{300, 200, 0, 0, 1});
    ASSERT_TRUE(dialog->SidePanel()->isVisible());
    EXPECT_EQ(dialog->SidePanel()->window(), dialog.get());  // one dialog, not two windows
    EXPECT_DOUBLE_EQ(dialog->Preview()->Aspect(), 1.5);
    dialog->XPixelEdit()->setText(QStringLiteral("600"));
    EXPECT_EQ(dialog->YPixelEdit()->text(), QStringLiteral("400"));
    dialog->YPixelEdit()->setText(QStringLiteral("100"));
    EXPECT_EQ(dialog->XPixelEdit()->text(), QStringLiteral("150"));
    EXPECT_DOUBLE_EQ(dialog->Preview()->Aspect(), 1.5);

    // Keep aspect off: X 400 while Y is 300 makes the ratio 4/3, and the preview follows.
    dialog->KeepAspectBox()->click();
    dialog->YPixelEdit()->setText(QStringLiteral("300"));
    dialog->XPixelEdit()->setText(QStringLiteral("400"));
    EXPECT_EQ(dialog->YPixelEdit()->text(), QStringLiteral("300"));
    EXPECT_DOUBLE_EQ(dialog->Preview()->Aspect(), 4.0 / 3.0);
    dialog->MarginButtons()->button(2)->click();
    EXPECT_EQ(dialog->Preview()->Mode(), 2);
    // The preview draws the grey box, the black paper and the picture.
    const QImage shot = dialog->Preview()->grab().toImage();
    const PreviewLayout layout = PreviewGeometry(shot.width(), shot.height(), 2, 4.0 / 3.0);
    EXPECT_EQ(shot.pixel(0, 0) & 0xffffffu, 0x7f7f7fu);
    EXPECT_EQ(shot.pixel(layout.paper.left(), layout.paper.top()) & 0xffffffu, 0u);
    EXPECT_FALSE(layout.picture.isEmpty());
}

TEST_F(CustomSaveTest, RefusedSizesKeepTheDialogOpenAndTheChosenTypeGivesTheExtension)
{
    Start();
    auto dialog = OpenChooser(BitmapSettings{300, 200, 0, 0, 1}, Entry(QStringLiteral("bmp")));
    dialog->KeepAspectBox()->click();
    dialog->XPixelEdit()->setText(QStringLiteral("0"));
    dialog->selectFile(QStringLiteral("picture"));
    dialog->accept();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Invalid value for pixel"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->XPixelEdit()->selectedText(), QStringLiteral("0"));
    dialog->XPixelEdit()->setText(QStringLiteral("64"));
    dialog->YPixelEdit()->setText(QStringLiteral("16385"));
    dialog->accept();
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[1].text, QStringLiteral("Please enter an integer between 1 and 16384."));

    // The person picks PNG and types a name without extension: a PNG name.
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_TRUE(types);
    types->setCurrentIndex(types->findText(Entry(QStringLiteral("png"))));
    dialog->YPixelEdit()->setText(QStringLiteral("48"));
    dialog->AntiAliasBox()->click();
    dialog->MarginButtons()->button(4)->click();
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(dialog->selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(dialog->selectedFiles().first()).fileName(), QStringLiteral("picture.png"));
    const BitmapSettings values = dialog->Values();
    EXPECT_EQ(values.m_nXPixel, 64u);
    EXPECT_EQ(values.m_nYPixel, 48u);
    EXPECT_EQ(values.m_bAntiAlias, 1);
    EXPECT_EQ(values.m_nMode, 4);
    EXPECT_EQ(values.m_bKeepAspect, 0);
}

TEST_F(CustomSaveTest, SaveBitmapTooNamesTheFileByTheChosenType)
{
    Start();
    for (const char* suffix : {"png", "bmp", "jpg"}) {
        CSaveFileDialog dialog(nullptr, QStringLiteral("Save Bitmap as.."), m_dir.filePath(QStringLiteral("Quil1")),
                               Filter(), Entry(QStringLiteral("bmp")), QStringLiteral("bmp"));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.show();
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(types);
        types->setCurrentIndex(types->findText(Entry(QString::fromUtf8(suffix))));
        dialog.selectFile(QStringLiteral("logo"));
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), QStringLiteral("logo.") + suffix);
    }
}

TEST_F(CustomSaveTest, ProgressShowsThePerCentAndAbortIsTheDefault)
{
    Start();
    CCalcFeedbackDlg dialog(Request(QStringLiteral("p.png"), 300, 200), nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Calculating ") + m_dir.filePath(QStringLiteral("p.png")));
    EXPECT_EQ(dialog.ProgressLabel()->text(), QStringLiteral("0 % ready"));
    EXPECT_EQ(dialog.ProgressBar()->maximum(), 300);
    EXPECT_TRUE(dialog.AbortButton()->isDefault());
    dialog.OnJobNotice(JobNotice::Progress(90), dialog.JobSerial());
    EXPECT_EQ(dialog.ProgressLabel()->text(), QStringLiteral("30 % ready"));
    EXPECT_EQ(dialog.ProgressBar()->value(), 90);
    dialog.OnJobNotice(JobNotice::Progress(150), dialog.JobSerial() + 1);  // another start's notice
    EXPECT_EQ(dialog.ProgressBar()->value(), 90);
}

TEST_F(CustomSaveTest, AbortEscapeAndTheCloseBoxEndTheJobAsCancelled)
{
    Start();
    for (int way = 0; way < 3; ++way) {
        const QString name = QStringLiteral("big%1.png").arg(way);
        CCalcFeedbackDlg dialog(Request(name, 16384, 16384), nullptr);
        WhenModal<CCalcFeedbackDlg>([way](CCalcFeedbackDlg& d) {
            if (!d.IsCalculating())
                return false;
            if (way == 0)
                QTest::mouseClick(d.AbortButton(), Qt::LeftButton);
            else if (way == 1)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
            EXPECT_FALSE(d.IsCalculating());  // stopped within the wait
            return true;
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected) << way;
        EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(name)));
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(CustomSaveTest, AFailedSaveIsReportedAndTheDialogEnds)
{
    Start();
    CCalcFeedbackDlg dialog(Request(QStringLiteral("picture.nosuchtype"), 20, 10), nullptr);
    EXPECT_EQ(dialog.exec(), CCalcFeedbackDlg::kJobEnded);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text,
              QStringLiteral("Can not save bitmap \"%1\"\n(no encoder for this file extension)")
                  .arg(m_dir.filePath(QStringLiteral("picture.nosuchtype"))));
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("QUIL"));
}

#ifdef QUIL_CLI_PATH
TEST_F(CustomSaveTest, TheSaveCommandWritesWhatQuilCliRendersAndRemembersTheType)
{
    Start();
    App().OnFileNewRandom();
    CQuilDoc* doc = App().Documents().back();
    const QString quil = m_dir.filePath(QStringLiteral("random.quil"));
    ASSERT_TRUE(doc->DoSave(quil, true));
    ASSERT_TRUE(WaitForPicture(doc));
    const QString png = m_dir.filePath(QStringLiteral("saved.png"));
    WhenModal<CCustomFileDialog>([png](CCustomFileDialog& d) {
        EXPECT_EQ(d.XPixelEdit()->text(), QStringLiteral("300"));  // the displayed picture's size
        d.KeepAspectBox()->click();
        d.XPixelEdit()->setText(QStringLiteral("97"));
        d.YPixelEdit()->setText(QStringLiteral("61"));
        d.AntiAliasBox()->click();
        d.MarginButtons()->button(4)->click();
        auto* types = d.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        types->setCurrentIndex(types->findText(Entry(QStringLiteral("png"))));
        d.selectFile(png);
        d.accept();
        return true;
    });
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_SAVE_CUSTOM_BITMAP));
    EXPECT_TRUE(m_boxes.empty());
    const QImage saved(png);
    ASSERT_EQ(saved.size(), QSize(97, 72));  // 4:3 margins below and above

    const QString cli = m_dir.filePath(QStringLiteral("cli.png"));
    ASSERT_TRUE(CliRender(quil, cli, {QStringLiteral("--size"), QStringLiteral("97x61"), QStringLiteral("--antialias"),
                                      QStringLiteral("--margins"), QStringLiteral("4")}));
    EXPECT_EQ(DifferingPixels(saved, QImage(cli)), 0);
    // The file carries the document's expression.
    std::string recipe;
    EXPECT_EQ(ReadPictureRecipe(png.toStdString(), recipe), RecipeResult::Found);
    EXPECT_EQ(recipe, doc->ExpressionText({}));

    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "XPixel", 0), 97);
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "YPixel", 0), 61);
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "AntiAlias", 0), 1);
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "Mode", 0), 4);
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "KeepAspect", -1), 0);
    const QStringList entries = Filter().split(QStringLiteral(";;"));
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "FilterLoad", 0), entries.indexOf(Entry(QStringLiteral("png"))) + 1);
}
#endif

TEST_F(CustomSaveTest, AnAbortedSaveKeepsTheSizesButNotTheType)
{
    Start();
    const QString png = m_dir.filePath(QStringLiteral("never.png"));
    WhenModal<CCustomFileDialog>([png](CCustomFileDialog& d) {
        d.XPixelEdit()->setText(QStringLiteral("16384"));
        d.selectFile(png);
        d.accept();
        return true;
    });
    WhenModal<CCalcFeedbackDlg>([](CCalcFeedbackDlg& d) {
        if (!d.IsCalculating())
            return false;
        QTest::keyClick(&d, Qt::Key_Escape);
        return true;
    });
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_SAVE_CUSTOM_BITMAP));
    EXPECT_FALSE(QFileInfo::exists(png));
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "XPixel", 0), 16384);
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "YPixel", 0), 16384);
    EXPECT_FALSE(m_store.Contains("Bitmap", "FilterLoad"));

    // Cancel is silent and stores nothing.
    m_store.Clear();
    WhenModal<CCustomFileDialog>([](CCustomFileDialog& d) {
        d.reject();
        return true;
    });
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_SAVE_CUSTOM_BITMAP));
    EXPECT_FALSE(m_store.Contains("Bitmap", "XPixel"));
    EXPECT_TRUE(m_boxes.empty());
}
