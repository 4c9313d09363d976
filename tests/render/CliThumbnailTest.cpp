// quil-cli thumbnail as a file manager runs it: the PNG it writes whatever the
// output is called, its pixels against quil-cli render and the independent
// computation, the stretched source picture, and arguments and files that are
// wrong. Every run has a time limit, so a command that blocks fails the test.

#include "RenderTestSupport.h"
#include "tests/CliProcess.h"
#include "tests/engine/SpecialFiles.h"

#include "render/pictureio/PictureIO.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace {

using namespace special_files;

constexpr int kTimeLimitMs = 60000;
const std::string kErrorLoading = "Error loading QUIL function\n";
const auto kLogo = [](double x, double y, Colour) { return Colour{x, y, -1}; };
const auto kNegate = [](double, double, Colour in) { return Colour{-in.r, -in.g, -in.b}; };

class CliThumbnail : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Write("logo.quil", "rgb[X[],Y[],BW[-1.000000]]");
    }
    CliRun Run(const QStringList& args) { return RunQuilCli(m_dir.path(), args, kTimeLimitMs); }
    std::string Path(const QString& name) const { return QDir(m_dir.path()).filePath(name).toStdString(); }
    bool Exists(const QString& name) const { return QFile::exists(QString::fromStdString(Path(name))); }
    void Write(const QString& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string ReadBytes(const QString& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The picture of a file that must be a PNG, whatever its name says.
    Picture ReadPng(const QString& name) const
    {
        EXPECT_EQ(ReadBytes(name).substr(0, 8), "\x89PNG\r\n\x1a\n") << name.toStdString();
        QImageReader reader(QString::fromStdString(Path(name)), "png");
        Picture p;
        EXPECT_TRUE(ImageToPicture(reader.read(), p)) << name.toStdString();
        return p;
    }
    int LeftoverTemporaries() const
    {
        return int(QDir(m_dir.path()).entryList(QStringList{".quil-save-*"}, QDir::Files | QDir::Hidden).size());
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(CliThumbnail, SquarePngOfTheDefinedPixelsWhateverTheOutputIsCalled)
{
    // The smallest and largest sides, and names without or with another extension.
    const std::vector<std::pair<int, QString>> cases = {
        {1, "one.png"}, {37, "thumb"}, {37, "thumb.jpg"}, {1024, "big.bmp"}};
    for (const auto& [side, out] : cases) {
        const CliRun run = Run({"thumbnail", "logo.quil", out, QString::number(side)});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(ReadPng(out), expected::Render(kLogo, side, side, false)) << out.toStdString();
    }
    // An existing file is replaced whole; no temporary stays behind.
    Write("old.png", "old bytes");
    ASSERT_EQ(Run({"thumbnail", "logo.quil", "old.png", "5"}).status, 0);
    EXPECT_EQ(ReadPng("old.png"), expected::Render(kLogo, 5, 5, false));
    EXPECT_EQ(LeftoverTemporaries(), 0);
}

TEST_F(CliThumbnail, RandomTreesGiveWhatRenderGivesAtThatSize)
{
    std::istringstream trees(Run({"generate", "--count", "4", "--seed", "16"}).out);
    std::string tree;
    int n = 0;
    while (std::getline(trees, tree)) {
        const QString file = QString("t%1.quil").arg(++n);
        Write(file, tree);
        const CliRun thumb = Run({"thumbnail", file, file + ".thumb", "64"});
        ASSERT_EQ(thumb.status, 0) << thumb.err;
        const CliRun render = Run({"render", file, "-o", file + ".png", "--size", "64x64"});
        ASSERT_EQ(render.status, 0) << render.err;
        const Picture got = ReadPng(file + ".thumb");
        EXPECT_EQ(got.Width(), 64);
        EXPECT_EQ(got, ReadPng(file + ".png")) << tree;
    }
    EXPECT_EQ(n, 4);
}

// render reads PIC at the source picture's own size, as the custom-size save
// does; a thumbnail stretches it over the thumbnail as the program's views
// and thumbnails do. So the two agree when render is handed the stretched copy.
TEST_F(CliThumbnail, SourcePictureIsStretchedOverTheThumbnailOrBlack)
{
    // 20 x 10 over 40 x 40: every source pixel becomes a block of 2 x 4.
    QImage source(20, 10, QImage::Format_RGB32);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 20; ++c)
            source.setPixel(c, r, qRgb(c * 12, r * 25, 255 - c * 7));
    ASSERT_TRUE(source.save(QString::fromStdString(Path("p.png"))));
    QImage stretchedImage(40, 40, QImage::Format_RGB32);
    Picture stretched(40, 40);
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 40; ++c) {
            stretched.SetPixel(c, r, source.pixel(c / 2, r / 4) & 0xffffff);
            stretchedImage.setPixel(c, r, source.pixel(c / 2, r / 4));
        }
    ASSERT_TRUE(stretchedImage.save(QString::fromStdString(Path("stretched.png"))));

    Write("named.quil", "neg[PIC[p.png]]");
    CliRun run = Run({"thumbnail", "named.quil", "named.thumb", "40"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Picture got = ReadPng("named.thumb");
    EXPECT_EQ(got, expected::Render(kNegate, 40, 40, false, &stretched));
    ASSERT_EQ(Run({"render", "named.quil", "-o", "r.png", "--size", "40x40", "--picture", "stretched.png"}).status, 0);
    EXPECT_EQ(got, ReadPng("r.png"));

    // No picture named, one that is missing, one that is no regular file:
    // PIC reads black (negated: white), nothing is said, the thumbnail is written.
    ASSERT_TRUE(MakeFifo(Path("fifo.png")));
    Picture white(6, 6);
    white.Fill(0xffffff);
    for (const char* text : {"neg[PIC[]]", "neg[PIC[missing.png]]", "neg[PIC[fifo.png]]"}) {
        Write("black.quil", text);
        run = Run({"thumbnail", "black.quil", "black.png", "6"});
        EXPECT_EQ(run.status, 0) << text;
        EXPECT_EQ(run.err, "") << text;
        EXPECT_EQ(ReadPng("black.png"), white) << text;
    }
}

TEST_F(CliThumbnail, BadArgumentsAreUsageErrors)
{
    const CliRun exact = Run({"thumbnail", "logo.quil", "x.png", "1025"});
    EXPECT_EQ(exact.status, 2);
    EXPECT_EQ(exact.err, "quil-cli thumbnail: SIZE takes a whole number from 1 to 1024, not '1025'\n"
                         "Try 'quil-cli thumbnail --help'.\n");
    for (const QStringList& args : {QStringList{}, QStringList{"logo.quil"}, QStringList{"logo.quil", "x.png"},
                                    QStringList{"logo.quil", "x.png", "0"}, QStringList{"logo.quil", "x.png", "-5"},
                                    QStringList{"logo.quil", "x.png", "64x64"}, QStringList{"logo.quil", "x.png", ""},
                                    QStringList{"logo.quil", "x.png", "64", "more"},
                                    QStringList{"--size", "64", "logo.quil", "x.png"}}) {
        const CliRun run = Run(QStringList{"thumbnail"} + args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(run.err.rfind("quil-cli thumbnail: ", 0), 0u) << run.err;
    }
    EXPECT_FALSE(Exists("x.png"));
}

TEST_F(CliThumbnail, BadFilesFailCleanlyAndWriteNothing)
{
    // Inputs that are no readable .quil file; an existing output stays as it was.
    ASSERT_TRUE(MakeFifo(Path("fifo.quil")));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.quil"));
    Write("broken.quil", "rgb[X[],");
    std::vector<QString> inputs = {"missing.quil", "fifo.quil", "folder.quil", "broken.quil"};
    if (MakeCharDevice(Path("zero.quil"), 1, 5))
        inputs.push_back("zero.quil");
    Write("kept.png", "precious");
    for (const QString& input : inputs) {
        for (const QString& out : {QString("new.png"), QString("kept.png")}) {
            const CliRun run = Run({"thumbnail", input, out, "16"});
            EXPECT_EQ(run.status, 1) << input.toStdString();
            EXPECT_EQ(run.err.rfind(kErrorLoading + Path(input) + ": ", 0), 0u) << run.err;
        }
    }
    EXPECT_FALSE(Exists("new.png"));
    EXPECT_EQ(ReadBytes("kept.png"), "precious");

    // Outputs that cannot be written, or are no regular file: refused, never replaced.
    ASSERT_TRUE(MakeFifo(Path("fifo.png")));
    ASSERT_EQ(::symlink("fifo.png", Path("to-fifo.png").c_str()), 0);
    std::vector<QString> outputs = {"fifo.png", "to-fifo.png", "folder.quil", "nofolder/x.png"};
    const bool device = MakeCharDevice(Path("null.png"), 1, 3);
    if (device)
        outputs.push_back("null.png");
    for (const QString& out : outputs) {
        const CliRun run = Run({"thumbnail", "logo.quil", out, "16"});
        EXPECT_EQ(run.status, 1) << out.toStdString();
        EXPECT_EQ(run.err.rfind("Can not save bitmap \"" + out.toStdString() + "\"\n(", 0), 0u) << run.err;
    }
    EXPECT_TRUE(IsFifo(Path("fifo.png")));
    EXPECT_TRUE(!device || IsCharDevice(Path("null.png")));
    EXPECT_EQ(LeftoverTemporaries(), 0);
}
