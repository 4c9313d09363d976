// The picture view: layout, hints, progress, copy, save, print geometry, and
// that it shows exactly what quil-cli renders.

#include "AppFixture.h"
#include "CliCompare.h"

#include "tests/engine/SpecialFiles.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "shell/QtJobNotifier.h"
#include "app/QuilApp.h"
#include "shell/QuilDoc.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "render/pictureio/PictureIO.h"
#include "resources/ResourceIds.h"
#include "shell/MessageBox.h"
#include "views/LeftView.h"
#include "views/QuilView.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QThread>

#include <thread>
#include <vector>

TEST(PrintLayout, WholeFactorCentredAndLargePicturesFit)
{
    // 300 x 200 on 2400 x 3000: f = 8, 2400 x 1600 at y = 700.
    EXPECT_EQ(PrintedPictureRect(2400, 3000, 300, 200), QRect(0, 700, 2400, 1600));
    EXPECT_EQ(PrintedPictureRect(1000, 1000, 300, 300), QRect(50, 50, 900, 900));
    // Larger than the page: shrunk to fit, proportions kept, centred.
    const QRect big = PrintedPictureRect(1000, 1400, 4000, 2000);
    EXPECT_EQ(big.width(), 1000);
    EXPECT_EQ(big.height(), 500);
    EXPECT_EQ(big.top(), 450);
    EXPECT_TRUE(PrintedPictureRect(1000, 1000, 0, 10).isNull());
}

TEST(SaveBitmapName, FourLetterExtensionIsCut)
{
    EXPECT_EQ(InitialBitmapName(QStringLiteral("spiral.quil")), QStringLiteral("spiral"));
    EXPECT_EQ(InitialBitmapName(QStringLiteral("Quil3")), QStringLiteral("Quil3"));
    EXPECT_EQ(InitialBitmapName(QStringLiteral("a.png")), QStringLiteral("a.png"));  // the fifth from the end is 'a'
    EXPECT_EQ(InitialBitmapName(QString()), QString());
}

class QuilViewTest : public AppFixture {
protected:
    CQuilDoc* Doc() { return App().Documents().front(); }
    CQuilView* View() { return PictureViewOf(Doc()); }
};

TEST_F(QuilViewTest, PictureIsCentredOrScrolled)
{
    Start();
    CQuilView* view = View();
    ASSERT_TRUE(WaitForPicture(Doc()));
    view->resize(500, 400);
    ProcessEvents();
    const QSize area = view->viewport()->size();
    EXPECT_EQ(view->PictureOrigin(), QPoint((area.width() - 300) >> 1, (area.height() - 300) >> 1));
    view->resize(200, 200);
    ProcessEvents();
    EXPECT_EQ(view->PictureOrigin(), QPoint(0, 0));
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
    view->horizontalScrollBar()->setValue(30);
    EXPECT_EQ(view->PictureOrigin().x(), -30);
}

// Run at QT_SCALE_FACTOR=2 too (see CMakeLists): the ratio is the screen's.
TEST_F(QuilViewTest, PicturesOnScreenHaveTheDevicePixelsAndAreDrawnOneToOne)
{
    Start();
    CQuilView* view = View();
    const double ratio = view->devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        EXPECT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    view->resize(500, 400);
    ASSERT_TRUE(WaitForPicture(Doc()));
    const std::shared_ptr<const Picture> screen = view->ScreenPicture();
    const int side = int(std::lround(300 * ratio));
    ASSERT_EQ(screen->Width(), side);
    ASSERT_EQ(screen->Height(), side);
    // The picture itself, which Copy and Save hand on, keeps the display size.
    EXPECT_EQ(view->SnapshotPicture().Width(), 300);
    // The shown one is the expression computed at the device pixels, as quil-cli computes it.
    const QString quil = WriteFile("logo.quil", QByteArray::fromStdString(TextOf(*Doc()->m_pExpression)));
    const QString png = m_dir.filePath("logo.png");
    ASSERT_TRUE(CliRender(quil, png, {QStringLiteral("--size"), QStringLiteral("%1x%1").arg(side)}));
    EXPECT_EQ(DifferingPixels(QImage(png), WrapPicture(*screen)), 0);
    // Each of its pixels is one pixel of the screen.
    ProcessEvents();
    const QImage shot = view->viewport()->grab().toImage();
    const QPoint origin(int(std::lround(view->PictureOrigin().x() * ratio)),
                        int(std::lround(view->PictureOrigin().y() * ratio)));
    for (const QPoint p : {QPoint(0, 0), QPoint(side - 1, side - 1), QPoint(17, side / 3), QPoint(side / 2, 5)})
        EXPECT_EQ(shot.pixel(origin + p) & 0xffffff, screen->Pixel(p.x(), p.y()) & 0xffffff) << p.x() << "," << p.y();
    // The tree's thumbnails likewise.
    CLeftView* tree = FrameOf(Doc())->TreeView();
    ASSERT_TRUE(WaitFor([tree] { return tree->ThumbnailsShown(); }));
    ASSERT_FALSE(tree->Thumbnails().empty());
    EXPECT_EQ(tree->Thumbnails()[0].Width(), int(std::lround(tree->ThumbSize() * ratio)));
}

