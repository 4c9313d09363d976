// quil-cli with files that are not what they seem: FIFOs, devices and
// folders where a file belongs, links, endless or huge inputs, and trees as
// deep as the program accepts under a small stack limit. Every run has a
// time limit, so a command that blocks fails the test instead of hanging it.

#include "tests/CliProcess.h"
#include "tests/engine/NestedText.h"
#include "tests/engine/SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

using namespace special_files;

constexpr int kTimeLimitMs = 30000;

class CliFiles : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // Runs quil-cli in the test's folder; shellLimits (e.g. "ulimit -s 256")
    // are set by a shell first.
    CliRun Run(const QStringList& args, const QString& shellLimits = {})
    {
        return RunQuilCli(m_dir.path(), args, kTimeLimitMs, shellLimits);
    }
    std::string Path(const QString& name) const { return QDir(m_dir.path()).filePath(name).toStdString(); }
    void Write(const QString& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string Read(const QString& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Link(const QString& target, const QString& name) const
    {
        ASSERT_EQ(::symlink(target.toUtf8().constData(), Path(name).c_str()), 0);
    }

    QTemporaryDir m_dir;
};

const std::string kLogo = "rgb[X[],Y[],BW[-1.000000]]";
const std::string kErrorLoading = "Error loading QUIL function\n";

}  // namespace

TEST_F(CliFiles, OnlyRegularFilesAreReadAndNothingBlocks)
{
    ASSERT_TRUE(MakeFifo(Path("fifo.quil")));
    ASSERT_TRUE(MakeFifo(Path("fifo.png")));
    std::vector<QString> notFiles = {"fifo.quil", m_dir.path()};
    if (MakeCharDevice(Path("zero.quil"), 1, 5))
        notFiles.push_back("zero.quil");
    for (const QString& file : notFiles) {
        for (const QStringList& args : {QStringList{"format", file}, QStringList{"render", file, "-o", "x.png"},
                                        QStringList{"eval", file, "0", "0"}}) {
            const CliRun run = Run(args);
            EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
            // The message, then the file's name and why.
            EXPECT_EQ(run.err.rfind(kErrorLoading, 0), 0u) << run.err;
            EXPECT_NE(run.err.find(": It is not a regular file.\n"), std::string::npos) << run.err;
        }
    }
    // Source pictures: named on the command line or in the file.
    Write("logo-pic.quil", "neg[PIC[fifo.png]]");
    for (const QStringList& args : {QStringList{"render", "logo-pic.quil", "-o", "x.png"},
                                    QStringList{"render", "logo-pic.quil", "-o", "x.png", "--picture", "fifo.png"},
                                    QStringList{"render", "logo-pic.quil", "-o", "x.png", "--picture", "."}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("' failed."), std::string::npos) << run.err;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("x.png"))));
}

TEST_F(CliFiles, HugeInputsAreRefusedOrReportNoMemory)
{
    // Larger than any tree the pool can hold: refused before it is read.
    Write("huge.quil", "X[]");
    ASSERT_EQ(::truncate(Path("huge.quil").c_str(), off_t(3) << 30), 0);  // sparse: no disk is used
    CliRun run = Run({"format", "huge.quil"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind(kErrorLoading + Path("huge.quil") + ": ", 0), 0u) << run.err;
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit under an address-space limit";
#else
    // Within the bound, but more than the process may have.
    Write("big.quil", "X[]");
    ASSERT_EQ(::truncate(Path("big.quil").c_str(), off_t(1) << 30), 0);
    run = Run({"format", "big.quil"}, "ulimit -v 400000");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "No memory\n");
#endif
}

TEST_F(CliFiles, OnlyRegularFilesOrNewNamesAreWritten)
{
    Write("logo.quil", kLogo);
    ASSERT_TRUE(MakeFifo(Path("fifo.png")));
    Link("fifo.png", "to-fifo.png");
    std::vector<QString> outputs = {"fifo.png", "to-fifo.png"};
    const bool device = MakeCharDevice(Path("null.png"), 1, 3);
    if (device) {
        Link("null.png", "to-null.png");
        outputs.insert(outputs.end(), {"null.png", "to-null.png"});
    }
    for (const QString& output : outputs) {
        const CliRun run = Run({"render", "logo.quil", "-o", output, "--size", "8x8"});
        EXPECT_EQ(run.status, 1) << output.toStdString();
        EXPECT_EQ(run.err, "Can not save bitmap \"" + output.toStdString() + "\"\n(It is not a regular file.)\n");
    }
    EXPECT_TRUE(IsFifo(Path("fifo.png")));
    EXPECT_TRUE(!device || IsCharDevice(Path("null.png")));

    // The expression file of random: not onto a FIFO, not through a planted link.
    ASSERT_TRUE(MakeFifo(Path("fifo.quil")));
    CliRun run = Run({"random", "-o", "r.png", "--quil", "fifo.quil", "--seed", "5", "--size", "8x8"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "quil-cli random: cannot write 'fifo.quil' (It is not a regular file.)\n");
    EXPECT_TRUE(IsFifo(Path("fifo.quil")));
    Write("victim.txt", "precious");
    Link("victim.txt", "out.quil.tmp");
    run = Run({"random", "-o", "r.png", "--quil", "out.quil", "--seed", "5", "--size", "8x8"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read("victim.txt"), "precious");
    EXPECT_EQ(Read("out.quil") + "\n", Run({"generate", "--seed", "5"}).out);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("out.quil.tmp"))).isSymLink());
    // A link to a regular file is written through and stays a link.
    Link("out.quil", "alias.quil");
    ASSERT_EQ(Run({"random", "-o", "r.png", "--quil", "alias.quil", "--seed", "6", "--size", "8x8"}).status, 0);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("alias.quil"))).isSymLink());
    EXPECT_EQ(Read("out.quil") + "\n", Run({"generate", "--seed", "6"}).out);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QStringList{".quil-save-*"}, QDir::Files | QDir::Hidden).size(), 0);
}

TEST_F(CliFiles, DeepestTreesWorkUnderASmallStackLimit)
{
    // The recursive reader, writer and evaluator needed about 2 MiB here.
    const std::string plus = Chain("plus[X[],", "BW[0.500000]", "]", 4095);
    const std::string rgb = Chain("rgb[", "SPIR[0.300000]", ",X[],Y[]]", 4095);
    Write("plus.quil", plus);
    Write("rgb.quil", rgb);
    const QString limit = "ulimit -s 256";
    for (const QString& file : {QString("plus.quil"), QString("rgb.quil")}) {
        const CliRun format = Run({"format", file}, limit);
        ASSERT_EQ(format.status, 0) << format.err;
        EXPECT_EQ(format.out, Read(file) + "\n");
        EXPECT_EQ(Run({"eval", file, "0.25", "-0.5"}, limit).status, 0);
        ASSERT_EQ(Run({"render", file, "-o", "p.png", "--size", "9x7"}, limit).status, 0);
        ASSERT_EQ(Run({"render", file, "-o", "r.png", "--size", "9x7", "--reference"}, limit).status, 0);
        EXPECT_EQ(Read("p.png"), Read("r.png"));
    }
}
