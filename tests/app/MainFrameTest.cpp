// The main frame's drops, the child frame's sizes and the background commands.

#include "AppFixture.h"

#include "tests/engine/SpecialFiles.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "shell/QuilDoc.h"
#include "dialogs/HelpWindow.h"
#include "engine/QuilExpression.h"
#include "resources/ResourceIds.h"
#include "render/Picture.h"
#include "views/LeftView.h"
#include "views/QuilView.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QSplitter>

TEST(DropExtension, LastDotAmongTheLastFifteenCharacters)
{
    EXPECT_EQ(CMainFrame::DropExtension(QStringLiteral("/home/u/a.quil")), QStringLiteral("quil"));
    EXPECT_EQ(CMainFrame::DropExtension(QStringLiteral("C:\\a.quil")), QStringLiteral("quil"));
    EXPECT_EQ(CMainFrame::DropExtension(QStringLiteral("/x/a.tar.png")), QStringLiteral("png"));
    // Fourteen characters after the dot still count; fifteen do not.
    EXPECT_EQ(CMainFrame::DropExtension(QStringLiteral("/x/a.abcdefghijklmn")), QStringLiteral("abcdefghijklmn"));
    EXPECT_EQ(CMainFrame::DropExtension(QStringLiteral("/x/a.abcdefghijklmno")), QString());
    EXPECT_EQ(CMainFrame::DropExtension(QStringLiteral("/x/README")), QString());
    // A dot as the very first character is no extension.
    EXPECT_EQ(CMainFrame::DropExtension(QStringLiteral(".quil")), QString());
    EXPECT_EQ(CMainFrame::DropExtension(QString()), QString());
}

TEST(ChildFrameSize, InitialSizeFormula)
{
    // 3 x 17 + (24 + 2) x 8 + trunc(330.0) by 2 x 20 + 330.
    EXPECT_EQ(ChildFrameInitialSize(17, 20, 24, 8, 300, 300), QSize(589, 370));
    // trunc(1.1 x 333) = 366.
    EXPECT_EQ(ChildFrameInitialSize(10, 10, 0, 0, 333, 100), QSize(30 + 2 * 0 + 366, 20 + 110));
    // Huge display sizes stay within what a window can be.
    const QSize huge = ChildFrameInitialSize(17, 20, 64, 1024, 16384, 16384);
    EXPECT_LE(huge.width(), 32767);
    EXPECT_LE(huge.height(), 32767);
}

TEST(ChildFrameSize, ResizeRule)
{
    const QSize labels(100, 200);
    // Room for both: tree = 24 + 100 + 70, picture = 330.
    SplitterColumns c = ChildFrameColumns(1000, 600, 24, labels, 300, 17);
    EXPECT_EQ(c.tree, 194);
    EXPECT_EQ(c.picture, 330);
    // Lower than the labels: the tree gets room for a scroll bar.
    c = ChildFrameColumns(1000, 150, 24, labels, 300, 17);
    EXPECT_EQ(c.tree, 211);
    // Narrower than both: the tree gets width - picture.
    c = ChildFrameColumns(400, 600, 24, labels, 300, 17);
    EXPECT_EQ(c.tree, 70);
    EXPECT_EQ(c.picture, 330);
    // Never below 5: the picture takes the rest.
    c = ChildFrameColumns(300, 600, 24, labels, 300, 17);
    EXPECT_EQ(c.tree, 5);
    EXPECT_EQ(c.picture, 295);
}

class MainFrameTest : public AppFixture {};

TEST_F(MainFrameTest, NewFrameAsksForTheFormulaSize)
{
    m_store.WriteProfileInt("Tree", "ThumbSize", 30);
    m_store.WriteProfileInt("Prob", "Maxlevel", 6);
    m_store.WriteProfileInt("Display", "DisplayX", 200);
    m_store.WriteProfileInt("Display", "DisplayY", 100);
    Start();
    CChildFrame* frame = FrameOf(App().Documents().front());
    ASSERT_NE(frame, nullptr);
    const QStyle* s = frame->style();
    const int bar = s->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int caption = s->pixelMetric(QStyle::PM_TitleBarHeight);
    EXPECT_EQ(frame->InitialFrameSize(), QSize(3 * bar + 32 * 6 + 220, 2 * caption + 110));
    ASSERT_NE(frame->Splitter(), nullptr);
    EXPECT_EQ(frame->Splitter()->widget(0), static_cast<QWidget*>(frame->TreeView()));
    EXPECT_EQ(frame->Splitter()->widget(1), static_cast<QWidget*>(frame->PictureView()));
}