TEST_F(QuilViewTest, DisplaySizeHintResizesAndRecalculates)
{
    Start();
    CQuilView* view = View();
    Doc()->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, (200u << 16) | 400u);
    EXPECT_EQ(view->m_nDisplayWidth, 400);
    EXPECT_EQ(view->m_nDisplayHeight, 200);
    ASSERT_TRUE(WaitForPicture(Doc()));
    const Picture shown = view->SnapshotPicture();
    EXPECT_EQ(shown.Width(), 400);
    EXPECT_EQ(shown.Height(), 200);
    // The stop hints leave the finished picture alone.
    Doc()->UpdateAllViews(nullptr, HINT_STOP_CALCULATION);
    EXPECT_EQ(Doc()->PictureReady, 1);
}

TEST_F(QuilViewTest, ProgressBarCoversTheFinishedShareOfTheLabel)
{
    Start();
    CQuilView* view = View();
    ASSERT_TRUE(WaitForPicture(Doc()));
    const QRect label = view->WorkingLabelRect();
    EXPECT_EQ(label.center(), view->viewport()->rect().center());
    // A notification of a replaced job is ignored.
    view->OnJobNotice(JobNotice::Progress(75), view->JobSerial() - 1);
    EXPECT_NE(view->ProgressColumns(), 75);
    // 150 of 300 columns: the green part covers half of the label.
    view->OnJobNotice(JobNotice::Progress(150), view->JobSerial());
    EXPECT_EQ(view->ProgressColumns(), 150);
    const QRect bar = view->ProgressBarRect();
    EXPECT_EQ(bar.left(), label.left());
    EXPECT_EQ(bar.width(), label.width() * 150 / 300);
    EXPECT_EQ(bar.height(), label.height());
}

TEST_F(QuilViewTest, CopyPutsTheDisplayedPictureOnTheClipboard)
{
    Start();
    ASSERT_TRUE(WaitForPicture(Doc()));
    App().GetMainFrame()->ExecuteCommand(ID_EDIT_COPY);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(300, 300));
    const Picture shown = View()->SnapshotPicture();
    EXPECT_EQ(copied.pixel(299, 0) & 0xffffff, shown.Pixel(299, 0) & 0xffffff);
    EXPECT_EQ(copied.pixel(0, 299) & 0xffffff, shown.Pixel(0, 299) & 0xffffff);
}

TEST_F(QuilViewTest, CopyWhileTheJobWritesIsASafeRead)
{
    Start();
    Doc()->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, (1200u << 16) | 1200u);
    for (int i = 0; i < 5; ++i) {
        View()->OnEditCopy();
        EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(1200, 1200));
    }
    EXPECT_TRUE(WaitForPicture(Doc()));
}

