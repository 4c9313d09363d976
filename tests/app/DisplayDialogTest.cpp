// The display settings dialog from the menu: how it opens, its range check,
// "X,Y of Picture", and what each scope does to the views, including the
// anti-aliasing and the picture's size taking effect.

#include "AppFixture.h"
#include "CliCompare.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "dialogs/SetDisplayDlg.h"
#include "engine/QuilExpression.h"
#include "render/pictureio/PictureIO.h"
#include "resources/ResourceIds.h"
#include "shell/DisplaySettings.h"
#include "shell/QuilDoc.h"
#include "views/QuilView.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

class DisplayDialogTest : public AppFixture {
protected:
    CMainFrame& Frame() { return *App().GetMainFrame(); }
    CQuilDoc* Active() { return Frame().ActiveDocument(); }
    QSize ViewSize(CQuilDoc* doc)
    {
        CQuilView* view = PictureViewOf(doc);
        return view ? QSize(view->m_nDisplayWidth, view->m_nDisplayHeight) : QSize();
    }
    // Runs the command with the dialog answered by answer.
    void RunDialog(const std::function<void(CSetDisplayDlg&)>& answer)
    {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<CSetDisplayDlg*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            answer(*dialog);
        });
        ASSERT_TRUE(Frame().ExecuteCommand(ID_IMAGE_DISPLAY));
    }
    void Choose(CSetDisplayDlg& d, const char* x, const char* y, int scope, bool antiAlias)
    {
        d.KeepAspectBox()->setChecked(false);
        d.XEdit()->setText(QString::fromUtf8(x));
        d.YEdit()->setText(QString::fromUtf8(y));
        d.ApplyGroup()->button(scope)->setChecked(true);
        d.AntiAliasBox()->setChecked(antiAlias);
        d.accept();
    }
    // Loads a w x h picture as the source picture, as "Load picture..." does.
    void LoadPicture(int w, int h)
    {
        Picture p(w, h);
        p.Fill(0x00336699u);
        const QString path = m_dir.filePath(QStringLiteral("source.png"));
        ASSERT_EQ(SavePicture(p, path.toStdString()), kSaveOk);
        Frame().SetSourcePicturePath(path.toStdString());
        ASSERT_EQ(Frame().LoadPictureAndUpdate(nullptr), 0);
    }
};

}  // namespace