TEST_F(MainFrameTest, DroppedQuilFilesOpenOtherSingleFilesAreSortedByExtension)
{
    Start();
    const QString quil = WriteFile("a.quil", "X[]");
    const QString upper = WriteFile("b.QUIL", "Y[]");
    App().GetMainFrame()->HandleDroppedFiles({quil});
    ASSERT_EQ(App().Documents().size(), 2u);
    EXPECT_EQ(App().Documents().back()->GetTitle(), QStringLiteral("a.quil"));
    // The refresh the drop posts starts the picture.
    EXPECT_EQ(App().Documents().back()->m_bOpenedByDrop, 0);
    EXPECT_TRUE(WaitForPicture(App().Documents().back()));
    App().GetMainFrame()->HandleDroppedFiles({upper});
    EXPECT_EQ(App().Documents().size(), 2u);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(MainFrameTest, DroppedPictureBecomesTheSourcePicture)
{
    Start();
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    const QString png = m_dir.filePath("p.png");
    ASSERT_TRUE(image.save(png));
    CQuilDoc* doc = App().OpenDocumentFile(WriteFile("pic.quil", "neg[PIC[]]"));
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->m_pExpression->m_bUsesPicture, 1);
    App().GetMainFrame()->HandleDroppedFiles({png});
    CMainFrame* frame = App().GetMainFrame();
    EXPECT_EQ(frame->SourcePicturePath(), png.toStdString());
    EXPECT_EQ(frame->PictureStatePaneText(), QStringLiteral("PIC (40 x 20): %1").arg(png));
    EXPECT_EQ(frame->PicIndicatorText(), QStringLiteral("PIC"));
    EXPECT_TRUE(frame->CommandState(ID_UNLOAD_PICTURE).m_bEnabled);
    ASSERT_TRUE(WaitForPicture(doc));
    // neg of the green picture: each channel 2v/255 - 1 negated.
    const Picture shown = PictureViewOf(doc)->SnapshotPicture();
    EXPECT_EQ(shown.Pixel(0, 0) & 0xffffff, shown.Pixel(299, 299) & 0xffffff);
    frame->ExecuteCommand(ID_UNLOAD_PICTURE);
    EXPECT_EQ(frame->SourcePicturePath(), "");
    EXPECT_EQ(frame->PictureStatePaneText(), QStringLiteral("No picture loaded"));
}

TEST_F(MainFrameTest, TwoDroppedFilesAreBothOpenedAsDocuments)
{
    Start();
    const QString a = WriteFile("a.png", "not really a picture");
    const QString b = WriteFile("b.quil", "Y[]");
    App().GetMainFrame()->HandleDroppedFiles({a, b});
    // The first is no expression: one message, one new document.
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Error loading QUIL function"));
    EXPECT_EQ(App().Documents().size(), 2u);
}

TEST_F(MainFrameTest, BackgroundCommandsSetTheViewAndTheDefault)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    CQuilView* view = PictureViewOf(App().Documents().front());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(frame->ExecuteCommand(ID_BACKGROUND_DARK_GRAY));
    EXPECT_EQ(view->m_crBackground, MakeColorRef(64, 64, 64));
    EXPECT_EQ(frame->BackgroundColour(), MakeColorRef(64, 64, 64));
    EXPECT_TRUE(frame->CommandState(ID_BACKGROUND_DARK_GRAY).m_bChecked);
    EXPECT_FALSE(frame->CommandState(ID_BACKGROUND_BLACK).m_bChecked);
    // New views take the last choice.
    CQuilDoc* second = App().OnFileNew();
    EXPECT_EQ(PictureViewOf(second)->m_crBackground, MakeColorRef(64, 64, 64));
    EXPECT_EQ(CMainFrame::BackgroundCommandColour(ID_BACKGROUND_LIGHT_GRAY), MakeColorRef(192, 192, 192));
}

TEST_F(MainFrameTest, NextPaneSwitchesTheActiveView)
{
    Start();
    CChildFrame* frame = FrameOf(App().Documents().front());
    CDocView* first = frame->ActiveView();
    App().GetMainFrame()->ExecuteCommand(ID_NEXT_PANE);
    EXPECT_NE(frame->ActiveView(), first);
    App().GetMainFrame()->ExecuteCommand(ID_PREV_PANE);
    EXPECT_EQ(frame->ActiveView(), first);
}

