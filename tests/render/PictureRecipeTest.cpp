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