TEST_F(DisplayDialogTest, OpensOnTheActiveViewWithTheXEditSelected)
{
    Start();
    Active()->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, MakeSizeHint(320, 240));
    Active()->m_bAntiAlias = 1;
    RunDialog([](CSetDisplayDlg& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Set Display"));
        EXPECT_EQ(d.focusWidget(), d.XEdit());
        EXPECT_EQ(d.XEdit()->selectedText(), QStringLiteral("320"));
        EXPECT_EQ(d.YEdit()->text(), QStringLiteral("240"));
        EXPECT_TRUE(d.AntiAliasBox()->isChecked());
        EXPECT_FALSE(d.PictureResolutionBox()->isChecked());
        EXPECT_TRUE(d.KeepAspectBox()->isChecked());
        EXPECT_FALSE(d.PictureSizeButton()->isEnabled());  // no source picture
        EXPECT_EQ(d.ApplyGroup()->checkedId(), APPLY_THIS_VIEW);
        // Keep aspect at 4:3: X 600 makes Y 450.
        d.XEdit()->setText(QStringLiteral("600"));
        EXPECT_EQ(d.YEdit()->text(), QStringLiteral("450"));
        d.XEdit()->setText(QStringLiteral("0"));
        d.accept();
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Please enter an integer between 1 and 16384."));
    EXPECT_EQ(ViewSize(Active()), QSize(320, 240));  // Cancel changes nothing
    EXPECT_FALSE(m_store.Contains("Display", "Apply"));
}

#ifdef QUIL_CLI_PATH
TEST_F(DisplayDialogTest, ThisViewOnlyRecalculatesTheActiveViewWithAntiAliasing)
{
    Start();
    CQuilDoc* first = Active();
    RunDialog([this](CSetDisplayDlg& d) { Choose(d, "120", "80", APPLY_THIS_VIEW, true); });
    EXPECT_EQ(ViewSize(first), QSize(120, 80));
    EXPECT_EQ(first->m_bAntiAlias, 1);
    ASSERT_TRUE(WaitForPicture(first));
    const Picture shown = PictureViewOf(first)->SnapshotPicture();
    const QString quil = WriteFile(QStringLiteral("logo.quil"), "rgb[X[],Y[],BW[-1.000000]]");
    const QString png = m_dir.filePath(QStringLiteral("cli.png"));
    ASSERT_TRUE(CliRender(quil, png, {QStringLiteral("--size"), QStringLiteral("120x80"), QStringLiteral("--antialias")}));
    EXPECT_EQ(DifferingPixels(WrapPicture(shown), QImage(png)), 0);

    // New documents still open at the old size, without anti-aliasing.
    EXPECT_EQ(Frame().Display().m_nDisplayWidth, 300);
    CQuilDoc* second = App().OnFileNew();
    ASSERT_TRUE(second);
    EXPECT_EQ(ViewSize(second), QSize(300, 300));
    EXPECT_EQ(second->m_bAntiAlias, 0);
    EXPECT_EQ(m_store.GetProfileInt("Display", "Apply", -1), 0);
    EXPECT_FALSE(m_store.Contains("Display", "DisplayX"));
}
#endif

TEST_F(DisplayDialogTest, ThisAndNextViewsAndAllViews)
{
    Start();
    CQuilDoc* first = Active();
    CQuilDoc* second = App().OnFileNew();
    ASSERT_EQ(Active(), second);
    RunDialog([this](CSetDisplayDlg& d) { Choose(d, "200", "100", APPLY_THIS_AND_NEXT, true); });
    EXPECT_EQ(ViewSize(second), QSize(200, 100));
    EXPECT_EQ(ViewSize(first), QSize(300, 300));
    EXPECT_EQ(m_store.GetProfileInt("Display", "DisplayX", 0), 200);
    EXPECT_EQ(m_store.GetProfileInt("Display", "AntiAlias", 0), 1);
    CQuilDoc* third = App().OnFileNew();
    EXPECT_EQ(ViewSize(third), QSize(200, 100));
    EXPECT_EQ(third->m_bAntiAlias, 1);

    RunDialog([this](CSetDisplayDlg& d) { Choose(d, "64", "64", APPLY_ALL_VIEWS, false); });
    for (CQuilDoc* doc : {first, second, third}) {
        EXPECT_EQ(ViewSize(doc), QSize(64, 64));
        EXPECT_EQ(doc->m_bAntiAlias, 0);
        EXPECT_TRUE(WaitForPicture(doc));
    }
    EXPECT_EQ(m_store.GetProfileInt("Display", "Apply", -1), 2);
    EXPECT_EQ(m_store.GetProfileInt("Display", "DisplayY", 0), 64);
}

TEST_F(DisplayDialogTest, PicturesSizeAndFollowingThePictureWhenItIsLoaded)
{
    Start();
    LoadPicture(64, 48);
    const QString quil = WriteFile(QStringLiteral("pic.quil"), "plus[PIC[],X[]]");
    CQuilDoc* doc = App().OpenDocumentFile(quil);
    ASSERT_TRUE(doc);
    ASSERT_EQ(Active(), doc);
    RunDialog([](CSetDisplayDlg& d) {
        ASSERT_TRUE(d.PictureSizeButton()->isEnabled());
        d.KeepAspectBox()->setChecked(true);
        d.PictureSizeButton()->click();
        // Both sizes taken as they are, keep aspect or not; the ratio is the picture's.
        EXPECT_EQ(d.XEdit()->text(), QStringLiteral("64"));
        EXPECT_EQ(d.YEdit()->text(), QStringLiteral("48"));
        d.XEdit()->setText(QStringLiteral("128"));
        EXPECT_EQ(d.YEdit()->text(), QStringLiteral("96"));
        d.XEdit()->setText(QStringLiteral("100"));
        EXPECT_EQ(d.YEdit()->text(), QStringLiteral("75"));
        d.PictureResolutionBox()->setChecked(true);
        d.ApplyGroup()->button(APPLY_THIS_VIEW)->setChecked(true);
        d.accept();
    });
    EXPECT_EQ(doc->m_bPictureResolution, 1);
    EXPECT_EQ(ViewSize(doc), QSize(100, 75));
    // Loading another picture resizes the views of a document that follows it ...
    LoadPicture(40, 30);
    EXPECT_EQ(ViewSize(doc), QSize(40, 30));
    ASSERT_TRUE(WaitForPicture(doc));
    // ... and unloading brings them to the black picture's size, the display size.
    Frame().OnUnloadPicture();
    EXPECT_EQ(ViewSize(doc), QSize(300, 300));
}
