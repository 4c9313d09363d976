// quil-cli render, random and formats, run as a user runs them; pictures are
// compared with the independent computation of RenderTestSupport.h.

#include "OrientedJpeg.h"
#include "RenderTestSupport.h"
#include "tests/CliProcess.h"

#include "render/pictureio/PictureIO.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace {

class QuilCli : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    CliRun Run(const QStringList& args) { return RunQuilCli(m_dir.path(), args); }
    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    void Write(const QString& name, const std::string& text) const
    {
        std::ofstream(Path(name).toStdString()) << text;
    }
    Picture Read(const QString& name) const
    {
        Picture p;
        EXPECT_TRUE(ImageToPicture(QImage(Path(name)), p, kMaxMarginedSide));
        return p;
    }
    QTemporaryDir m_dir;
};

const auto kLogo = [](double x, double y, Colour) { return Colour{x, y, -1}; };

}  // namespace

TEST_F(QuilCli, RenderGivesTheDefinedPixels)
{
    Write("logo.quil", "rgb[X[],Y[],BW[-1.000000]]");
    for (bool antiAlias : {false, true}) {
        QStringList args{"render", "logo.quil", "-o", "logo.png", "--size", "37x23"};
        if (antiAlias)
            args << "--antialias";
        const CliRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");  // not a terminal: nothing but errors
        EXPECT_EQ(Read("logo.png"), expected::Render(kLogo, 37, 23, antiAlias));
    }
    // The default size, and the reference renderer gives the same file content.
    ASSERT_EQ(Run({"render", "logo.quil", "-o", "a.png"}).status, 0);
    ASSERT_EQ(Run({"render", "logo.quil", "-o", "b.png", "--reference"}).status, 0);
    EXPECT_EQ(Read("a.png"), expected::Render(kLogo, 300, 300, false));
    EXPECT_EQ(Read("a.png"), Read("b.png"));
}

// eval's transcendental functions are not the C library's, but they stay
// within one unit in the last place of its values at random points.
TEST_F(QuilCli, EvalStaysWithinAUnitOfTheCLibrary)
{
    Write("f.quil", "rgb[sin[X[]],cos[Y[]],curt[X[]]]");
    std::mt19937_64 rng(23);
    std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
    std::vector<double> points(600);
    QStringList args{"eval", "f.quil"};
    for (double& v : points) {
        v = coordinate(rng);
        args << QString::number(v, 'g', 17);
    }
    const CliRun run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream out(run.out);
    const auto ordered = [](double v) {
        int64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return bits < 0 ? INT64_MIN - bits : bits;
    };
    for (size_t i = 0; i < points.size(); i += 2) {
        const double x = points[i], y = points[i + 1];
        const double expected[3] = {std::sin(M_PI * x), std::cos(M_PI * y),
                                    x >= 0 ? std::pow(x, 1.0 / 3.0) : -std::pow(-x, 1.0 / 3.0)};
        for (double want : expected) {
            double got = 0;
            ASSERT_TRUE(out >> got) << run.out;
            EXPECT_LE(std::abs(ordered(got) - ordered(want)), 1) << x << " " << y << ": " << got << " " << want;
        }
    }
}

TEST_F(QuilCli, MarginsComeAfterTheRender)
{
    Write("logo.quil", "rgb[X[],Y[],BW[-1.000000]]");
    ASSERT_EQ(Run({"render", "logo.quil", "-o", "m.bmp", "--size", "30x30", "--margins", "3"}).status, 0);
    const Picture got = Read("m.bmp");
    ASSERT_EQ(got.Width(), 45);
    ASSERT_EQ(got.Height(), 30);
    Picture want = expected::Render(kLogo, 30, 30, false);
    Picture padded(45, 30);
    padded.Draw(want, 7, 0);
    EXPECT_EQ(got, padded);
}

