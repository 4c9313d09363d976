// Help wherever a person asks: every control of every dialog has its own help
// for F1 and Shift+F1, F1 and Escape in the windows, and the generated page
// of the node kinds.

#include "AppFixture.h"

#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "dialogs/AnimationWnd.h"
#include "dialogs/ContextHelp.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/OverwriteDlg.h"
#include "engine/NodeKinds.h"
#include "resources/ResourceIds.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWhatsThis>

#include <functional>

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;
constexpr int kTitleBar = 32;

// The focusable controls of window that F1 has no help for, one a line.
std::string ControlsWithoutHelp(QWidget* window)
{
    QStringList missing;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || !w->isVisibleTo(window) || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (ContextHelpText(w).isEmpty())
            missing << QString::fromUtf8(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName() +
                           QLatin1Char(' ') + w->property("text").toString();
    }
    return missing.join(QLatin1Char('\n')).toStdString();
}

class HelpTest : public AppFixture {
protected:
    CMainFrame& Frame() { return *App().GetMainFrame(); }

    static QWidget* ShownWhatsThis()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && QByteArray(w->metaObject()->className()) == "QWhatsThat")
                return w;
        return nullptr;
    }
    // F1 on the first control that has help shows its text; Shift+F1 starts
    // the help pointer. The window fits a 1280 x 800 screen with a title bar.
    static void CheckKeys(QWidget* window)
    {
        EXPECT_LE(window->width(), kScreenWidth) << window->metaObject()->className();
        EXPECT_LE(window->height() + kTitleBar, kScreenHeight) << window->metaObject()->className();
        QWidget* control = nullptr;
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus) && !ContextHelpText(w).isEmpty()) {
                control = w;
                break;
            }
        ASSERT_TRUE(control);
        window->activateWindow();
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        EXPECT_TRUE(ShownWhatsThis()) << window->metaObject()->className();
        QWhatsThis::hideText();
        QTest::keyClick(control, Qt::Key_F1, Qt::ShiftModifier);
        EXPECT_TRUE(QWhatsThis::inWhatsThisMode()) << window->metaObject()->className();
        QWhatsThis::leaveWhatsThisMode();
    }
    // Runs the command whose modal dialog is checked, then cancelled.
    void CheckModal(int command)
    {
        bool seen = false;
        QTimer::singleShot(0, [&seen] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            seen = true;
            EXPECT_EQ(ControlsWithoutHelp(dialog), "") << dialog->metaObject()->className();
            CheckKeys(dialog);
            dialog->reject();
        });
        ASSERT_TRUE(Frame().ExecuteCommand(command));
        EXPECT_TRUE(seen) << command;
    }
};

TEST_F(HelpTest, EveryDialogFitsTheScreenAndEveryControlHasHelpForF1AndShiftF1)
{
    m_store.WriteProfileInt("Misc", "Welcome", 0);
    Start();
    for (int command : {ID_IMAGE_DISPLAY, ID_TREE_DISPLAY, ID_FUNCTION_CREATION, ID_CUSTOM_COPY, ID_BATCH_CREATION,
                        ID_APP_ABOUT})
        CheckModal(command);
    // The modeless windows: the welcome dialog, the variations and the animation.
    for (int command : {ID_WELCOME_DIALOG, ID_EDIT_VARIATIONS, ID_EDIT_ANIMATE}) {
        ASSERT_TRUE(Frame().ExecuteCommand(command));
        ProcessEvents();
        QWidget* window = QApplication::activeWindow();
        ASSERT_TRUE(window && window != &Frame()) << command;
        EXPECT_EQ(ControlsWithoutHelp(window), "") << window->metaObject()->className();
        // The animation's controls for every motion, each shown only with its own.
        if (auto* animation = qobject_cast<CAnimationWnd*>(window))
            for (int mode = 0; mode < kNumMotionModes; ++mode) {
                AnimationChoices choices = animation->Choices();
                choices.mode = mode;
                animation->SetChoices(choices);
                EXPECT_EQ(ControlsWithoutHelp(window), "") << mode;
            }
        CheckKeys(window);
        window->close();
        ProcessEvents();
    }
}

TEST_F(HelpTest, TheVariationsAndTheAnimationHaveTheirPagesAndEscapeClosesTheHelp)
{
    m_store.WriteProfileInt("Misc", "Welcome", 0);
    Start();
    for (const auto& [command, page] : {std::pair{ID_EDIT_VARIATIONS, "variations.html"},
                                        std::pair{ID_EDIT_ANIMATE, "animation.html"}}) {
        ASSERT_TRUE(Frame().ExecuteCommand(command));
        ProcessEvents();
        QWidget* window = QApplication::activeWindow();
        ASSERT_TRUE(window);
        EXPECT_EQ(CHelpWindow::TopicForWidget(window), QString::fromUtf8(page));
        QPushButton* button = nullptr;
        for (QPushButton* b : window->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("&Help"))
                button = b;
        ASSERT_TRUE(button) << page;
        button->click();
        ProcessEvents();
        QPointer<CHelpWindow> help = qobject_cast<CHelpWindow*>(QApplication::activeWindow());
        ASSERT_TRUE(help);
        EXPECT_EQ(help->CurrentPage(), QString::fromUtf8(page));
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + QString::fromUtf8(page))) << page;
        QTest::keyClick(help, Qt::Key_Escape);
        ProcessEvents();
        EXPECT_TRUE(!help || !help->isVisible());
        window->close();
        ProcessEvents();
    }
}

TEST(DialogHelp, TheOverwritePromptHasHelpForEveryButton)
{
    COverwriteDlg dialog(QStringLiteral("/some/folder/QuilPic000001.bmp"));
    dialog.show();
    EXPECT_EQ(ControlsWithoutHelp(&dialog), "");
}

TEST(KindsHelp, EveryKindHasItsRowAndAPictureMadeByQuil)
{
    QFile page(QStringLiteral(":/help/kinds.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    for (int kind = 0; kind < kNumKinds; ++kind) {
        const QString name = QString::fromUtf8(kNodeKinds[kind].name);
        EXPECT_TRUE(html.contains(QStringLiteral("<a name=\"%1\">").arg(name))) << name.toStdString();
        const QImage picture(QStringLiteral(":/help/kinds/%1.png").arg(name));
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        // A picture, not a flat fill: BW and RGB are one colour by nature.
        if (kind != KIND_BW && kind != KIND_RGB) {
            EXPECT_NE(picture.pixel(0, 0), picture.pixel(picture.width() / 2, picture.height() / 3))
                << name.toStdString();
        }
    }
}

}  // namespace
