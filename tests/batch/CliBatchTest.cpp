// quil-cli batch run as a person runs it: its pictures are those quil-cli
// render makes of the .quil files it wrote, the number of jobs changes no
// file, nothing is overwritten unasked, and Ctrl+C leaves only whole files.

#include "render/Picture.h"
#include "render/pictureio/PictureIO.h"
#include "tests/CliProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

constexpr int kTimeLimitMs = 300000;

class QuilCliBatch : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // Generation reads the stored settings: keep the user's out of it.
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
    }
    void Start(QProcess& process, const QStringList& args)
    {
        process.setProcessEnvironment(m_env);
        process.setWorkingDirectory(m_dir.path());
        process.start(QString::fromUtf8(QUIL_CLI_PATH), args);
        ASSERT_TRUE(process.waitForStarted());
    }
    CliRun Run(const QStringList& args) { return RunQuilCli(m_dir.path(), args, kTimeLimitMs); }
    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    std::string Bytes(const QString& name) const
    {
        std::ifstream in(Path(name).toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const QString& name, const std::string& text) const
    {
        std::ofstream(Path(name).toStdString(), std::ios::binary) << text;
    }
    Picture Read(const QString& name) const
    {
        Picture p;
        EXPECT_TRUE(ImageToPicture(QImage(Path(name)), p, kMaxMarginedSide)) << name.toStdString();
        return p;
    }
    QStringList Files(const QString& folder) const
    {
        return QDir(Path(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

// The output ends with the summary line (lines about plain and kept pictures may come before it).
bool IsSummary(const std::string& out, int pictures)
{
    const QRegularExpression line(
        QStringLiteral("(^|\\n)%1 %2 in [0-9]+\\.[0-9]{2} s \\([0-9]+\\.[0-9] pictures/s\\)\\n$")
            .arg(pictures)
            .arg(pictures == 1 ? "picture" : "pictures"));
    return line.match(QString::fromStdString(out)).hasMatch();
}

}  // namespace

TEST_F(QuilCliBatch, PicturesAreWhatRenderMakesOfTheirQuilFiles)
{
    // Missing folders are made; a folder that cannot be is said before any picture.
    Write("taken", "a file");
    const CliRun refused = Run({"batch", "--count", "4", "--size", "40x30", "--out", "taken/out"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Can not create folder \"" + Path("taken/out").toStdString() + "\": Not a directory\n");
    EXPECT_TRUE(IsSummary(refused.out, 0)) << refused.out;
    const CliRun run = Run({"batch", "--count", "4", "--seed", "9", "--size", "40x30", "--type", "png", "--margins",
                            "3", "--antialias", "--out", "out", "--quil-dir", "quil"});
    ASSERT_EQ(run.status, 0) << run.err;

    const CliRun again = Run({"batch", "--count", "4", "--seed", "9", "--size", "40x30", "--type", "PNG",
                              "--margins", "3", "--antialias", "--out", "out", "--quil-dir", "quil", "--overwrite"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err, "");  // not a terminal: nothing but errors
    EXPECT_TRUE(IsSummary(again.out, 4)) << again.out;
    EXPECT_EQ(Files("out"), QStringList({"QuilPic000001.png", "QuilPic000002.png", "QuilPic000003.png",
                                         "QuilPic000004.png"}));
    EXPECT_EQ(Files("quil"), QStringList({"QuilPic000001.quil", "QuilPic000002.quil", "QuilPic000003.quil",
                                          "QuilPic000004.quil"}));
    for (int n = 1; n <= 4; ++n) {
        const QString number = QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'));
        ASSERT_EQ(Run({"render", "quil/QuilPic" + number + ".quil", "-o", "r.png", "--size", "40x30", "--margins", "3",
                       "--antialias"})
                      .status,
                  0);
        const Picture batch = Read("out/QuilPic" + number + ".png");
        EXPECT_EQ(batch.Width(), 45);
        EXPECT_EQ(batch, Read("r.png")) << n;
        // Each picture carries the expression its .quil file holds.
        const CliRun recipe = Run({"format", "out/QuilPic" + number + ".png"});
        ASSERT_EQ(recipe.status, 0) << recipe.err;
        EXPECT_EQ(recipe.out, Run({"format", "quil/QuilPic" + number + ".quil"}).out);
    }
    // --no-recipe leaves it out and changes no pixel.
    QDir().mkpath(Path("bare"));
    ASSERT_EQ(Run({"batch", "--count", "1", "--seed", "9", "--size", "40x30", "--type", "png", "--margins", "3",
                   "--antialias", "--out", "bare", "--no-recipe"})
                  .status,
              0);
    EXPECT_EQ(Run({"format", "bare/QuilPic000001.png"}).err, "This picture holds no Quil expression\n");
    EXPECT_EQ(Read("bare/QuilPic000001.png"), Read("out/QuilPic000001.png"));
}

TEST_F(QuilCliBatch, TheNumberOfJobsChangesNoFile)
{
    for (const char* jobs : {"1", "3"}) {
        const QString folder = QStringLiteral("jobs%1").arg(jobs);
        QDir().mkpath(Path(folder));
        const CliRun run = Run({"batch", "--count", "6", "--seed", "5", "--size", "32x32", "--offset", "999998",
                                "--skip-plain", "--jobs", jobs, "--out", folder});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(IsSummary(run.out, 6)) << run.out;
    }
    const QStringList names = Files("jobs1");
    ASSERT_EQ(names.size(), 12);
    // 999998 + n passes six digits at n = 2.
    EXPECT_TRUE(names.contains("QuilPic999999.bmp"));
    EXPECT_TRUE(names.contains("QuilPic1000004.quil"));
    EXPECT_EQ(names, Files("jobs3"));
    for (const QString& name : names)
        EXPECT_EQ(Bytes("jobs1/" + name), Bytes("jobs3/" + name)) << name.toStdString();
}

TEST_F(QuilCliBatch, ExistingFilesAreLeftUnlessOverwriteIsGiven)
{
    ASSERT_EQ(Run({"batch", "--count", "2", "--seed", "1", "--size", "16x16"}).status, 0);
    Write("QuilPic000002.bmp", "mine");
    const CliRun kept = Run({"batch", "--count", "2", "--seed", "1", "--size", "16x16"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_NE(kept.err.find("QuilPic000002.bmp\" exists"), std::string::npos) << kept.err;
    EXPECT_EQ(Bytes("QuilPic000002.bmp"), "mine");
    // Every target existed: none was made, and both are told as kept.
    EXPECT_TRUE(IsSummary(kept.out, 0)) << kept.out;
    EXPECT_EQ(kept.out.rfind("2 pictures left as they were\n", 0), 0u) << kept.out;
    std::remove(Path("QuilPic000001.bmp").toStdString().c_str());
    const CliRun one = Run({"batch", "--count", "2", "--seed", "1", "--size", "16x16"});
    EXPECT_TRUE(IsSummary(one.out, 1)) << one.out;
    EXPECT_EQ(one.out.rfind("1 picture left as it was\n", 0), 0u) << one.out;

    const CliRun replaced = Run({"batch", "--count", "2", "--seed", "1", "--size", "16x16", "--overwrite"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(Read("QuilPic000002.bmp").Width(), 16);
}

TEST_F(QuilCliBatch, ExistingFilesBesideThemselvesAndCopied)
{
    QDir().mkpath(Path("in"));
    QDir().mkpath(Path("out"));
    Write("in/spiral.quil", "SPIR[0.300000]");
    Write("in/xy.quil", "rgb[X[],Y[],BW[-1.000000]]");
    const CliRun run = Run({"batch", "--from", "in", "--same-name", "--copy-quil", "--out", "out", "--type", "png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(IsSummary(run.out, 2)) << run.out;
    EXPECT_EQ(Read("in/spiral.png").Width(), 100);
    EXPECT_EQ(Files("out"), QStringList({"spiral.quil", "xy.quil"}));
    EXPECT_EQ(Bytes("out/xy.quil"), "rgb[X[],Y[],BW[-1.000000]]");

    const CliRun none = Run({"batch", "--from", "out/none"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("No Quil files in directory"), std::string::npos) << none.err;
    EXPECT_TRUE(IsSummary(none.out, 0)) << none.out;
}

TEST_F(QuilCliBatch, BadArgumentsExitWithTwo)
{
    const QList<QStringList> bad = {
        {"batch", "--count", "0"},          {"batch", "--type", "xyz"},
        {"batch", "--size", "16385x10"},    {"batch", "--same-name"},
        {"batch", "--from", "in", "--count", "3"}, {"batch", "--jobs", "0"},
        {"batch", "--prefix", "a/b"},       {"batch", "--frobnicate"},
        {"batch", "--margins"},
    };
    for (const QStringList& args : bad) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.empty()) << args.join(' ').toStdString();
    }
    EXPECT_NE(Run({"batch", "--size", "16385x10"}).err.find("Maximum resolution for x and y is 16384"),
              std::string::npos);
    EXPECT_TRUE(Files(".").isEmpty());
}

TEST_F(QuilCliBatch, CtrlCLeavesOnlyWholePictures)
{
    QProcess process;
    Start(process, {"batch", "--count", "1000", "--seed", "3", "--size", "400x400", "--antialias", "--type", "png"});
    // Wait for the first pictures, then interrupt.
    for (int i = 0; i < 6000 && !QFileInfo::exists(Path("QuilPic000002.quil")); ++i)
        QThread::msleep(10);
    ASSERT_TRUE(QFileInfo::exists(Path("QuilPic000002.quil")));
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_NE(process.readAllStandardError().indexOf("Aborted"), -1);
    const std::string out = process.readAllStandardOutput().toStdString();

    // Every picture has its expression file, loads whole, and no partial file is left.
    const QStringList files = Files(".");
    int pictures = 0;
    for (const QString& name : files) {
        ASSERT_TRUE(name.endsWith(".png") || name.endsWith(".quil")) << name.toStdString();
        if (!name.endsWith(".png"))
            continue;
        ++pictures;
        EXPECT_TRUE(files.contains(name.chopped(4) + ".quil")) << name.toStdString();
        EXPECT_EQ(Read(name).Width(), 400) << name.toStdString();
    }
    EXPECT_EQ(files.size(), 2 * pictures);
    EXPECT_LT(pictures, 1000);
    EXPECT_TRUE(IsSummary(out, pictures)) << out;  // it counts what is there
}
