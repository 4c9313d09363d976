// Picture files: saving by extension, the type lists, the conversions.

#include "render/pictureio/PictureIO.h"

#include "tests/engine/SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

Picture Pattern(int width, int height)
{
    Picture p(width, height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            p.SetPixel(c, r, uint32_t(((c * 7) & 255) << 16 | ((r * 11) & 255) << 8 | ((c ^ r) & 255)));
    return p;
}

QByteArray Head(const QString& path, int bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(bytes);
}

class PictureFiles : public testing::Test {
protected:
    std::string Path(const char* name) const { return QDir(m_dir.path()).filePath(name).toStdString(); }
    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(PictureFiles, PngRoundTripsExactly)
{
    const Picture p = Pattern(41, 17);
    ASSERT_EQ(SavePicture(p, Path("a.png")), kSaveOk);
    EXPECT_EQ(Head(QString::fromStdString(Path("a.png")), 4), QByteArray("\x89PNG", 4));
    QImage back(QString::fromStdString(Path("a.png")));
    ASSERT_EQ(back.width(), 41);
    ASSERT_EQ(back.height(), 17);
    EXPECT_FALSE(back.hasAlphaChannel());
    Picture read;
    ASSERT_TRUE(ImageToPicture(back, read));
    EXPECT_EQ(read, p);
}

TEST_F(PictureFiles, ExtensionChoosesTheEncoderWithoutRegardToCase)
{
    const Picture p = Pattern(16, 16);
    ASSERT_EQ(SavePicture(p, Path("b.JPG")), kSaveOk);
    EXPECT_EQ(Head(QString::fromStdString(Path("b.JPG")), 3), QByteArray("\xff\xd8\xff", 3));
    ASSERT_EQ(SavePicture(p, Path("c.Bmp")), kSaveOk);
    EXPECT_EQ(Head(QString::fromStdString(Path("c.Bmp")), 2), QByteArray("BM"));
    ASSERT_EQ(SavePicture(p, Path("d.jpe")), kSaveOk);  // a JPEG pattern Qt itself would not guess
    EXPECT_EQ(Head(QString::fromStdString(Path("d.jpe")), 3), QByteArray("\xff\xd8\xff", 3));
}

TEST_F(PictureFiles, FailuresReportAndDestroyNothing)
{
    const Picture p = Pattern(8, 8);
    EXPECT_EQ(SavePicture(p, Path("e.xyz")), kSaveUnknownType);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("e.xyz"))));
    EXPECT_EQ(SavePicture(p, Path("noextension")), kSaveUnknownType);
    EXPECT_EQ(SavePicture(p, Path("dir.png/name")), kSaveUnknownType);  // the dot is in a folder name
    EXPECT_EQ(SavePicture(p, Path("missing/f.png")), kSaveOpenFailed);
    EXPECT_EQ(SavePicture(Picture(0, 5), Path("g.png")), kSaveEmptyPicture);

    // An encoder that refuses (WebP has no room for 20000 pixels) leaves the old file.
    ASSERT_EQ(SavePicture(p, Path("h.webp")), kSaveOk);
    const QByteArray before = Head(QString::fromStdString(Path("h.webp")), 1 << 20);
    Picture wide;
    ASSERT_TRUE(wide.CreateWithLimit(20000, 2, kMaxMarginedSide));
    EXPECT_NE(SavePicture(wide, Path("h.webp")), kSaveOk);
    EXPECT_EQ(Head(QString::fromStdString(Path("h.webp")), 1 << 20), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).filter("h.webp").size(), 1);  // no leftovers
}

