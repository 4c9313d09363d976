// Documents: New, New Random, Open, Save, Generate random and closing, with
// the message boxes answered by the test.

#include "AppFixture.h"

#include "tests/engine/SpecialFiles.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/QuilApp.h"
#include "shell/QuilDoc.h"
#include "engine/QuilArchive.h"
#include "engine/GenerationSettings.h"
#include "engine/QuilExpression.h"
#include "resources/AppStrings.h"
#include "resources/ResourceIds.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMdiArea>
#include <QStatusBar>

#include <cerrno>
#include <cstring>

namespace {
QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

class DocumentTest : public AppFixture {
protected:
    CQuilDoc* Doc(size_t i) { return App().Documents().at(i); }
};

TEST_F(DocumentTest, PlainNewClosesWithoutAQuestion)
{
    Start();
    CQuilDoc* doc = App().OnFileNew();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Quil2"));
    EXPECT_EQ(TextOf(*doc->m_pExpression), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_TRUE(doc->SaveModified());
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(DocumentTest, NewRandomIsModifiedAndClosingAsks)
{
    Start();
    App().GetMainFrame()->ExecuteCommand(ID_FILE_NEW_RANDOM);
    ASSERT_EQ(App().Documents().size(), 2u);
    CQuilDoc* doc = Doc(1);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_NE(TextOf(*doc->m_pExpression), "rgb[X[],Y[],BW[-1.000000]]");

    // Cancel keeps the window; No closes it.
    m_answers = {QMessageBox::Cancel};
    FrameOf(doc)->parentWidget()->close();
    ProcessEvents();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Save changes to Quil2?"));
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("Quil"));
    EXPECT_EQ(App().Documents().size(), 2u);
    m_answers = {QMessageBox::No};
    FrameOf(doc)->parentWidget()->close();
    ProcessEvents();
    EXPECT_EQ(App().Documents().size(), 1u);
}

TEST_F(DocumentTest, SaveAsWritesTheTextAndOpenReadsItBack)
{
    Start();
    CQuilDoc* doc = Doc(0);
    const QString path = m_dir.filePath("logo.quil");
    m_fileAnswers = {path};
    App().GetMainFrame()->ExecuteCommand(ID_FILE_SAVE_AS);
    ASSERT_EQ(m_fileDialogs.size(), 1u);
    EXPECT_EQ(m_fileDialogs[0].filter, QStringLiteral("Quil Files (*.quil)"));
    EXPECT_EQ(m_fileDialogs[0].defaultSuffix, QStringLiteral("quil"));
    EXPECT_EQ(ReadAll(path), QByteArray("rgb[X[],Y[],BW[-1.000000]]"));
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("logo.quil"));
    EXPECT_EQ(doc->GetPathName(), path);
    EXPECT_FALSE(doc->IsModified());

    // Opening the same path again shows the open document.
    EXPECT_EQ(App().OpenDocumentFile(path), doc);
    EXPECT_EQ(App().Documents().size(), 1u);
    doc->OnGenerateRandom();
    const std::string generated = TextOf(*doc->m_pExpression);
    // Save goes to the known path without a dialog.
    App().GetMainFrame()->ExecuteCommand(ID_FILE_SAVE);
    EXPECT_EQ(m_fileDialogs.size(), 1u);
    EXPECT_EQ(ReadAll(path).toStdString(), generated);

    App().CloseAllDocuments();
    CQuilDoc* reopened = App().OpenDocumentFile(path);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(TextOf(*reopened->m_pExpression), generated);
    EXPECT_FALSE(reopened->IsModified());
}

TEST_F(DocumentTest, OpenedDocumentHasAntiAliasOffNewCopiesIt)
{
    m_store.WriteProfileInt("Display", "AntiAlias", 1);
    m_store.WriteProfileInt("Display", "PictureResolution", 1);
    Start();
    EXPECT_EQ(Doc(0)->m_bAntiAlias, 1);
    EXPECT_EQ(Doc(0)->m_bPictureResolution, 1);
    CQuilDoc* opened = App().OpenDocumentFile(WriteFile("x.quil", "X[]"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->m_bAntiAlias, 0);
    EXPECT_EQ(opened->m_bPictureResolution, 1);
}

TEST_F(DocumentTest, UnreadableTextShowsOneMessageAndNoWindow)
{
    Start();
    EXPECT_EQ(App().OpenDocumentFile(WriteFile("bad.quil", "sin[")), nullptr);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Error loading QUIL function"));
    EXPECT_EQ(App().Documents().size(), 1u);
    EXPECT_EQ(App().GetMainFrame()->MdiArea()->subWindowList().size(), 1);
}

TEST_F(DocumentTest, MissingFileIsReportedAndLeavesTheRecentList)
{
    Start();
    const QString path = m_dir.filePath("gone.quil");
    App().AddToRecentFileList(path);
    EXPECT_EQ(App().OpenDocumentFile(path), nullptr);
    ASSERT_EQ(m_boxes.size(), 1u);
    // The file and the file system's reason follow the first line.
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Failed to open document.\n%1: %2.").arg(path, QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_FALSE(App().RecentFiles().contains(path));
}

TEST_F(DocumentTest, FailedSaveKeepsThePreviousFile)
{
    Start();
    const QString path = WriteFile("keep.quil", "X[]");
    CQuilDoc* doc = App().OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    // A tree the writer refuses: nothing may reach the file.
    doc->m_pExpression->GetRoot()->nKind = 99;
    EXPECT_FALSE(doc->DoFileSave());
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text,
              QStringLiteral("Failed to save document.\n%1: The expression cannot be written as text.").arg(path));
    EXPECT_EQ(ReadAll(path), QByteArray("X[]"));
    doc->m_pExpression->GetRoot()->nKind = 2;
    // A folder that does not exist fails the same way, with the file system's reason.
    const QString nowhere = m_dir.filePath("no/such/dir/a.quil");
    EXPECT_FALSE(doc->DoSave(nowhere, true));
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[1].text, QStringLiteral("Failed to save document.\n%1: %2.")
                                   .arg(nowhere, QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_EQ(doc->GetPathName(), path);
}

TEST_F(DocumentTest, FifosAreNeitherOpenedNorReplaced)
{
    Start();
    const std::string fifo = m_dir.filePath("fifo.quil").toStdString();
    ASSERT_TRUE(special_files::MakeFifo(fifo));
    {
        // Open, as from the dialog, a drop or the recent files.
        special_files::FifoWatchdog watchdog({fifo}, std::chrono::seconds(10));
        EXPECT_EQ(App().OpenDocumentFile(QString::fromStdString(fifo)), nullptr);
        EXPECT_FALSE(watchdog.Fired());
    }
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(m_boxes[0].text.startsWith(QStringLiteral("Failed to open document.\n") + QString::fromStdString(fifo)))
        << m_boxes[0].text.toStdString();

    // Save As onto the FIFO or a link to it: the reason is shown, the FIFO stays.
    const QString link = m_dir.filePath("link.quil");
    ASSERT_TRUE(QFile::link(QString::fromStdString(fifo), link));
    for (const QString& path : {QString::fromStdString(fifo), link}) {
        m_boxes.clear();
        EXPECT_FALSE(Doc(0)->DoSave(path, true));
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, QStringLiteral("Failed to save document.\n%1: It is not a regular file.").arg(path));
    }
    EXPECT_TRUE(special_files::IsFifo(fifo));
    EXPECT_NE(Doc(0)->GetPathName(), link);
}

TEST_F(DocumentTest, GenerateRandomHandsTheOldExpressionToUndoAndMarksModified)
{
    Start();
    CQuilDoc* doc = Doc(0);
    const CQuilExpression* before = doc->m_pExpression.get();
    App().GetMainFrame()->ExecuteCommand(ID_GENERATE_RANDOM);
    EXPECT_NE(doc->m_pExpression.get(), before);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(doc->UndoHistory().Size(), 1u);
    EXPECT_TRUE(WaitForPicture(doc));
    // Undo brings back the very expression that was handed over.
    App().GetMainFrame()->ExecuteCommand(ID_EDIT_UNDO);
    EXPECT_EQ(doc->m_pExpression.get(), before);
    EXPECT_EQ(TextOf(*doc->m_pExpression), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_TRUE(WaitForPicture(doc));
}

TEST_F(DocumentTest, CloseAllClosesModifiedDocumentsWithoutAsking)
{
    Start();
    App().OnFileNewRandom();
    App().OnFileNewRandom();
    ASSERT_EQ(App().Documents().size(), 3u);
    App().GetMainFrame()->ExecuteCommand(ID_FILE_CLOSE_ALL);
    ProcessEvents();
    EXPECT_TRUE(App().Documents().empty());
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(DocumentTest, ExitAsksForEveryModifiedDocumentAndCancelStops)
{
    Start();
    App().OnFileNewRandom();
    App().OnFileNewRandom();
    m_answers = {QMessageBox::No, QMessageBox::Cancel};
    EXPECT_FALSE(App().GetMainFrame()->close());
    EXPECT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(App().Documents().size(), 3u);
    m_boxes.clear();
    m_answers = {QMessageBox::No, QMessageBox::No};
    EXPECT_TRUE(App().GetMainFrame()->close());
    EXPECT_EQ(m_boxes.size(), 2u);
    EXPECT_TRUE(App().Documents().empty());
}

TEST_F(DocumentTest, AsNewImageCopiesTheBranch)
{
    Start();
    CQuilDoc* source = Doc(0);
    CQuilDoc* copy = App().NewDocumentFromBranch(source->m_pExpression->GetRoot()->pChild[2]);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(TextOf(*copy->m_pExpression), "BW[-1.000000]");
    EXPECT_TRUE(copy->IsModified());
    EXPECT_EQ(copy->GetTitle(), QStringLiteral("Quil2"));
}

TEST_F(DocumentTest, RandomDocumentsDrawFromTheOneSourceSeededAtStart)
{
    // The same seed and settings outside the application give the same two trees in the same order.
    LcgRandomSource expectedSource(12345);
    GenerationSettings settings;
    settings.InitGenerationSettings(m_store);
    CQuilExpression first, second;
    first.Reset();
    first.GenerateRandom(settings, expectedSource);
    second.Reset();
    second.GenerateRandom(settings, expectedSource);

    Start();
    App().OnFileNewRandom();
    App().GetMainFrame()->ExecuteCommand(ID_GENERATE_RANDOM);
    ASSERT_EQ(App().Documents().size(), 2u);
    EXPECT_EQ(TextOf(*Doc(0)->m_pExpression), "rgb[X[],Y[],BW[-1.000000]]");
    // Generate random went to the active document: the random one.
    EXPECT_EQ(TextOf(*Doc(1)->m_pExpression), TextOf(second));
    EXPECT_NE(TextOf(first), TextOf(second));
}

TEST_F(DocumentTest, NewFromClipboardOpensTheTextOrReportsIt)
{
    Start();
    QGuiApplication::clipboard()->setText(QStringLiteral("sin[XYM[]]"));
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_FILE_NEW_FROM_CLIPBOARD));
    ASSERT_EQ(App().Documents().size(), 2u);
    EXPECT_EQ(TextOf(*Doc(1)->m_pExpression), "sin[XYM[]]");
    EXPECT_EQ(Doc(1)->GetTitle(), QStringLiteral("Quil2"));
    EXPECT_TRUE(Doc(1)->GetPathName().isEmpty());
    QGuiApplication::clipboard()->setText(QStringLiteral("sin["));
    ASSERT_TRUE(App().GetMainFrame()->ExecuteCommand(ID_FILE_NEW_FROM_CLIPBOARD));
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Error loading QUIL function"));
    EXPECT_EQ(App().Documents().size(), 2u);
}

TEST_F(DocumentTest, FileDialogsOpenInTheFolderLastUsedForTheirKind)
{
    Start();
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("quil")) && QDir(m_dir.path()).mkpath(QStringLiteral("bmp")));
    const QString quilDir = m_dir.filePath(QStringLiteral("quil"));
    const QString bmpDir = m_dir.filePath(QStringLiteral("bmp"));
    CMainFrame* frame = App().GetMainFrame();
    m_fileAnswers = {quilDir + QStringLiteral("/a.quil"), bmpDir + QStringLiteral("/a.png"), QString()};
    ASSERT_TRUE(frame->ExecuteCommand(ID_FILE_SAVE_AS));
    ASSERT_TRUE(WaitForPicture(Doc(0)));
    ASSERT_TRUE(frame->ExecuteCommand(ID_SAVE_BITMAP));
    ASSERT_TRUE(frame->ExecuteCommand(ID_FILE_OPEN));
    ASSERT_EQ(m_fileDialogs.size(), 3u);
    EXPECT_EQ(m_fileDialogs[2].fileName, quilDir);
    // A new untitled document: its names start in the folders of their kinds.
    App().OnFileNew();
    ASSERT_TRUE(WaitForPicture(Doc(1)));
    m_fileAnswers = {QString(), QString()};
    ASSERT_TRUE(frame->ExecuteCommand(ID_FILE_SAVE_AS));
    ASSERT_TRUE(frame->ExecuteCommand(ID_SAVE_BITMAP));
    ASSERT_EQ(m_fileDialogs.size(), 5u);
    EXPECT_EQ(m_fileDialogs[3].fileName, quilDir + QStringLiteral("/Quil2"));
    EXPECT_EQ(m_fileDialogs[4].fileName, bmpDir + QStringLiteral("/Quil2"));
    // Kept in the settings, for the next start.
    EXPECT_EQ(QString::fromStdString(m_store.GetProfileString("Folders", "Pictures", "")), bmpDir);
    // Loading a picture while PIC has no share (as by default) says that random pictures will not use it.
    ASSERT_EQ(frame->GenSettings().m_dProb[KIND_PIC], 0.0);
    m_fileAnswers = {bmpDir + QStringLiteral("/a.png")};
    ASSERT_TRUE(frame->ExecuteCommand(ID_LOAD_PICTURE));
    EXPECT_EQ(frame->statusBar()->currentMessage(), QString::fromUtf8(kStatusPicWithoutShare));
    EXPECT_EQ(QString::fromStdString(m_store.GetProfileString("Folders", "SourcePictures", "")), bmpDir);
}
