// Start-up: the settings read, the logo document, the welcome dialog and the
// values written when the main window goes.

#include "AppFixture.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "shell/QuilDoc.h"
#include "dialogs/QuilWelcome.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <QCheckBox>

namespace {
std::string TextOf(CQuilDoc* doc)
{
    return doc->ExpressionText(std::string());
}
}  // namespace

class StartupTest : public AppFixture {};

TEST_F(StartupTest, FirstStartGivesLogoDocumentDefaultsAndWelcome)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    ASSERT_EQ(App().Documents().size(), 1u);
    CQuilDoc* doc = App().Documents().front();
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Quil1"));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(TextOf(doc), "rgb[X[],Y[],BW[-1.000000]]");
    // Display, tree and generation defaults.
    EXPECT_EQ(frame->DisplayWidth(), 300);
    EXPECT_EQ(frame->DisplayHeight(), 300);
    EXPECT_EQ(frame->Display().m_bAntiAlias, 0);
    EXPECT_EQ(frame->BackgroundColour(), 0u);
    EXPECT_EQ(frame->ThumbSize(), 24);
    EXPECT_TRUE(frame->ExpandTree());
    EXPECT_EQ(frame->TreeApply(), 0);
    EXPECT_EQ(frame->MaxLevel(), 8);
    EXPECT_EQ(frame->GenSettings().m_nTermLevel, 3);
    // Status bar panes.
    EXPECT_EQ(frame->MessagePaneText(), QStringLiteral("For Help, press F1"));
    EXPECT_EQ(frame->PictureStatePaneText(), QStringLiteral("No picture loaded"));
    EXPECT_EQ(frame->PicIndicatorText(), QString());  // the logo does not use the picture
    ASSERT_NE(App().WelcomeDialog(), nullptr);
    EXPECT_TRUE(App().WelcomeDialog()->isVisible());
    EXPECT_FALSE(App().WelcomeDialog()->DontShowBox()->isChecked());
}

TEST_F(StartupTest, WelcomeSwitchedOffStaysOffAndTheCommandShowsItChecked)
{
    Start();
    CQuilWelcome* welcome = App().WelcomeDialog();
    ASSERT_NE(welcome, nullptr);
    welcome->DontShowBox()->setChecked(true);
    welcome->accept();
    EXPECT_EQ(m_store.GetProfileInt("Misc", "Welcome", 1), 0);
    Stop();

    Start();
    EXPECT_TRUE(App().WelcomeDialog() == nullptr || !App().WelcomeDialog()->isVisible());
    App().GetMainFrame()->ExecuteCommand(32805);
    ASSERT_NE(App().WelcomeDialog(), nullptr);
    EXPECT_TRUE(App().WelcomeDialog()->isVisible());
    EXPECT_TRUE(App().WelcomeDialog()->DontShowBox()->isChecked());
    // Cancel writes nothing: the value stays 0 although the box is now clear.
    App().WelcomeDialog()->DontShowBox()->setChecked(false);
    App().WelcomeDialog()->reject();
    EXPECT_EQ(m_store.GetProfileInt("Misc", "Welcome", 1), 0);
}

TEST_F(StartupTest, StoredSettingsAreReadAndCut)
{
    m_store.WriteProfileInt("Display", "DisplayX", 20000);
    m_store.WriteProfileInt("Display", "DisplayY", -1);  // 0xFFFFFFFF unsigned: cut to 16384
    m_store.WriteProfileInt("Display", "BgColor", 0x00c0c0c0);
    m_store.WriteProfileInt("Display", "AntiAlias", 1);
    m_store.WriteProfileInt("Tree", "ThumbSize", 40);
    m_store.WriteProfileInt("Tree", "ExpandTree", 0);
    m_store.WriteProfileInt("Tree", "Apply", 2);
    m_store.WriteProfileInt("Prob", "Maxlevel", 5);
    m_store.WriteProfileInt("Misc", "Welcome", 0);
    m_store.WriteProfileInt("Misc", "FilterLoad", 3);
    Start();
    CMainFrame* frame = App().GetMainFrame();
    EXPECT_EQ(frame->DisplayWidth(), 16384);
    EXPECT_EQ(frame->DisplayHeight(), 16384);
    EXPECT_EQ(frame->BackgroundColour(), 0x00c0c0c0u);
    EXPECT_EQ(frame->Display().m_bAntiAlias, 1);
    EXPECT_EQ(frame->ThumbSize(), 40);
    EXPECT_FALSE(frame->ExpandTree());
    EXPECT_EQ(frame->TreeApply(), 2);
    EXPECT_EQ(frame->MaxLevel(), 5);
    EXPECT_EQ(frame->Display().m_nFilterLoad, 3);
    // A new document copies the anti-alias setting.
    EXPECT_EQ(App().Documents().front()->m_bAntiAlias, 1);
    EXPECT_TRUE(App().WelcomeDialog() == nullptr);
}

