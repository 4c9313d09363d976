// The recipe in saved pictures: written for the types that take text, read
// back exactly, pixels untouched, and every other file answered soundly.

#include "tests/engine/SpecialFiles.h"

#include "engine/ProgramInfo.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/PictureRecipe.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <zlib.h>

namespace {

// A name with two spaces in a row, a line break, a no-break space, a per
// cent sign and a byte that is no UTF-8 (a Linux name may hold any): a writer
// that folds white space or decodes text would name another picture.
const std::string kRecipe = "rgb[X[],PIC[/tmp/my  photos/100%25 a\nb\u00a0c\xff.png],BW[-0.250000]]";
// Most recipes name no picture: they are stored exactly as they are.
const std::string kPlainRecipe = "sin[plus[X[],SPIRC[0.088473,-0.199561,0.497177]]]";

Picture Pattern()
{
    Picture picture;
    EXPECT_TRUE(picture.Create(40, 30));
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 40; ++c)
            picture.SetPixel(c, r, uint32_t((c * 6) << 16 | (r * 8) << 8 | (c + r)));
    return picture;
}

std::vector<std::string> RecipeExtensions()
{
    std::vector<std::string> extensions;
    for (const PictureFileType& type : RecipePictureTypes())
        extensions.push_back(type.extensions.front());
    return extensions;
}

