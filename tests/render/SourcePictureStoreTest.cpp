// The source-picture store: loading, the cut at 16384, black, stretching.

#include "render/pictureio/PictureIO.h"
#include "render/RenderMessages.h"
#include "render/pictureio/SourcePictureStore.h"

#include "engine/EngineHost.h"

#include "tests/engine/SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RecordingHost : public SilentEngineHost {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override
    {
        messages.push_back(text);
        captions.push_back(caption);
    }
    std::vector<std::string> messages, captions;
};

class Store : public testing::Test {
protected:
    std::string Path(const char* name) const { return QDir(m_dir.path()).filePath(name).toStdString(); }
    std::string SaveImage(const QImage& image, const char* name) const
    {
        const std::string path = Path(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }
    bool IsBlack(const Picture& p) const
    {
        for (int r = 0; r < p.Height(); ++r)
            for (int c = 0; c < p.Width(); ++c)
                if (p.Pixel(c, r) != 0)
                    return false;
        return true;
    }
    QTemporaryDir m_dir;
    RecordingHost m_host;
    SourcePictureStore m_store{&m_host};
};

}  // namespace

TEST_F(Store, StartsBlackAtTheDisplaySize)
{
    EXPECT_FALSE(m_store.IsLoaded());
    EXPECT_EQ(m_store.SourcePicture()->Width(), kDefaultDisplaySide);
    EXPECT_TRUE(IsBlack(*m_store.SourcePicture()));
    EXPECT_EQ(m_store.StatusText(), "No picture loaded");
    m_store.SetDisplaySize(40, 30);
    EXPECT_EQ(m_store.SourcePicture()->Width(), 40);
    EXPECT_EQ(m_store.SourcePicture()->Height(), 30);
    const auto thumb = m_store.GetThumbPicture(kDefaultThumbSide);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->Width(), kDefaultThumbSide);
    EXPECT_TRUE(IsBlack(*thumb));
}

TEST_F(Store, LoadsAnyReadableTypeAndReportsItsSize)
{
    QImage image(1024, 768, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    for (int r = 764; r < 768; ++r)
        for (int c = 1020; c < 1024; ++c)
            image.setPixel(c, r, qRgb(255, 0, 0));
    m_store.SetSourcePicturePath(SaveImage(image, "photo.bmp"));
    ASSERT_EQ(m_store.LoadSourcePicture(), kLoadPictureOk);
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_TRUE(m_store.IsLoaded());
    EXPECT_EQ(m_store.StatusText(), "PIC (1024 x 768): " + m_store.SourcePicturePath());
    const auto source = m_store.SourcePicture();
    EXPECT_EQ(source->Width(), 1024);
    EXPECT_EQ(source->Pixel(1023, 767), 0xff0000u);
    EXPECT_EQ(source->Pixel(0, 0), 0x0a141eu);
    // Squeezed to the display size for the view.
    const auto scaled = m_store.GetScaledPicture(300, 300);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->Width(), 300);
    EXPECT_EQ(scaled->Pixel(299, 299), 0xff0000u);
    EXPECT_EQ(scaled->Pixel(298, 298), 0x0a141eu);
    EXPECT_EQ(scaled->Pixel(0, 0), 0x0a141eu);
}

TEST_F(Store, CutsSidesAbove16384AndSqueezesTheWhole)
{
    // 20000 x 100: blue up to column 16383, red beyond.
    QImage image(20000, 100, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 255));
    for (int r = 0; r < 100; ++r)
        for (int c = kMaxPictureSide; c < 20000; ++c)
            image.setPixel(c, r, qRgb(255, 0, 0));
    m_store.SetSourcePicturePath(SaveImage(image, "wide.png"));
    ASSERT_EQ(m_store.LoadSourcePicture(), kLoadPictureOk);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0], "Maximum resolution for x and y is 16384");
    EXPECT_EQ(m_host.captions[0], "Quil");
    const auto source = m_store.SourcePicture();
    EXPECT_EQ(source->Width(), kMaxPictureSide);
    EXPECT_EQ(source->Height(), 100);
    EXPECT_EQ(source->Pixel(kMaxPictureSide - 1, 99), 0x0000ffu);
    EXPECT_EQ(m_store.LoadedWidth(), 20000);
    EXPECT_EQ(m_store.StatusText().rfind("PIC (20000 x 100): ", 0), 0u);

    // The stretched copies show all of it, whichever size is asked for later.
    for (int side : {300, 128}) {
        const auto scaled = m_store.GetScaledPicture(side, side);
        ASSERT_TRUE(scaled);
        EXPECT_EQ(scaled->Pixel(side - 1, 0), 0xff0000u);
        EXPECT_EQ(scaled->Pixel(0, 0), 0x0000ffu);
    }
}