TEST_F(StartupTest, OutOfRangeTreeAndDisplayValuesReadAsUsableValues)
{
    m_store.WriteProfileInt("Tree", "ThumbSize", 500);
    m_store.WriteProfileInt("Display", "DisplayX", 0);
    Start();
    EXPECT_EQ(App().GetMainFrame()->ThumbSize(), 64);
    EXPECT_EQ(App().GetMainFrame()->DisplayWidth(), 300);
}

TEST_F(StartupTest, BackgroundAndLoadTypeAreWrittenWhenTheMainWindowGoes)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    frame->ExecuteCommand(32778);  // white background
    frame->Display().m_nFilterLoad = 2;
    EXPECT_FALSE(m_store.Contains("Display", "BgColor"));
    Stop();
    EXPECT_EQ(m_store.GetProfileInt("Display", "BgColor", 0), 0x00ffffff);
    EXPECT_EQ(m_store.GetProfileInt("Misc", "FilterLoad", 0), 2);
}

TEST_F(StartupTest, CommandLinePathOpensThatFile)
{
    const QString path = WriteFile("spiral.quil", "sin[SPIR[0.300000]]");
    Start({path});
    ASSERT_EQ(App().Documents().size(), 1u);
    CQuilDoc* doc = App().Documents().front();
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("spiral.quil"));
    EXPECT_EQ(TextOf(doc), "sin[SPIR[0.300000]]");
    EXPECT_EQ(App().RecentFiles().value(0), path);
}

TEST_F(StartupTest, CommandLineFileThatCannotBeOpenedIsReportedAndTheLogoShown)
{
    // Not an expression: the reader's message, then the logo document.
    const QString broken = WriteFile("broken.quil", "this is no expression");
    Start({broken});
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Error loading QUIL function"));
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("Quil"));
    ASSERT_EQ(App().Documents().size(), 1u);
    EXPECT_EQ(TextOf(App().Documents().front()), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_TRUE(App().GetMainFrame()->isVisible());
    Stop();

    // Missing: the message names the file, and the program goes on likewise.
    m_boxes.clear();
    const QString missing = m_dir.filePath("missing.quil");
    Start({missing});
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(m_boxes[0].text.startsWith(QStringLiteral("Failed to open document.\n") + missing))
        << m_boxes[0].text.toStdString();
    ASSERT_EQ(App().Documents().size(), 1u);
    EXPECT_EQ(App().Documents().front()->GetTitle(), QStringLiteral("Quil1"));
    EXPECT_TRUE(App().GetMainFrame()->isVisible());
}

TEST_F(StartupTest, RecentFilesKeepNineNewestFirst)
{
    Start();
    for (int i = 1; i <= 11; ++i)
        App().AddToRecentFileList(QStringLiteral("/tmp/f%1.quil").arg(i));
    App().AddToRecentFileList(QStringLiteral("/tmp/f5.quil"));
    ASSERT_EQ(App().RecentFiles().size(), 9);
    EXPECT_EQ(App().RecentFiles().front(), QStringLiteral("/tmp/f5.quil"));
    EXPECT_EQ(App().RecentFiles().back(), QStringLiteral("/tmp/f3.quil"));
    EXPECT_EQ(m_store.GetProfileString("Recent File List", "File1", ""), "/tmp/f5.quil");
    Stop();
    Start();
    EXPECT_EQ(App().RecentFiles().size(), 9);
}