class PictureRecipeTest : public testing::Test {
protected:
    std::string Path(const std::string& name) const { return QDir(m_dir.path()).filePath(QString::fromStdString(name)).toStdString(); }
    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(PictureRecipeTest, PngAndJpegCarryTheRecipeAndNothingElseChanges)
{
    const std::vector<std::string> extensions = RecipeExtensions();
    ASSERT_NE(std::find(extensions.begin(), extensions.end(), "png"), extensions.end());
    ASSERT_NE(std::find(extensions.begin(), extensions.end(), "jpg"), extensions.end());
    const Picture picture = Pattern();
    for (const std::string& extension : extensions) {
        SCOPED_TRACE(extension);
        const std::string with = Path("with." + extension);
        const std::string without = Path("without." + extension);
        ASSERT_EQ(SavePicture(picture, with, nullptr, kRecipe), kSaveOk);
        ASSERT_EQ(SavePicture(picture, without), kSaveOk);
        EXPECT_TRUE(HasRecipeSignature(with));

        std::string recipe;
        EXPECT_EQ(ReadPictureRecipe(with, recipe), RecipeResult::Found);
        EXPECT_EQ(recipe, kRecipe);
        EXPECT_EQ(ReadPictureRecipe(without, recipe), RecipeResult::None);
        EXPECT_EQ(recipe, "");

        QImageReader reader(QString::fromStdString(with));
        EXPECT_EQ(reader.text(QString::fromUtf8(kRecipeSoftwareKey)).toStdString(),
                  std::string(kProgramName) + " " + kProgramVersion);
        const std::string plain = Path("plain." + extension);
        ASSERT_EQ(SavePicture(picture, plain, nullptr, kPlainRecipe), kSaveOk);
        EXPECT_EQ(QImageReader(QString::fromStdString(plain)).text(QString::fromUtf8(kRecipeKey)).toStdString(),
                  kPlainRecipe);
        const QImage a = reader.read();
        const QImage b(QString::fromStdString(without));
        ASSERT_FALSE(a.isNull());
        EXPECT_EQ(a.convertToFormat(QImage::Format_RGB32), b.convertToFormat(QImage::Format_RGB32));
    }
}

TEST_F(PictureRecipeTest, TypesWithoutTextAreSavedPlainAndSayTheyHoldNone)
{
    const Picture picture = Pattern();
    for (const std::string extension : {"bmp", "ppm", "tif"}) {
        SCOPED_TRACE(extension);
        const std::string path = Path("plain." + extension);
        ASSERT_EQ(SavePicture(picture, path, nullptr, kRecipe), kSaveOk);
        EXPECT_FALSE(HasRecipeSignature(path));
        std::string recipe;
        EXPECT_EQ(ReadPictureRecipe(path, recipe), RecipeResult::None);
        Picture back;
        ASSERT_TRUE(ImageToPicture(QImage(QString::fromStdString(path)), back));
        EXPECT_EQ(back, picture);
    }
}

TEST_F(PictureRecipeTest, ARecipeTooLongForAJpegCommentIsLeftOutAndThePictureSaved)
{
    const Picture picture = Pattern();
    const std::string longest(kMaxJpegComment - std::string(kRecipeKey).size() - 2, 'x');
    std::string recipe;
    ASSERT_EQ(SavePicture(picture, Path("fits.jpg"), nullptr, longest), kSaveOk);
    EXPECT_EQ(ReadPictureRecipe(Path("fits.jpg"), recipe), RecipeResult::Found);
    EXPECT_EQ(recipe, longest);
    ASSERT_EQ(SavePicture(picture, Path("long.jpg"), nullptr, longest + "x"), kSaveOk);
    EXPECT_EQ(ReadPictureRecipe(Path("long.jpg"), recipe), RecipeResult::None);
    // PNG text has no such limit.
    const std::string big(200000, 'y');
    ASSERT_EQ(SavePicture(picture, Path("long.png"), nullptr, big), kSaveOk);
    EXPECT_EQ(ReadPictureRecipe(Path("long.png"), recipe), RecipeResult::Found);
    EXPECT_EQ(recipe, big);
}

TEST_F(PictureRecipeTest, OtherFilesAreAnsweredWithoutHangingOrReadingPastTheirEnd)
{
    std::string recipe;
    std::string reason;
    // Text, missing, a folder, a FIFO.
    QFile text(QString::fromStdString(Path("e.quil")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("sin[X[]]");
    text.close();
    EXPECT_EQ(ReadPictureRecipe(Path("e.quil"), recipe), RecipeResult::NotAPicture);
    EXPECT_FALSE(HasRecipeSignature(Path("e.quil")));
    EXPECT_EQ(ReadPictureRecipe(Path("missing.png"), recipe, &reason), RecipeResult::Unreadable);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(ReadPictureRecipe(m_dir.path().toStdString(), recipe), RecipeResult::Unreadable);
    const std::string fifo = Path("fifo.png");
    ASSERT_TRUE(special_files::MakeFifo(fifo));
    {
        special_files::FifoWatchdog watchdog({fifo}, std::chrono::seconds(10));
        EXPECT_EQ(ReadPictureRecipe(fifo, recipe), RecipeResult::Unreadable);
        EXPECT_FALSE(HasRecipeSignature(fifo));
        EXPECT_FALSE(watchdog.Fired());
    }

    // A JPEG cut inside its segments, or with a length that runs past the
    // end, holds no recipe; so does one whose comment is someone else's.
    ASSERT_EQ(SavePicture(Pattern(), Path("whole.jpg"), nullptr, kRecipe), kSaveOk);
    QFile whole(QString::fromStdString(Path("whole.jpg")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const qsizetype comment = bytes.indexOf(QByteArray(kRecipeKey));
    ASSERT_GT(comment, 4);
    for (const qsizetype cut : {qsizetype(3), qsizetype(5), comment, comment + 10}) {
        QFile part(QString::fromStdString(Path("cut.jpg")));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write(bytes.left(cut));
        part.close();
        EXPECT_EQ(ReadPictureRecipe(Path("cut.jpg"), recipe), RecipeResult::None) << cut;
    }
    QByteArray stretched = bytes;
    stretched[comment - 2] = char(0xff);  // the comment's length, high byte
    QFile odd(QString::fromStdString(Path("odd.jpg")));
    ASSERT_TRUE(odd.open(QIODevice::WriteOnly));
    odd.write(stretched);
    odd.close();
    EXPECT_EQ(ReadPictureRecipe(Path("odd.jpg"), recipe), RecipeResult::None);
    QImage foreign(8, 8, QImage::Format_RGB32);
    foreign.fill(Qt::red);
    foreign.setText(QStringLiteral("Description"), QStringLiteral("made elsewhere"));
    ASSERT_TRUE(foreign.save(QString::fromStdString(Path("foreign.jpg"))));
    EXPECT_EQ(ReadPictureRecipe(Path("foreign.jpg"), recipe), RecipeResult::None);
}

namespace {

// A PNG file as its chunks, to move and rewrite them as other programs do.
struct PngChunk {
    QByteArray type, data;
};

std::vector<PngChunk> SplitPng(const QByteArray& file)
{
    std::vector<PngChunk> chunks;
    for (qsizetype at = 8; at + 12 <= file.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(file.constData() + at);
        const qsizetype length = qsizetype(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
        chunks.push_back({file.mid(at + 4, 4), file.mid(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}

QByteArray BigEndian(uint32_t value)
{
    return QByteArray(1, char(value >> 24)) + char(value >> 16) + char(value >> 8) + char(value);
}

QByteArray JoinPng(const std::vector<PngChunk>& chunks, uint32_t lengthOverride = 0)
{
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    for (const PngChunk& chunk : chunks) {
        const QByteArray body = chunk.type + chunk.data;
        file += BigEndian(lengthOverride && chunk.type == "tEXt" ? lengthOverride : uint32_t(chunk.data.size()));
        file += body;
        file += BigEndian(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
    }
    return file;
}

QByteArray Deflate(const QByteArray& text)
{
    uLongf size = compressBound(uLong(text.size()));
    QByteArray out(qsizetype(size), '\0');
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.constData()),
                       uLong(text.size())),
              Z_OK);
    out.resize(qsizetype(size));
    return out;
}

}  // namespace

TEST_F(PictureRecipeTest, TextChunksCountWhereverAndHoweverAPngKeepsThem)
{
    ASSERT_EQ(SavePicture(Pattern(), Path("saved.png"), nullptr, kPlainRecipe), kSaveOk);
    QFile saved(QString::fromStdString(Path("saved.png")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    std::vector<PngChunk> chunks = SplitPng(saved.readAll());
    const QByteArray key = QByteArray(kRecipeKey) + '\0';
    std::erase_if(chunks, [&](const PngChunk& c) { return c.data.startsWith(key); });
    const auto iend = chunks.end() - 1;
    ASSERT_EQ(iend->type, "IEND");
    const QByteArray text(kPlainRecipe.c_str());
    const QByteArray itxtHead = key + QByteArray("\x01\x00", 2) + QByteArray("en\0", 3) + QByteArray("\0", 1);
    // After the image data, as plain, compressed and international text; and
    // behind another program's text with the same key that does not inflate.
    const std::vector<std::vector<PngChunk>> moved = {
        {{"tEXt", key + text}},
        {{"zTXt", key + '\0' + Deflate(text)}},
        {{"iTXt", itxtHead + Deflate(text)}},
        {{"zTXt", key + '\0' + QByteArray("not zlib")}, {"tEXt", QByteArray("Comment\0", 8) + "x"}, {"tEXt", key + text}},
    };
    for (size_t i = 0; i < moved.size(); ++i) {
        std::vector<PngChunk> file = chunks;
        file.insert(file.end() - 1, moved[i].begin(), moved[i].end());
        QFile out(QString::fromStdString(Path("moved.png")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(JoinPng(file));
        out.close();
        std::string recipe;
        EXPECT_EQ(ReadPictureRecipe(Path("moved.png"), recipe), RecipeResult::Found) << i;
        EXPECT_EQ(recipe, kPlainRecipe) << i;
    }

    // A text chunk that claims 2 GB in a small file, and a JPEG of 100,000
    // comments before its recipe: answered from what the file holds.
    std::vector<PngChunk> lying = chunks;
    lying.insert(lying.end() - 1, PngChunk{"tEXt", key + text});
    QFile out(QString::fromStdString(Path("lying.png")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(JoinPng(lying, 0x7ffffff0u));
    out.close();
    std::string recipe;
    EXPECT_EQ(ReadPictureRecipe(Path("lying.png"), recipe), RecipeResult::None);

    ASSERT_EQ(SavePicture(Pattern(), Path("c.jpg"), nullptr, kPlainRecipe), kSaveOk);
    QFile jpeg(QString::fromStdString(Path("c.jpg")));
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    QByteArray bytes = jpeg.readAll();
    bytes.insert(2, QByteArray("\xff\xfe\x00\x03x", 5).repeated(100000));
    QFile many(QString::fromStdString(Path("many.jpg")));
    ASSERT_TRUE(many.open(QIODevice::WriteOnly));
    many.write(bytes);
    many.close();
    EXPECT_EQ(ReadPictureRecipe(Path("many.jpg"), recipe), RecipeResult::Found);
    EXPECT_EQ(recipe, kPlainRecipe);
}
