// The custom copy: its idle and computing states, Abort and Escape during a
// job, the clamping message, several copies in one opening, what OK and
// Cancel keep, and that the clipboard holds what quil-cli renders.

#include "AppFixture.h"
#include "CliCompare.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "dialogs/ClipDlg.h"
#include "dialogs/SizeWidgets.h"
#include "engine/QuilExpression.h"
#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class ClipDialogTest : public AppFixture {
protected:
    CQuilDoc* Doc() { return App().Documents().front(); }
    std::unique_ptr<CClipDialog> Open(unsigned x, unsigned y, bool keep, int mode = 0)
    {
        auto dialog = std::make_unique<CClipDialog>(ClipSettings{x, y, keep ? 1 : 0}, mode,
                                                    Doc()->m_pExpression->GetRoot(), nullptr);
        dialog->show();
        return dialog;
    }
    bool WaitIdle(CClipDialog& dialog)
    {
        return WaitFor([&dialog] { return !dialog.IsComputing(); });
    }
    static bool Idle(const CClipDialog& d)
    {
        return !d.AbortButton()->isEnabled() && d.CopyButton()->isEnabled() && d.OkButton()->isEnabled() &&
               d.CancelButton()->isEnabled();
    }
    static bool Computing(const CClipDialog& d)
    {
        return d.AbortButton()->isEnabled() && !d.CopyButton()->isEnabled() && !d.OkButton()->isEnabled() &&
               !d.CancelButton()->isEnabled();
    }
    static void MarkClipboard() { QGuiApplication::clipboard()->setText(QStringLiteral("before")); }
    static bool ClipboardUntouched() { return QGuiApplication::clipboard()->text() == QStringLiteral("before"); }
};

}  // namespace

TEST_F(ClipDialogTest, CopiesSeveralTimesSwitchingBetweenIdleAndComputing)
{
    Start();
    auto dialog = Open(40, 30, true);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Copy to Clipboard"));
    EXPECT_TRUE(Idle(*dialog));
    EXPECT_EQ(dialog->focusWidget(), dialog->XEdit());
    EXPECT_EQ(dialog->XEdit()->selectedText(), QStringLiteral("40"));

    QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
    EXPECT_TRUE(Computing(*dialog));
    EXPECT_EQ(dialog->ProgressBar()->maximum(), 40);
    ASSERT_TRUE(WaitIdle(*dialog));
    EXPECT_TRUE(Idle(*dialog));
    EXPECT_EQ(dialog->focusWidget(), dialog->OkButton());
    EXPECT_EQ(dialog->ProgressBar()->value(), 0);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(40, 30));

    // The margins of the mode checked when Copy is pressed: 40 x 30 in 2:3 is 40 x 60.
    dialog->MarginButtons()->button(1)->click();
    QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(*dialog));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(40, 60));
    // Keep aspect: X 300 makes Y 225 at 4:3; 300 x 225 in 2:3 is 300 x 450.
    dialog->XEdit()->setText(QStringLiteral("300"));
    EXPECT_EQ(dialog->YEdit()->text(), QStringLiteral("225"));
    QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(*dialog));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(300, 450));
    EXPECT_EQ(dialog->CopiesMade(), 3);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ClipDialogTest, AbortEscapeAndTheCloseBoxStopTheJobAndKeepTheDialog)
{
    Start();
    MarkClipboard();
    auto dialog = Open(16384, 16384, true);
    for (int way = 0; way < 3; ++way) {
        QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
        ASSERT_TRUE(dialog->IsComputing());
        if (way == 0)
            QTest::mouseClick(dialog->AbortButton(), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else
            dialog->close();
        EXPECT_TRUE(dialog->isVisible()) << way;
        ASSERT_TRUE(WaitIdle(*dialog));
        EXPECT_TRUE(Idle(*dialog));
        EXPECT_EQ(dialog->ProgressBar()->value(), 0);
        EXPECT_TRUE(ClipboardUntouched()) << way;
    }
    EXPECT_EQ(dialog->CopiesMade(), 0);
    // Idle, Escape cancels.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(ClipDialogTest, SizesAboveTheLimitAreCutWithAMessageAndNoCopy)
{
    Start();
    MarkClipboard();
    auto dialog = Open(500, 500, true);
    dialog->XEdit()->setText(QStringLiteral("20000"));
    EXPECT_EQ(dialog->YEdit()->text(), QStringLiteral("20000"));
    QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Maximum resolution for x and y is 16384"));
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("Quil"));
    EXPECT_EQ(dialog->XEdit()->text(), QStringLiteral("16384"));
    EXPECT_EQ(dialog->YEdit()->text(), QStringLiteral("16384"));
    EXPECT_FALSE(dialog->IsComputing());

    // OK reads the same way: the cut sizes are shown and the dialog stays.
    dialog->KeepAspectBox()->setChecked(false);
    dialog->YEdit()->setText(QStringLiteral("99999"));
    dialog->accept();
    EXPECT_EQ(m_boxes.size(), 2u);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->YEdit()->text(), QStringLiteral("16384"));

    dialog->XEdit()->setText(QStringLiteral("0"));
    QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
    ASSERT_EQ(m_boxes.size(), 3u);
    EXPECT_EQ(m_boxes[2].text, QStringLiteral("Invalid value for pixel"));
    EXPECT_EQ(dialog->XEdit()->selectedText(), QStringLiteral("0"));
    EXPECT_FALSE(dialog->IsComputing());
    EXPECT_TRUE(ClipboardUntouched());
}