TEST_F(QuilViewTest, SaveBitmapWritesTheFileOrReportsTheFailure)
{
    Start();
    ASSERT_TRUE(WaitForPicture(Doc()));
    const QString png = m_dir.filePath("logo.png");
    m_fileAnswers = {png};
    App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP);
    ASSERT_EQ(m_fileDialogs.size(), 1u);
    EXPECT_EQ(m_fileDialogs[0].title, QStringLiteral("Save Bitmap as.."));
    EXPECT_EQ(m_fileDialogs[0].fileName, QStringLiteral("Quil1"));
    // No type remembered: the dialog opens with the first type, whose extension a bare name gets.
    const QStringList entries = QString::fromStdString(DialogFilter(ColourPictureTypes())).split(QStringLiteral(";;"));
    EXPECT_EQ(m_fileDialogs[0].selectedFilter, entries.first());
    EXPECT_EQ(m_fileDialogs[0].defaultSuffix, FirstSuffixOfFilter(entries.first()));
    QImage saved(png);
    ASSERT_EQ(saved.size(), QSize(300, 300));
    EXPECT_EQ(saved.pixel(150, 150) & 0xffffff, View()->SnapshotPicture().Pixel(150, 150) & 0xffffff);
    EXPECT_TRUE(m_boxes.empty());

    const QString bad = m_dir.filePath("picture.nosuchtype");
    m_fileAnswers = {bad};
    App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("Can not save bitmap \"%1\"\n(no encoder for this file extension)").arg(bad));
    EXPECT_EQ(m_boxes[0].caption, QStringLiteral("QUIL"));
    // Cancel does nothing.
    App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP);
    EXPECT_EQ(m_boxes.size(), 1u);
    // The type saved with last comes first next time, with its extension.
    EXPECT_EQ(m_store.GetProfileInt("Bitmap", "FilterLoad", 0), int(entries.indexOf(m_fileDialogs[0].selectedFilter)) + 1);
    const int tiff = int(entries.indexOf(QRegularExpression(QStringLiteral(".*\\*\\.tif .*"))));
    ASSERT_GE(tiff, 0);
    m_store.WriteProfileInt("Bitmap", "FilterLoad", tiff + 1);
    App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP);
    EXPECT_EQ(m_fileDialogs.back().selectedFilter, entries[tiff]);
    EXPECT_EQ(m_fileDialogs.back().defaultSuffix, QStringLiteral("tif"));

    // A FIFO, or a link to one, is no picture file and stays what it is.
    const std::string fifo = m_dir.filePath("fifo.png").toStdString();
    ASSERT_TRUE(special_files::MakeFifo(fifo));
    const QString link = m_dir.filePath("link.png");
    ASSERT_TRUE(QFile::link(QString::fromStdString(fifo), link));
    m_fileAnswers = {QString::fromStdString(fifo), link};
    {
        special_files::FifoWatchdog watchdog({fifo}, std::chrono::seconds(10));
        App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP);
        App().GetMainFrame()->ExecuteCommand(ID_SAVE_BITMAP);
        EXPECT_FALSE(watchdog.Fired());
    }
    ASSERT_EQ(m_boxes.size(), 3u);
    EXPECT_EQ(m_boxes[1].text, QStringLiteral("Can not save bitmap \"%1\"\n(It is not a regular file.)").arg(QString::fromStdString(fifo)));
    EXPECT_EQ(m_boxes[2].text, QStringLiteral("Can not save bitmap \"%1\"\n(It is not a regular file.)").arg(link));
    EXPECT_TRUE(special_files::IsFifo(fifo));
}

TEST_F(QuilViewTest, PrintingDrawsThePictureOnlyWhenItIsReady)
{
    Start();
    ASSERT_TRUE(WaitForPicture(Doc()));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_dir.filePath("page.pdf");
    printer.setOutputFileName(pdf);
    {
        QPainter painter(&printer);
        View()->PrintPage(printer, painter);
    }
    const qint64 withPicture = QFileInfo(pdf).size();
    Doc()->PictureReady = 0;
    {
        QPainter painter(&printer);
        View()->PrintPage(printer, painter);
    }
    const qint64 empty = QFileInfo(pdf).size();
    Doc()->PictureReady = 1;
    EXPECT_GT(withPicture, empty + 1000);  // the picture and the title make the page
}

TEST_F(QuilViewTest, PrintPreviewShowsThePictureItself)
{
    Start();
    ASSERT_TRUE(WaitForPicture(Doc()));
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [this](QPrinter* p) {
        QPainter painter(p);
        View()->PrintPage(*p, painter);
    });
    preview.resize(600, 800);
    preview.show();
    preview.fitInView();
    preview.updatePreview();
    ProcessEvents();
    const QImage shot = preview.grab().toImage();
    // The logo's corners: black top left, red top right, green bottom left, yellow bottom right.
    int red = 0, green = 0, yellow = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 220 && c.green() < 40 && c.blue() < 40;
            green += c.green() > 220 && c.red() < 40 && c.blue() < 40;
            yellow += c.red() > 220 && c.green() > 220 && c.blue() < 40;
        }
    EXPECT_GT(red, 0);
    EXPECT_GT(green, 0);
    EXPECT_GT(yellow, 0);
}

