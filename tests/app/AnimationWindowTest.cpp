// The animation window in the running application: its command in the Edit
// and picture menus, the preview filling up, a save that writes the file and
// an aborted one that leaves nothing, its settings kept, and closing with its
// document.

#include "AppFixture.h"

#include "app/AnimationLauncher.h"
#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "dialogs/AnimationWnd.h"
#include "resources/CommandTable.h"
#include "resources/ResourceIds.h"
#include "shell/QuilDoc.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <cmath>

class AnimationWindowTest : public AppFixture {
protected:
    CMainFrame& Frame() { return *App().GetMainFrame(); }
    QStringList Files(const QString& folder) const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(AnimationWindowTest, PreviewsSavesAndAbortsForTheActiveDocument)
{
    const CommandInfo* command = FindCommand(ID_EDIT_ANIMATE);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(MenuText(*command), "&Animate...");
    const auto has = [](const std::vector<MenuEntry>& entries) {
        return std::any_of(entries.begin(), entries.end(), [](const MenuEntry& e) { return e.id == ID_EDIT_ANIMATE; });
    };
    EXPECT_TRUE(has(PopupMenuLayout(IDR_DISPLAY_MENU).entries));
    const auto& bar = MenuBarLayout(IDR_QUILTYPE);
    EXPECT_TRUE(std::any_of(bar.begin(), bar.end(), [&](const MenuLayout& m) {
        return m.title == std::string("&Edit") && has(m.entries);
    }));

    Start();
    CQuilDoc* doc = Frame().ActiveDocument();
    ASSERT_TRUE(Frame().ExecuteCommand(ID_EDIT_ANIMATE));
    QPointer<CAnimationWnd> window = Frame().Animation().Open(doc);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Document(), doc);
    AnimationChoices choices = window->Choices();
    choices.seconds = 1.0;
    choices.fps = 10;
    choices.width = 64;
    choices.height = 48;
    choices.mode = int(MotionMode::Turn);
    window->SetChoices(choices);
    ASSERT_TRUE(WaitFor([&] { return window->PreviewComplete(); }));
    EXPECT_EQ(window->FramesReady(), 10);
    // Computed at the screen's pixels (run at a ratio of 2 too).
    EXPECT_EQ(window->PreviewFrameSide(), std::lround(kAnimationPreviewSide * window->devicePixelRatioF()));
    // Every control's Alt key is its own.
    QSet<QChar> keys;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
            text = label->text();
        const qsizetype at = text.indexOf('&');
        if (at < 0 || at + 1 >= text.size())
            continue;
        const QChar key = text[at + 1].toLower();
        EXPECT_FALSE(keys.contains(key)) << text.toStdString();
        keys.insert(key);
    }

    const QString folder = m_dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(folder));
    window->SaveTo(folder + "/turn.mp4");
    ASSERT_TRUE(WaitFor([&] { return !window->Saving(); }));
    EXPECT_EQ(Files(folder), QStringList{"turn.mp4"});

    choices.seconds = 600;
    window->SetChoices(choices);
    window->SaveTo(folder + "/long.webm");
    EXPECT_TRUE(window->Saving());
    window->OnAbortSave();
    ASSERT_TRUE(WaitFor([&] { return !window->Saving(); }));
    EXPECT_EQ(Files(folder), QStringList{"turn.mp4"});

    // The choices outlive the window; the window goes with its document.
    Frame().ExecuteCommand(ID_FILE_CLOSE_ALL);
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(m_store.GetProfileInt("Animation", "Mode", -1), int(MotionMode::Turn));
    EXPECT_EQ(m_store.GetProfileInt("Animation", "Seconds", -1), 6000);
}