TEST_F(QuilCli, SourcePictureAtItsLoadedSize)
{
    QImage source(100, 50, QImage::Format_RGB32);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 100; ++c)
            source.setPixel(c, r, qRgb(c * 2, r * 5, 255 - c));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("pics"));
    ASSERT_TRUE(source.save(Path("pics/p.png")));
    Picture sourcePicture;
    ASSERT_TRUE(ImageToPicture(source, sourcePicture));
    const auto negate = [](double, double, Colour in) { return Colour{-in.r, -in.g, -in.b}; };
    const Picture want = expected::Render(negate, 300, 300, false, &sourcePicture);

    // The picture the file names, relative to the file's folder.
    Write("named.quil", "neg[PIC[pics/p.png]]");
    const CliRun named = Run({"render", "named.quil", "-o", "named.png"});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(Read("named.png"), want);

    // --picture overrides; --no-picture reads black (negated: white).
    Write("plain.quil", "neg[PIC[]]");
    ASSERT_EQ(Run({"render", "plain.quil", "-o", "over.png", "--picture", "pics/p.png"}).status, 0);
    EXPECT_EQ(Read("over.png"), want);
    ASSERT_EQ(Run({"render", "named.quil", "-o", "none.png", "--no-picture", "--size", "4x4"}).status, 0);
    Picture white(4, 4);
    white.Fill(0xffffff);
    EXPECT_EQ(Read("none.png"), white);
}