TEST_F(QuilViewTest, NoticesArriveQueuedOnTheInterfaceThreadAndOnlyWhileTheReceiverLives)
{
    std::vector<long> received;
    std::vector<quint64> serials;
    auto record = [&](const JobNotice& notice, quint64 serial) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        received.push_back(notice.Code());
        serials.push_back(serial);
    };
    {
        QObject owner;
        auto target = std::make_shared<QtNotifyTarget>(&owner, record);
        auto notifier = std::make_shared<QtJobNotifier>(target, 7);
        // Posted from a worker thread, delivered later on this one, in order.
        std::thread worker([&] {
            EXPECT_TRUE(notifier->Post(JobNotice::Progress(10)));
            EXPECT_TRUE(notifier->Post(JobNotice::Finished()));
        });
        worker.join();
        EXPECT_TRUE(received.empty());
        ProcessEvents();
        EXPECT_EQ(received, (std::vector<long>{10, 0}));
        EXPECT_EQ(serials, (std::vector<quint64>{7, 7}));
        // A notice still queued when the receiver goes is dropped with it.
        EXPECT_TRUE(notifier->Post(JobNotice::Aborted()));
    }
    ProcessEvents();
    EXPECT_EQ(received.size(), 2u);
}

TEST_F(QuilViewTest, LateNotificationForAGoneViewBeepsAndTouchesNothing)
{
    std::shared_ptr<QtJobNotifier> notifier;
    int calls = 0;
    {
        QObject owner;
        auto target = std::make_shared<QtNotifyTarget>(&owner, [&](const JobNotice&, quint64) { ++calls; });
        notifier = std::make_shared<QtJobNotifier>(target, 1);
        target->Detach();
    }
    EXPECT_FALSE(notifier->Post(JobNotice::Progress(10)));
    // A job posts through Notify, which beeps when the post fails.
    const int beeps = BeepsRequested();
    struct Idle : CThreadJob {
        int Run() override { return 1; }
    };
    auto job = std::make_shared<Idle>();
    job->m_pNotifier = notifier;
    job->Notify(JobNotice::Finished());
    EXPECT_EQ(BeepsRequested(), beeps + 1);
    ProcessEvents();
    EXPECT_EQ(calls, 0);
}

TEST_F(QuilViewTest, ReplacingOrClosingARunningJobIsQuiet)
{
    Start();
    CQuilDoc* doc = App().OnFileNew();
    const int beeps = BeepsRequested();
    // A calculation interrupted by the next one, and one interrupted by closing.
    doc->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, (3000u << 16) | 3000u);
    doc->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, (3000u << 16) | 2999u);
    ProcessEvents();
    App().CloseAllDocuments();
    ProcessEvents();
    EXPECT_EQ(App().Documents().size(), 0u);
    EXPECT_EQ(BeepsRequested(), beeps);
}

#ifdef QUIL_CLI_PATH
TEST_F(QuilViewTest, ShowsExactlyWhatQuilCliRenders)
{
    // A random expression, saved, opened and compared pixel for pixel.
    Start();
    App().OnFileNewRandom();
    CQuilDoc* doc = App().Documents().back();
    const QString quil = m_dir.filePath("random.quil");
    ASSERT_TRUE(doc->DoSave(quil, true));
    CQuilDoc* opened = App().OpenDocumentFile(quil);
    ASSERT_EQ(opened, doc);
    doc->UpdateAllViews(nullptr, HINT_DISPLAY_SIZE, (120u << 16) | 160u);
    ASSERT_TRUE(WaitForPicture(doc));
    const Picture shown = PictureViewOf(doc)->SnapshotPicture();

    const QString png = m_dir.filePath("cli.png");
    QProcess cli;
    cli.start(QStringLiteral(QUIL_CLI_PATH), {QStringLiteral("render"), quil, QStringLiteral("-o"), png,
                                              QStringLiteral("--size"), QStringLiteral("160x120")});
    ASSERT_TRUE(cli.waitForFinished(120000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QImage rendered = QImage(png).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(rendered.size(), QSize(shown.Width(), shown.Height()));
    int differing = 0;
    for (int r = 0; r < shown.Height(); ++r)
        for (int c = 0; c < shown.Width(); ++c)
            differing += (rendered.pixel(c, r) & 0xffffff) != (shown.Pixel(c, r) & 0xffffff);
    EXPECT_EQ(differing, 0);
}
#endif
