// quil-cli's saves where the disk, the folder or another run works against
// them: a write that fails at its end, a link another user planted, a name
// that is no UTF-8, read-only files, two runs into one folder, and a settings
// file that is a FIFO.

#include "tests/CliProcess.h"
#include "tests/engine/SpecialFiles.h"

#include "render/Picture.h"
#include "render/pictureio/PictureIO.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace special_files;

constexpr int kTimeLimitMs = 60000;
// A picture whose files are large enough to take several writes, so that a
// limit just short of their size is met in the last of them.
const std::string kBusy = "rgb[sin[times[X[],BW[0.9]]],cos[plus[Y[],CIR[0.3]]],fmod[SPIR[0.2],R[]]]";

class CliSaves : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Write("logo.quil", "rgb[X[],Y[],BW[-1.000000]]");
        Write("busy.quil", kBusy);
    }
    CliRun Run(const QStringList& args, const QString& shellLimits = {})
    {
        return RunQuilCli(m_dir.path(), args, kTimeLimitMs, shellLimits);
    }
    std::string Path(const std::string& name) const { return m_dir.path().toStdString() + "/" + name; }
    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string& name) const
    {
        struct stat info {};
        return ::lstat(Path(name).c_str(), &info) == 0;
    }
    QStringList Entries(const QString& folder = ".") const
    {
        return QDir(QDir(m_dir.path()).filePath(folder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(CliSaves, AWriteThatFailsAtItsEndKeepsTheOldFileAndSaysWhy)
{
    for (const std::string type : {"png", "bmp", "jpg"}) {
        SCOPED_TRACE(type);
        const std::string old = "old." + type;
        ASSERT_EQ(Run({"render", "logo.quil", "-o", QString::fromStdString(old), "--size", "64x64"}).status, 0);
        const std::string before = Read(old);
        ASSERT_EQ(Run({"render", "busy.quil", "-o", "probe." + QString::fromStdString(type), "--size", "300x300"}).status, 0);
        const size_t full = Read("probe." + type).size();
        ::unlink(Path("probe." + type).c_str());
        // The file size limit (in the shell's 512-byte blocks) falls short of
        // the new picture by less than a block; the signal it raises is
        // ignored, so the write fails as on a full disk.
        const QString limit = QStringLiteral("trap '' XFSZ && ulimit -f %1").arg((full - 1) / 512);
        const CliRun run = Run({"render", "busy.quil", "-o", QString::fromStdString(old), "--size", "300x300"}, limit);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "Can not save bitmap \"" + old + "\"\n(File too large)\n");
        EXPECT_EQ(Read(old), before);
        QStringList left = Entries();
        left.removeAll(QStringLiteral("config"));
        EXPECT_EQ(left, QStringList({"busy.quil", "logo.quil", QString::fromStdString(old)}));
        ::unlink(Path(old).c_str());
    }
}

TEST_F(CliSaves, ALinkPlantedInASharedStickyFolderIsRefused)
{
    // The link must belong to another user: only root can give it one.
    if (::geteuid() != 0)
        GTEST_SKIP() << "cannot make a file of another user";
    constexpr uid_t kOther = 65534;
    ASSERT_EQ(::mkdir(Path("shared").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(Path("shared").c_str(), 01777), 0);
    Write("victim.png", "precious");
    Write("victim.quil", "precious");
    for (const auto& [link, target] : {std::pair<std::string, std::string>{"out.png", "victim.png"},
                                       {"out.quil", "victim.quil"}, {"thumb.png", "victim.png"}}) {
        ASSERT_EQ(::symlink(Path(target).c_str(), Path("shared/" + link).c_str()), 0);
        ASSERT_EQ(::lchown(Path("shared/" + link).c_str(), kOther, kOther), 0);
    }
    const CliRun render = Run({"render", "logo.quil", "-o", "shared/out.png"});
    EXPECT_EQ(render.status, 1);
    EXPECT_EQ(render.err, "Can not save bitmap \"shared/out.png\"\n(Permission denied)\n");
    const CliRun random = Run({"random", "-o", "new.png", "--quil", "shared/out.quil", "--seed", "1"});
    EXPECT_EQ(random.status, 1);
    EXPECT_NE(random.err.find("Permission denied"), std::string::npos) << random.err;
    const CliRun thumbnail = Run({"thumbnail", "logo.quil", "shared/thumb.png", "8"});
    EXPECT_EQ(thumbnail.status, 1);
    EXPECT_EQ(thumbnail.err, "Can not save bitmap \"shared/thumb.png\"\n(Permission denied)\n");
    EXPECT_EQ(Read("victim.png"), "precious");
    EXPECT_EQ(Read("victim.quil"), "precious");

    // The same link in a folder that is not shared is followed as before.
    ASSERT_EQ(::rename(Path("shared/out.png").c_str(), Path("mine.png").c_str()), 0);
    ASSERT_EQ(Run({"render", "logo.quil", "-o", "mine.png"}).status, 0);
    EXPECT_EQ(Read("victim.png").substr(1, 3), "PNG");
}

TEST_F(CliSaves, NamesAreKeptByteForByte)
{
    // The name the old conversion made of it is another person's file.
    const std::string name = "keep\xff.png";
    const std::string mangled = "keep\xef\xbf\xbd.png";
    Write(mangled, "unrelated");
    // QProcess takes names as text: the shell hands quil-cli the raw bytes.
    const QString bytes = QStringLiteral("set -- \"$@\" \"$(printf 'keep\\377.png')\"");
    CliRun run = Run({"render", "logo.quil", "--size", "8x8", "-o"}, bytes);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read(mangled), "unrelated");
    EXPECT_EQ(Read(name).substr(1, 3), "PNG");

    // A NUL in a picture name would name another file: the expression is refused.
    Picture picture(4, 4);
    ASSERT_EQ(SavePicture(picture, Path("nul.png"), nullptr, std::string("neg[PIC[a\0b]]", 13)), kSaveOk);
    Write("a", "not this one");
    run = Run({"render", "nul.png", "-o", "out.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Error loading QUIL function\n" + Path("nul.png") + ": not an expression", 0), 0u) << run.err;
    EXPECT_FALSE(Exists("out.png"));
}

TEST_F(CliSaves, ReadOnlyFilesAreRefusedByEverySave)
{
    Write("kept.png", "read-only");
    Write("kept.quil", "read-only");
    ASSERT_EQ(::chmod(Path("kept.png").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(Path("kept.quil").c_str(), 0444), 0);
    for (const QStringList& args : {QStringList{"render", "logo.quil", "-o", "kept.png"},
                                    QStringList{"thumbnail", "logo.quil", "kept.png", "8"},
                                    QStringList{"random", "-o", "new.png", "--quil", "kept.quil", "--seed", "1"}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("Permission denied"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Read("kept.png"), "read-only");
    EXPECT_EQ(Read("kept.quil"), "read-only");
}

// Two runs race through the same names; each picture's size tells which run
// wrote it. A name one run wrote must have been reported by the other.
TEST_F(CliSaves, TwoBatchesIntoOneFolderReplaceNothing)
{
    constexpr int kCount = 40;
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("race"));
    QProcess runs[2];
    const QString cli = QString::fromUtf8(QUIL_CLI_PATH);
    for (int r = 0; r < 2; ++r) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path() + QStringLiteral("/config"));
        runs[r].setProcessEnvironment(env);
        runs[r].setWorkingDirectory(m_dir.path());
        runs[r].start(cli, {"batch", "--count", QString::number(kCount), "--type", "png", "--out", "race",
                            "--size", r == 0 ? "8x8" : "9x9", "--seed", QString::number(r + 1), "--jobs", "2"});
    }
    std::string err[2];
    for (int r = 0; r < 2; ++r) {
        ASSERT_TRUE(runs[r].waitForFinished(kTimeLimitMs));
        err[r] = runs[r].readAllStandardError().toStdString();
    }
    int pictures = 0;
    for (int n = 1; n <= kCount; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "QuilPic%06d.png", n);
        const std::string path = Path(std::string("race/") + name);
        const QSize size = QImageReader(QString::fromStdString(path)).size();
        if (!size.isValid())
            continue;
        ++pictures;
        const int other = size.width() == 8 ? 1 : 0;
        EXPECT_NE(err[other].find(std::string(name) + "\" exists"), std::string::npos) << name << ": replaced";
    }
    EXPECT_GT(pictures, kCount / 2);
    EXPECT_TRUE(Entries("race").filter(QStringLiteral(".quil-save")).isEmpty());
}

TEST_F(CliSaves, ASettingsFileThatIsNoRegularFileIsNotRead)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("config/TalvosArtPrograms"));
    ASSERT_TRUE(MakeFifo(Path("config/TalvosArtPrograms/Quil.conf")));
    for (const QStringList& args : {QStringList{"generate", "--seed", "3"},
                                    QStringList{"random", "-o", "r.png", "--size", "8x8", "--seed", "3"}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 0) << args.join(' ').toStdString();
        EXPECT_EQ(run.err, "Quil: \"" + Path("config/TalvosArtPrograms/Quil.conf") +
                               "\" is not a regular file; the default settings are used\n");
    }
}
