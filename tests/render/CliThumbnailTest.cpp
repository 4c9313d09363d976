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

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

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

namespace {

struct Measured {
    int status = -1;  // -1: killed at the time limit or by a signal
    double seconds = 0;
    long maxRssMiB = 0;
    std::string err;
};

// Runs quil-cli in folder and measures what it took (QProcess cannot).
Measured RunMeasured(const std::string& folder, const std::vector<std::string>& args)
{
    const std::string cli = QUIL_CLI_PATH, config = "XDG_CONFIG_HOME=" + folder + "/config";
    const std::string errFile = folder + "/measured.err";
    std::vector<char*> argv{const_cast<char*>(cli.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp{const_cast<char*>(config.c_str()), const_cast<char*>("QT_QPA_PLATFORM=offscreen"),
                            nullptr};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err < 0 || ::dup2(err, STDERR_FILENO) < 0 || ::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::execve(cli.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    Measured m;
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kTimeLimitMs)) {
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            ADD_FAILURE() << "quil-cli " << args.front() << " did not end in time";
            return m;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m.maxRssMiB = usage.ru_maxrss / 1024;
    std::ifstream in(errFile, std::ios::binary);
    m.err.assign(std::istreambuf_iterator<char>(in), {});
    return m;
}

void PngChunk(std::ofstream& out, const char* type, const std::string& data, uint32_t claimedLength)
{
    const unsigned char length[4] = {uchar(claimedLength >> 24), uchar(claimedLength >> 16), uchar(claimedLength >> 8),
                                     uchar(claimedLength)};
    out.write(reinterpret_cast<const char*>(length), 4);
    const std::string body = std::string(type, 4) + data;
    out << body;
    const uint32_t crc = uint32_t(::crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    const unsigned char check[4] = {uchar(crc >> 24), uchar(crc >> 16), uchar(crc >> 8), uchar(crc)};
    out.write(reinterpret_cast<const char*>(check), 4);
}

// A grey PNG of side x side pixels, all black: a small file of a huge picture.
void WriteHugePng(const std::string& path, uint32_t side, const std::string& textChunk = {}, uint32_t claimed = 0)
{
    std::ofstream out(path, std::ios::binary);
    out << "\x89PNG\r\n\x1a\n";
    const unsigned char header[13] = {uchar(side >> 24), uchar(side >> 16), uchar(side >> 8), uchar(side),
                                      uchar(side >> 24), uchar(side >> 16), uchar(side >> 8), uchar(side), 8, 0, 0, 0, 0};
    PngChunk(out, "IHDR", std::string(reinterpret_cast<const char*>(header), 13), 13);
    if (!textChunk.empty()) {
        // A text chunk that claims far more than the file holds, and the file's end.
        const unsigned char length[4] = {uchar(claimed >> 24), uchar(claimed >> 16), uchar(claimed >> 8), uchar(claimed)};
        out.write(reinterpret_cast<const char*>(length), 4);
        out << "tEXt" << textChunk;
        return;
    }
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    const std::string row(side + 1, '\0');
    std::string compressed;
    char buffer[1 << 16];
    for (uint32_t r = 0; r <= side; ++r) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
        z.avail_in = r < side ? uInt(row.size()) : 0;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, r < side ? Z_NO_FLUSH : Z_FINISH);
            compressed.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    PngChunk(out, "IDAT", compressed, uint32_t(compressed.size()));
    PngChunk(out, "IEND", {}, 0);
}

// A tree that no cache could shorten: every branch differs.
std::string CostlyTree(int depth, uint32_t& seed)
{
    seed = seed * 1103515245u + 12345u;
    const uint32_t pick = (seed >> 16) % 10;
    if (depth == 0)
        return pick < 3 ? "X[]" : pick < 6 ? "Y[]" : "BW[0." + std::to_string(seed % 1000000) + "]";
    static const char* const kOne[] = {"sin", "cos", "exp", "ln", "neg"};
    static const char* const kTwo[] = {"plus", "times", "min", "max", "fmod", "div1"};
    if (pick < 3)
        return std::string(kOne[(seed >> 8) % 5]) + "[" + CostlyTree(depth - 1, seed) + "]";
    return std::string(kTwo[(seed >> 8) % 6]) + "[" + CostlyTree(depth - 1, seed) + "," +
           CostlyTree(depth - 1, seed) + "]";
}

}  // namespace

// A thumbnailer runs unattended on files from anywhere: whatever the file,
// it takes about 256 MiB and 5 seconds at most, and writes nothing when that
// is not enough.
TEST_F(CliThumbnail, EveryFileStaysWithinTheBudget)
{
    Write("big.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"23000\" height=\"23000\"><rect width=\"9\" "
                     "height=\"9\"/></svg>");
    Write("svg.quil", "neg[PIC[big.svg]]");
    WriteHugePng(Path("huge.png"), 23000);
    Write("huge.quil", "neg[PIC[huge.png]]");
    WriteHugePng(Path("claim.quil"), 1, "QuilExpression", 0x7ffffff0u);
    uint32_t seed = 7;
    // Far more work than 5 s holds on any machine (a 96 KB tree took 2 s
    // with the vector math), and still well within the text's 8 MiB.
    std::string tree = CostlyTree(13, seed);
    while (tree.size() < 2000000)
        tree = "plus[" + tree + "," + CostlyTree(11, seed) + "]";
    Write("costly.quil", tree);
    {
        std::ofstream(Path("sparse.quil")) << "rgb[X[],";
        ASSERT_EQ(::truncate(Path("sparse.quil").c_str(), off_t(2) << 30), 0);
    }
    std::string comments = "\xff\xd8";
    for (int i = 0; i < 100000; ++i)
        comments += std::string("\xff\xfe\x00\x06QuEx", 8);
    Write("comments.quil", comments + "\xff\xd9");

    struct Bomb {
        const char* file;
        const char* side;
        int status;  // 0: written with PIC black
    };
    for (const Bomb& bomb : {Bomb{"svg.quil", "256", 0}, Bomb{"huge.quil", "256", 0}, Bomb{"claim.quil", "256", 1},
                             Bomb{"costly.quil", "1024", 1}, Bomb{"sparse.quil", "256", 1},
                             Bomb{"comments.quil", "64", 1}}) {
        SCOPED_TRACE(bomb.file);
        ::unlink(Path("out.png").c_str());
        const Measured m = RunMeasured(m_dir.path().toStdString(), {"thumbnail", bomb.file, "out.png", bomb.side});
        std::cout << bomb.file << ": exit " << m.status << ", " << m.seconds << " s, " << m.maxRssMiB << " MiB\n";
        EXPECT_EQ(m.status, bomb.status) << m.err;
        EXPECT_EQ(Exists("out.png"), bomb.status == 0);
#if !defined(__SANITIZE_ADDRESS__)
        EXPECT_LE(m.maxRssMiB, 256);
#endif
    }
    EXPECT_EQ(LeftoverTemporaries(), 0);
}