TEST_F(MainFrameTest, LoadPictureCommandAndTheLockAgainstOpenedFiles)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QString first = m_dir.filePath("first.png");
    const QString second = m_dir.filePath("second.png");
    ASSERT_TRUE(image.save(first));
    ASSERT_TRUE(image.save(second));

    m_fileAnswers = {first};
    EXPECT_TRUE(frame->ExecuteCommand(ID_LOAD_PICTURE));
    ASSERT_EQ(m_fileDialogs.size(), 1u);
    EXPECT_FALSE(m_fileDialogs[0].save);
    EXPECT_EQ(frame->SourcePicturePath(), first.toStdString());
    EXPECT_EQ(frame->PictureStatePaneText(), QStringLiteral("PIC (16 x 8): %1").arg(first));

    // Locked: a file that names another picture opens but keeps the current one.
    frame->ExecuteCommand(ID_LOCK_PICTURE);
    CQuilDoc* doc = App().OpenDocumentFile(WriteFile("named.quil", "neg[PIC[second.png]]"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(frame->SourcePicturePath(), first.toStdString());
    // Unlocked: the named picture is loaded after the document opens.
    frame->ExecuteCommand(ID_LOCK_PICTURE);
    App().CloseAllDocuments();
    doc = App().OpenDocumentFile(m_dir.filePath("named.quil"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(frame->SourcePicturePath(), second.toStdString());
    EXPECT_FALSE(frame->PictureLoadPending());
    EXPECT_TRUE(WaitForPicture(doc));
}

TEST_F(MainFrameTest, APictureThatCannotBeLoadedIsReportedAndForgotten)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    m_fileAnswers = {WriteFile("fake.png", "no picture inside")};
    frame->ExecuteCommand(ID_LOAD_PICTURE);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(m_boxes[0].text.startsWith(QStringLiteral("Load picture '")));
    EXPECT_EQ(frame->SourcePicturePath(), "");
    EXPECT_EQ(frame->PictureStatePaneText(), QStringLiteral("No picture loaded"));
}

TEST_F(MainFrameTest, DroppedFifosAreRefusedAtOnce)
{
    // A FIFO named like a picture, and one named in a dropped document.
    Start();
    CMainFrame* frame = App().GetMainFrame();
    const std::string fifo = m_dir.filePath("fifo.png").toStdString();
    ASSERT_TRUE(special_files::MakeFifo(fifo));
    const QString quil = WriteFile("named.quil", "neg[PIC[fifo.png]]");
    special_files::FifoWatchdog watchdog({fifo}, std::chrono::seconds(10));
    frame->HandleDroppedFiles({QString::fromStdString(fifo)});
    frame->HandleDroppedFiles({quil});
    EXPECT_FALSE(watchdog.Fired());
    ASSERT_EQ(m_boxes.size(), 2u);
    for (const MessageBoxRequest& box : m_boxes)
        EXPECT_EQ(box.text.toStdString(), "Load picture '" + fifo + "' failed.\n");
    EXPECT_EQ(frame->SourcePicturePath(), "");
    EXPECT_EQ(App().Documents().size(), 2u);  // the document itself opens
}

TEST_F(MainFrameTest, FilesDroppedOnTheWindowArriveAsADrop)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    const QString path = WriteFile("dropped.quil", "Y[]");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &drop);
    ASSERT_EQ(App().Documents().size(), 2u);
    EXPECT_EQ(App().Documents().back()->GetTitle(), QStringLiteral("dropped.quil"));
    // With every document closed the menu bar and the title are the main frame's own.
    App().CloseAllDocuments();
    ProcessEvents();
    EXPECT_EQ(frame->CurrentMenuId(), IDR_MAINFRAME);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Quil"));
}

TEST_F(MainFrameTest, HelpOpensTheContentsOrThePageOfTheFocusedPane)
{
    Start();
    CMainFrame* frame = App().GetMainFrame();
    frame->ExecuteCommand(ID_HELP_FINDER);
    CHelpWindow* help = CHelpWindow::ShowTopic(frame, QString());
    EXPECT_EQ(help->CurrentPage(), QStringLiteral("index.html"));
    EXPECT_EQ(CHelpWindow::TopicForWidget(PictureViewOf(App().Documents().front())), QStringLiteral("picture.html"));
    EXPECT_EQ(CHelpWindow::TopicForWidget(FrameOf(App().Documents().front())->TreeView()), QStringLiteral("tree.html"));
    EXPECT_EQ(CHelpWindow::ShowTopic(frame, QStringLiteral("tree.html"))->CurrentPage(), QStringLiteral("tree.html"));
    CHelpWindow::CloseHelp();
}