TEST_F(PictureFiles, OnlyRegularFilesOrNewNamesAreWritten)
{
    using namespace special_files;
    const Picture p = Pattern(8, 8);
    const std::string fifo = Path("fifo.png");
    ASSERT_TRUE(MakeFifo(fifo));
    ASSERT_TRUE(QFile::link(QString::fromStdString(fifo), QString::fromStdString(Path("to-fifo.png"))));
    {
        FifoWatchdog watchdog({fifo}, std::chrono::seconds(10));
        std::string reason;
        EXPECT_EQ(SavePicture(p, fifo, &reason), kSaveNotAFile);
        EXPECT_EQ(reason, "It is not a regular file.");
        EXPECT_EQ(SavePicture(p, Path("to-fifo.png")), kSaveNotAFile);
        EXPECT_FALSE(watchdog.Fired());
    }
    EXPECT_TRUE(IsFifo(fifo));
    EXPECT_EQ(SavePicture(p, m_dir.path().toStdString() + "/."), kSaveUnknownType);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.png"));
    EXPECT_EQ(SavePicture(p, Path("folder.png")), kSaveNotAFile);

    // A link to a regular file or to a new name writes there and stays a link.
    ASSERT_EQ(SavePicture(p, Path("real.png")), kSaveOk);
    ASSERT_TRUE(QFile::link("real.png", QString::fromStdString(Path("alias.png"))));
    ASSERT_TRUE(QFile::link("new.png", QString::fromStdString(Path("dangling.png"))));
    const Picture other = Pattern(5, 3);
    EXPECT_EQ(SavePicture(other, Path("alias.png")), kSaveOk);
    EXPECT_EQ(SavePicture(other, Path("dangling.png")), kSaveOk);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("alias.png"))).isSymLink());
    EXPECT_EQ(QImage(QString::fromStdString(Path("real.png"))).size(), QSize(5, 3));
    EXPECT_EQ(QImage(QString::fromStdString(Path("new.png"))).size(), QSize(5, 3));
    ASSERT_TRUE(QFile::link("loop.png", QString::fromStdString(Path("loop.png"))));
    EXPECT_EQ(SavePicture(p, Path("loop.png")), kSaveNotAFile);

    const std::string device = Path("device.png");
    if (!MakeCharDevice(device, 1, 3))
        GTEST_SKIP() << "no device node can be made here";
    ASSERT_TRUE(QFile::link(QString::fromStdString(device), QString::fromStdString(Path("to-device.png"))));
    EXPECT_EQ(SavePicture(p, device), kSaveNotAFile);
    EXPECT_EQ(SavePicture(p, Path("to-device.png")), kSaveNotAFile);
    EXPECT_TRUE(IsCharDevice(device));
}

TEST_F(PictureFiles, EveryWritableTypeSavesWithoutAlpha)
{
    const Picture p = Pattern(24, 12);
    for (const PictureFileType& type : WritablePictureTypes()) {
        SCOPED_TRACE(type.description);
        ASSERT_FALSE(type.extensions.empty());
        const std::string name = Path(("all." + type.extensions.front()).c_str());
        ASSERT_EQ(SavePicture(p, name), kSaveOk);
        QImageReader reader(QString::fromStdString(name));
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(back.size(), QSize(24, 12));
        EXPECT_FALSE(back.hasAlphaChannel());
    }
}

TEST(PictureTypes, ExporterFilterListsColourTypesWithoutIcons)
{
    const std::vector<PictureFileType> types = WritablePictureTypes();
    bool jpeg = false, png = false;
    for (const PictureFileType& type : types) {
        for (const std::string& ext : type.extensions) {
            EXPECT_NE(ext, "ico");
            EXPECT_NE(ext, "cur");
            EXPECT_NE(ext, "icns");
        }
        jpeg |= type.PatternList().rfind("*.jpg;*.jpeg", 0) == 0;
        png |= type.PatternList() == "*.png";
    }
    EXPECT_TRUE(jpeg);
    EXPECT_TRUE(png);

    // The lists offered leave out the writers that would drop the colours,
    // which still write a name given with their extension.
    const std::vector<PictureFileType> colour = ColourPictureTypes();
    const auto offers = [](const std::vector<PictureFileType>& list, const std::string& ext) {
        return std::any_of(list.begin(), list.end(), [&ext](const PictureFileType& t) {
            return std::find(t.extensions.begin(), t.extensions.end(), ext) != t.extensions.end();
        });
    };
    for (const char* grey : {"pbm", "pgm", "xbm", "wbmp"}) {
        EXPECT_FALSE(offers(colour, grey)) << grey;
        EXPECT_EQ(IsWritableExtension(grey), offers(types, grey)) << grey;
    }
    for (const char* kept : {"png", "jpg", "bmp", "ppm", "tif"})
        EXPECT_TRUE(offers(colour, kept)) << kept;

    // "description (patterns)|patterns|..." with the two halves agreeing.
    const std::string filter = ExporterFilter();
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(filter.substr(start, bar - start));
    parts.push_back(filter.substr(start));
    ASSERT_EQ(parts.size(), 2 * colour.size());
    for (size_t i = 0; i < colour.size(); ++i) {
        EXPECT_EQ(parts[2 * i], colour[i].description + " (" + colour[i].PatternList() + ")");
        EXPECT_EQ(parts[2 * i + 1], colour[i].PatternList());
    }
}