namespace {
// Answers the next custom copy dialog.
void AnswerClipDialog(const std::function<void(CClipDialog&)>& answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<CClipDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        answer(*dialog);
    });
}
}  // namespace

TEST_F(ClipDialogTest, OkKeepsTheSizesAndTheDocumentTheMarginsCancelNothing)
{
    Start();
    ASSERT_TRUE(WaitForPicture(Doc()));
    CMainFrame& frame = *App().GetMainFrame();
    AnswerClipDialog([](CClipDialog& d) {
        EXPECT_EQ(d.XEdit()->text(), QStringLiteral("500"));  // "Metrics" defaults
        EXPECT_EQ(d.MarginButtons()->checkedId(), 0);
        d.XEdit()->setText(QStringLiteral("120"));
        d.MarginButtons()->button(3)->click();
        d.accept();
    });
    ASSERT_TRUE(frame.ExecuteCommand(ID_CUSTOM_COPY));
    EXPECT_EQ(m_store.GetProfileInt("Metrics", "ClipX", 0), 120);
    EXPECT_EQ(m_store.GetProfileInt("Metrics", "ClipY", 0), 120);
    EXPECT_EQ(m_store.GetProfileInt("Metrics", "ClipAspect", -1), 1);
    EXPECT_EQ(Doc()->m_nCopyMarginMode, 3);
    EXPECT_FALSE(m_store.Contains("Metrics", "Mode"));

    AnswerClipDialog([](CClipDialog& d) {
        EXPECT_EQ(d.XEdit()->text(), QStringLiteral("120"));
        EXPECT_EQ(d.MarginButtons()->checkedId(), 3);
        d.XEdit()->setText(QStringLiteral("50"));
        d.MarginButtons()->button(1)->click();
        d.reject();
    });
    ASSERT_TRUE(frame.ExecuteCommand(ID_CUSTOM_COPY));
    EXPECT_EQ(m_store.GetProfileInt("Metrics", "ClipX", 0), 120);
    EXPECT_EQ(Doc()->m_nCopyMarginMode, 3);
    // A new document offers "normal" again.
    CQuilDoc* second = App().OnFileNew();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->m_nCopyMarginMode, 0);
}

#ifdef QUIL_CLI_PATH
TEST_F(ClipDialogTest, TheClipboardHoldsWhatQuilCliRenders)
{
    Start();
    App().OnFileNewRandom();
    CQuilDoc* doc = App().Documents().back();
    const QString quil = m_dir.filePath(QStringLiteral("random.quil"));
    ASSERT_TRUE(doc->DoSave(quil, true));
    CClipDialog dialog(ClipSettings{120, 90, 0}, 1, doc->m_pExpression->GetRoot(), nullptr);
    dialog.show();
    QTest::mouseClick(dialog.CopyButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(dialog));
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(120, 180));

    const QString png = m_dir.filePath(QStringLiteral("cli.png"));
    ASSERT_TRUE(CliRender(quil, png, {QStringLiteral("--size"), QStringLiteral("120x90"), QStringLiteral("--margins"),
                                      QStringLiteral("1"), QStringLiteral("--no-picture")}));
    EXPECT_EQ(DifferingPixels(copied, QImage(png)), 0);
    // Other programs get opaque colours.
    EXPECT_EQ(qAlpha(copied.pixel(60, 90)), 255);
    EXPECT_EQ(copied.pixel(0, 0) & 0xffffffu, 0u);  // the margin is black
}
#endif