TEST_F(Store, FailedLoadIsReportedAndLeavesBlack)
{
    m_store.SetDisplaySize(50, 40);
    m_store.SetSourcePicturePath(Path("missing.png"));
    EXPECT_EQ(m_store.LoadSourcePicture(), kLoadPictureFailed);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0], "Load picture '" + Path("missing.png") + "' failed.\n");
    EXPECT_TRUE(m_store.SourcePicturePath().empty());
    EXPECT_FALSE(m_store.IsLoaded());
    EXPECT_EQ(m_store.StatusText(), "No picture loaded");
    EXPECT_EQ(m_store.SourcePicture()->Width(), 50);
    EXPECT_TRUE(IsBlack(*m_store.SourcePicture()));

    // Not a picture at all.
    QFile junk(QString::fromStdString(Path("junk.png")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("definitely not a png");
    junk.close();
    m_store.SetSourcePicturePath(Path("junk.png"));
    EXPECT_EQ(m_store.LoadSourcePicture(), kLoadPictureFailed);
    EXPECT_EQ(m_host.messages.size(), 2u);
}

TEST_F(Store, OnlyRegularFilesAreReadAndNothingBlocks)
{
    using namespace special_files;
    const std::string fifo = Path("fifo.png");
    ASSERT_TRUE(MakeFifo(fifo));
    std::vector<std::string> refused = {fifo, Path("")};
    if (MakeCharDevice(Path("zero.png"), 1, 5))
        refused.push_back(Path("zero.png"));
    for (const std::string& path : refused) {
        m_host.messages.clear();
        m_store.SetSourcePicturePath(path);
        FifoWatchdog watchdog({fifo}, std::chrono::seconds(10));
        EXPECT_EQ(m_store.LoadSourcePicture(), kLoadPictureFailed) << path;
        EXPECT_FALSE(watchdog.Fired()) << path;
        EXPECT_EQ(m_host.messages, std::vector<std::string>{"Load picture '" + path + "' failed.\n"});
        EXPECT_FALSE(m_store.IsLoaded());
    }
    // Every type that can be saved loads back from the open file.
    for (const PictureFileType& type : WritablePictureTypes()) {
        const std::string name = Path(("all." + type.extensions.front()).c_str());
        ASSERT_EQ(SavePicture(Picture(6, 5), name), kSaveOk);
        m_store.SetSourcePicturePath(name);
        EXPECT_EQ(m_store.LoadSourcePicture(), kLoadPictureOk) << type.description;
        EXPECT_EQ(m_store.LoadedWidth(), 6) << type.description;
    }
    // The content decides when the extension does not fit it.
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(image.save(QString::fromStdString(Path("png.jpg")), "PNG"));
    m_store.SetSourcePicturePath(Path("png.jpg"));
    EXPECT_EQ(m_store.LoadSourcePicture(), kLoadPictureOk);
    EXPECT_EQ(m_store.SourcePicture()->Pixel(2, 1), 0x010203u);
}

TEST_F(Store, LockedAndPathlessLoadsChangeNothing)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    m_store.SetSourcePicturePath(SaveImage(image, "small.png"));
    ASSERT_EQ(m_store.LoadSourcePicture(), kLoadPictureOk);
    const auto before = m_store.SourcePicture();
    m_store.SetPictureLocked(true);
    EXPECT_EQ(m_store.LoadSourcePicture(), kLoadPictureLocked);
    EXPECT_EQ(m_store.SourcePicture(), before);
    m_store.SetPictureLocked(false);
    m_store.SetSourcePicturePath("");
    EXPECT_EQ(m_store.LoadSourcePicture(), kLoadPictureNoPath);
    EXPECT_EQ(m_store.SourcePicture(), before);
    EXPECT_TRUE(m_host.messages.empty());

    m_store.UnloadPicture();
    EXPECT_FALSE(m_store.IsLoaded());
    EXPECT_TRUE(IsBlack(*m_store.SourcePicture()));
    EXPECT_EQ(before->Pixel(0, 0), 0x010203u);  // a job holding the old picture still reads it
}

TEST_F(Store, CopiesAreCachedPerSizeAndNeverChangedUnderAHolder)
{
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(qRgb(9, 9, 9));
    m_store.SetSourcePicturePath(SaveImage(image, "ten.png"));
    ASSERT_EQ(m_store.LoadSourcePicture(), kLoadPictureOk);
    const auto a = m_store.GetScaledPicture(30, 20);
    EXPECT_EQ(m_store.GetScaledPicture(30, 20), a);  // same size: no new stretch
    const auto b = m_store.GetScaledPicture(31, 20);
    EXPECT_NE(b, a);
    EXPECT_EQ(a->Width(), 30);  // the first holder's copy is untouched
    EXPECT_EQ(m_store.GetThumbPicture(24), m_store.GetThumbPicture(24));
}

TEST(StretchNearest, DropsAndRepeatsWithoutBlending)
{
    const uint32_t src[2 * 2] = {0x000001, 0x000002, 0x000003, 0x000004};
    Picture up;
    ASSERT_TRUE(StretchNearest(src, 2, 2, 2, up, 4, 4));
    const uint32_t want[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(up.Pixel(c, r), want[r][c]) << c << "," << r;

    const uint32_t row[5] = {0xff000010, 0x20, 0x30, 0x40, 0x50};
    Picture down;
    ASSERT_TRUE(StretchNearest(row, 5, 1, 5, down, 2, 1));
    EXPECT_EQ(down.Pixel(0, 0), 0x20u);  // centres of the two halves: columns 1 and 3
    EXPECT_EQ(down.Pixel(1, 0), 0x40u);
    ASSERT_TRUE(StretchNearest(row, 5, 1, 5, down, 1, 1));
    EXPECT_EQ(down.Pixel(0, 0), 0x30u);
    ASSERT_TRUE(StretchNearest(row, 1, 1, 5, down, 3, 2));
    EXPECT_EQ(down.Pixel(2, 1), 0x10u);  // the top byte is cleared
}

TEST(Messages, PlaceholdersAreFilledSafely)
{
    EXPECT_EQ(FillMessage(kMsgCanNotSaveBitmap, "a%sb%d.png"), "Can not save bitmap \"a%sb%d.png\"");
    EXPECT_EQ(FillMessage(kMsgMaxResolution, 16384), "Maximum resolution for x and y is 16384");
    EXPECT_EQ(FillPictureStatus(3, 4, "/p/%d.png"), "PIC (3 x 4): /p/%d.png");
}