TEST_F(QuilCli, SourcePictureKeepsItsStoredOrientation)
{
    QImage stored(40, 20, QImage::Format_RGB32);
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 40; ++c)
            stored.setPixel(c, r, qRgb(c * 6, r * 12, 200 - c * 4));
    QFile file(Path("photo.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(JpegWithOrientation(stored, 6));
    file.close();
    // The pixels as decoded, not turned by the tag.
    QImageReader reader(Path("photo.jpg"));
    reader.setAutoTransform(false);
    Picture sourcePicture;
    ASSERT_TRUE(ImageToPicture(reader.read(), sourcePicture));
    ASSERT_EQ(sourcePicture.Width(), 40);
    const auto negate = [](double, double, Colour in) { return Colour{-in.r, -in.g, -in.b}; };
    Write("photo.quil", "neg[PIC[photo.jpg]]");
    const CliRun run = Run({"render", "photo.quil", "-o", "out.png", "--size", "40x20"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read("out.png"), expected::Render(negate, 40, 20, false, &sourcePicture));
}

TEST_F(QuilCli, FailuresSayWhatWentWrong)
{
    Write("named.quil", "neg[PIC[missing.png]]");
    CliRun run = Run({"render", "named.quil", "-o", "x.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Load picture '" + Path("missing.png").toStdString() + "' failed."), std::string::npos)
        << run.err;
    EXPECT_FALSE(QFile::exists(Path("x.png")));

    Write("logo.quil", "rgb[X[],Y[],BW[-1.000000]]");
    run = Run({"render", "logo.quil", "-o", "x.unknown"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Can not save bitmap \"x.unknown\"", 0), 0u) << run.err;

    // A missing output folder is made; one that cannot be is named in one line.
    run = Run({"render", "logo.quil", "-o", "new/folder/x.png", "--size", "4x4"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(QFile::exists(Path("new/folder/x.png")));
    run = Run({"random", "-o", "logo.quil/x.png", "--size", "4x4"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Can not create folder \"" + Path("logo.quil").toStdString() + "\": Not a directory\n");

    run = Run({"render", "logo.quil", "-o", "x.png", "--size", "16385x10"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Maximum resolution for x and y is 16384\n");

    for (const QStringList& bad : {QStringList{"render", "logo.quil", "-o", "x.png", "--size", "0x10"},
                                   QStringList{"render", "logo.quil", "-o", "x.png", "--margins", "5"},
                                   QStringList{"render", "logo.quil"},
                                   QStringList{"render", "-o", "x.png"},
                                   QStringList{"render", "logo.quil", "-o", "x.png", "--picture", "a", "--no-picture"},
                                   QStringList{"random", "-o", "x.png", "--seed", "-3"}}) {
        run = Run(bad);
        EXPECT_EQ(run.status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_FALSE(QFile::exists(Path("x.png")));

    // A file that cannot be read: the message, then the file and why.
    Write("broken.quil", "rgb[X[],");
    run = Run({"render", "broken.quil", "-o", "x.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error loading QUIL function\n" + Path("broken.quil").toStdString() +
                           ": not an expression: the text stops being one at character 8.\n");
    run = Run({"format", "gone.quil"});
    EXPECT_EQ(run.err.rfind("Error loading QUIL function\n" + Path("gone.quil").toStdString() + ": ", 0), 0u)
        << run.err;
    EXPECT_NE(run.err.find("No such file"), std::string::npos) << run.err;
}

TEST_F(QuilCli, RandomIsReproducibleAndWritesItsExpression)
{
    ASSERT_EQ(Run({"random", "-o", "r1.png", "--seed", "42", "--quil", "r1.quil", "--size", "64x48"}).status, 0);
    ASSERT_EQ(Run({"random", "-o", "r2.png", "--seed", "42", "--size", "64x48"}).status, 0);
    EXPECT_EQ(Read("r1.png"), Read("r2.png"));
    EXPECT_EQ(Read("r1.png").Width(), 64);
    // The expression is the one generate makes from the same seed.
    const CliRun generated = Run({"generate", "--seed", "42"});
    ASSERT_EQ(generated.status, 0);
    std::ifstream quil(Path("r1.quil").toStdString());
    std::string text((std::istreambuf_iterator<char>(quil)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text + "\n", generated.out);
    // Its picture is the picture of its file: every constant was made as the
    // file keeps it. (Seeds whose pictures once differed in thousands of pixels.)
    for (const char* seed : {"2", "4", "7", "42"}) {
        ASSERT_EQ(Run({"random", "-o", "r.png", "--seed", seed, "--quil", "r.quil", "--size", "200x150"}).status, 0);
        ASSERT_EQ(Run({"render", "r.quil", "-o", "f.png", "--size", "200x150"}).status, 0);
        EXPECT_EQ(Read("r.png"), Read("f.png")) << seed;
    }
}

TEST_F(QuilCli, FormatsListsBothDirections)
{
    const CliRun run = Run({"formats"});
    ASSERT_EQ(run.status, 0);
    const size_t readable = run.out.find("Readable");
    ASSERT_NE(readable, std::string::npos);
    const std::string writable = run.out.substr(0, readable);
    EXPECT_NE(writable.find("*.png"), std::string::npos);
    EXPECT_NE(writable.find("*.jpg;*.jpeg"), std::string::npos);
    EXPECT_EQ(writable.find("*.ico"), std::string::npos);
    EXPECT_NE(run.out.find("*.ico", readable), std::string::npos);
    EXPECT_NE(run.out.find("*.gif", readable), std::string::npos);
}

TEST_F(QuilCli, PicturesCarryTheirRecipeAndOpenAsTheirExpression)
{
    QImage source(20, 10, QImage::Format_RGB32);
    source.fill(qRgb(10, 200, 30));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("pics"));
    ASSERT_TRUE(source.save(Path("pics/my photo.png")));
    Write("e.quil", "rgb[X[],PIC[pics/my photo.png],BW[-0.250000]]");
    const CliRun original = Run({"format", "e.quil"});
    ASSERT_EQ(original.status, 0) << original.err;

    for (const char* type : {"png", "jpg"}) {
        SCOPED_TRACE(type);
        const QString out = QStringLiteral("out.%1").arg(QLatin1String(type));
        ASSERT_EQ(Run({"render", "e.quil", "-o", out, "--size", "24x24"}).status, 0);
        // Renamed, into another folder with its source picture, the .quil file
        // gone: the recipe names the source relative to the picture.
        const QString folder = QStringLiteral("moved-%1").arg(QLatin1String(type));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(folder + "/pics"));
        ASSERT_TRUE(QFile::copy(Path("pics/my photo.png"), Path(folder + "/pics/my photo.png")));
        const QString moved = folder + "/renamed." + QLatin1String(type);
        ASSERT_TRUE(QFile::rename(Path(out), Path(moved)));
        const CliRun recipe = Run({"format", moved});
        ASSERT_EQ(recipe.status, 0) << recipe.err;
        EXPECT_EQ(recipe.out, "rgb[X[],PIC[pics/my photo.png],BW[-0.250000]]\n");
        // render and eval take the picture wherever they take a .quil file.
        ASSERT_EQ(Run({"render", moved, "-o", "again.png", "--size", "24x24"}).status, 0);
        ASSERT_EQ(Run({"render", "e.quil", "-o", "direct.png", "--size", "24x24"}).status, 0);
        EXPECT_EQ(Read("again.png"), Read("direct.png"));
        const CliRun eval = Run({"eval", moved, "0.5", "0.5"});
        EXPECT_EQ(eval.status, 0) << eval.err;
        EXPECT_EQ(eval.out, Run({"eval", "e.quil", "0.5", "0.5"}).out);
    }
    // The recipe changes no pixel.
    ASSERT_EQ(Run({"render", "e.quil", "-o", "plain.png", "--size", "24x24", "--no-recipe"}).status, 0);
    EXPECT_EQ(Read("plain.png"), Read("direct.png"));

    // A source outside the picture's folder: the recipe keeps its file name
    // alone, no folder of the person's, and the picture reopens with the
    // source beside it.
    ASSERT_EQ(Run({"render", "e.quil", "-o", "shared/out.png", "--size", "24x24"}).status, 0);
    EXPECT_EQ(Run({"format", "shared/out.png"}).out, "rgb[X[],PIC[my photo.png],BW[-0.250000]]\n");
    ASSERT_TRUE(QFile::copy(Path("pics/my photo.png"), Path("shared/my photo.png")));
    ASSERT_EQ(Run({"render", "shared/out.png", "-o", "reopened.png", "--size", "24x24"}).status, 0);
    EXPECT_EQ(Read("reopened.png"), Read("direct.png"));
}

TEST_F(QuilCli, PicturesWithoutARecipeSaySo)
{
    Write("e.quil", "sin[X[]]");
    ASSERT_EQ(Run({"render", "e.quil", "-o", "none.png", "--size", "8x8", "--no-recipe"}).status, 0);
    ASSERT_EQ(Run({"random", "-o", "none.jpg", "--size", "8x8", "--no-recipe", "--seed", "3"}).status, 0);
    ASSERT_EQ(Run({"render", "e.quil", "-o", "plain.bmp", "--size", "8x8"}).status, 0);
    QImage foreign(8, 8, QImage::Format_RGB32);
    foreign.fill(Qt::blue);
    ASSERT_TRUE(foreign.save(Path("foreign.png")));
    for (const char* name : {"none.png", "none.jpg", "plain.bmp", "foreign.png"}) {
        SCOPED_TRACE(name);
        for (const char* command : {"format", "render"}) {
            QStringList args{command, name};
            if (std::string(command) == "render")
                args << "-o" << "x.png";
            const CliRun run = Run(args);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, "This picture holds no Quil expression\n");
        }
    }
    EXPECT_FALSE(QFile::exists(Path("x.png")));
    // A .quil file that does not parse keeps its message, whatever it looks like.
    Write("broken.quil", "sin[X[");
    EXPECT_EQ(Run({"format", "broken.quil"}).err.rfind("Error loading QUIL function\n", 0), 0u);
    // random writes the recipe by default.
    ASSERT_EQ(Run({"random", "-o", "r.png", "--size", "8x8", "--seed", "3", "--quil", "r.quil"}).status, 0);
    EXPECT_EQ(Run({"format", "r.png"}).out, Run({"format", "r.quil"}).out);
}