TEST(PictureTypes, ImporterFilterOffersIconsButDropsDoNot)
{
    EXPECT_NE(ImporterFilter().find("*.ico"), std::string::npos);
    EXPECT_EQ(ExporterFilter().find("*.ico"), std::string::npos);
    EXPECT_EQ(IsPictureExtension("png"), 1);
    EXPECT_EQ(IsPictureExtension("PNG"), 1);
    EXPECT_EQ(IsPictureExtension("jpeg"), 1);
    EXPECT_EQ(IsPictureExtension("gif"), 1);  // readable, not writable
    EXPECT_EQ(IsPictureExtension("ico"), 0);
    EXPECT_EQ(IsPictureExtension("quil"), 0);
    EXPECT_EQ(IsPictureExtension("QUIL"), 0);
    EXPECT_EQ(IsPictureExtension(""), 0);
    EXPECT_EQ(DialogFilter({{"JPEG image", {"jpg", "jpeg"}, "jpeg"}, {"PNG image", {"png"}, "png"}}),
              "JPEG image (*.jpg *.jpeg);;PNG image (*.png)");
}

TEST(PictureTypes, TheLoadListStartsWithAllPictures)
{
    const std::vector<PictureFileType> types = PictureLoadTypes();
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types[0].description, "All pictures");
    // Every pattern of every readable type, icons included, once.
    size_t listed = 0;
    for (size_t i = 1; i < types.size(); ++i)
        for (const std::string& extension : types[i].extensions) {
            EXPECT_NE(std::find(types[0].extensions.begin(), types[0].extensions.end(), extension),
                      types[0].extensions.end())
                << extension;
            ++listed;
        }
    EXPECT_LE(types[0].extensions.size(), listed);
    EXPECT_EQ(std::count(types[0].extensions.begin(), types[0].extensions.end(), "png"), 1);
    EXPECT_EQ(std::count(types[0].extensions.begin(), types[0].extensions.end(), "ico"), 1);
    EXPECT_EQ(DialogFilter(types).rfind("All pictures (*.", 0), 0u);
}

TEST(PictureTypes, FileExtensionLooksAtTheNameOnly)
{
    EXPECT_EQ(FileExtension("x.PNG"), "PNG");
    EXPECT_EQ(FileExtension("/a/b.c/d"), "");
    EXPECT_EQ(FileExtension("/a/b.c/d.tar.gz"), "gz");
    EXPECT_EQ(FileExtension("name."), "");
    EXPECT_EQ(FileExtension(""), "");
}

TEST(PictureConversion, TransparencyIsLaidOnBlackAndSidesAreCut)
{
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 128, 0, 255));
    image.setPixel(1, 0, qRgba(255, 255, 255, 0));
    image.setPixel(2, 0, qRgba(200, 100, 50, 128));
    Picture p;
    ASSERT_TRUE(ImageToPicture(image, p));
    EXPECT_EQ(p.Pixel(0, 0), 0xff8000u);
    EXPECT_EQ(p.Pixel(1, 0), 0u);
    const uint32_t half = p.Pixel(2, 0);
    EXPECT_NEAR(double((half >> 16) & 255), 100.0, 1.0);
    EXPECT_NEAR(double((half >> 8) & 255), 50.0, 1.0);

    QImage grey(5, 4, QImage::Format_Grayscale8);
    grey.fill(200);
    ASSERT_TRUE(ImageToPicture(grey, p, 3));
    EXPECT_EQ(p.Width(), 3);
    EXPECT_EQ(p.Height(), 3);
    EXPECT_EQ(p.Pixel(2, 2), 0xc8c8c8u);

    const QImage wrapped = WrapPicture(p);
    EXPECT_EQ(wrapped.constBits(), reinterpret_cast<const uchar*>(p.Bits()));  // no copy
    EXPECT_EQ(wrapped.pixel(1, 1), qRgb(200, 200, 200));
}

TEST(PictureConversion, ASharedImageKeepsThePictureAliveAndCopiesNothing)
{
    auto picture = std::make_shared<Picture>(3, 2);
    picture->SetPixel(2, 1, 0x00123456u);
    const uint32_t* bits = picture->Bits();
    std::weak_ptr<Picture> watch = picture;
    QImage image = ShareAsImage(std::move(picture));
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.constBits(), reinterpret_cast<const uchar*>(bits));  // the picture's own memory
    EXPECT_EQ(image.pixel(2, 1), 0xff123456u);                           // opaque, as RGB32 promises
    EXPECT_EQ(image.pixel(0, 0), 0xff000000u);
    EXPECT_FALSE(watch.expired());  // the image holds it
    QImage copy = image;            // shared, still no copy of the pixels
    image = QImage();
    EXPECT_FALSE(watch.expired());
    copy = QImage();
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(ShareAsImage(std::make_shared<Picture>()).isNull());
}
