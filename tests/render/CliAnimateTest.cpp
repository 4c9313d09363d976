// quil-cli animate, run as a person runs it: frame 0 of every looping mode
// is the still that render writes, the file it writes and its last line,
// bad arguments, and Ctrl+C leaving no file.

#include "tests/CliProcess.h"

#include "render/pictureio/PictureIO.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <regex>

namespace {

class QuilCliAnimate : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        std::ofstream(Path("a.quil").toStdString())
            << "rgb[sin[plus[R2C[0.300000,-0.200000,],times[X[],BW[0.500000]]]],"
               "cos[minus[SPIRC[0.100000,-0.400000,0.600000],Y[]]],Y[]]";
        std::ofstream(Path("b.quil").toStdString()) << "rgb[Y[],cos[X[]],R[]]";
    }
    CliRun Run(const QStringList& args) { return RunQuilCli(m_dir.path(), args); }
    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    Picture Read(const QString& name) const
    {
        Picture p;
        EXPECT_TRUE(ImageToPicture(QImage(Path(name)), p)) << name.toStdString();
        return p;
    }
    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir m_dir;
};

TEST_F(QuilCliAnimate, FirstFramesAreTheStillAndMorphEndsAtTheOther)
{
    ASSERT_EQ(Run({"render", "a.quil", "-o", "still.png", "--size", "41x29", "--antialias"}).status, 0);
    ASSERT_EQ(Run({"render", "b.quil", "-o", "other.png", "--size", "41x29", "--antialias"}).status, 0);
    const QStringList common{"--size", "41x29", "--antialias", "--frame"};
    for (const QStringList& mode : {QStringList{"--mode", "drift", "--strength", "3"},
                                    QStringList{"--mode", "turn", "--center", "0.3,-0.2", "--strength", "2"},
                                    QStringList{"--mode", "zoom", "--zoom", "8", "--center", "-0.5,0.25"}}) {
        const CliRun run = Run(QStringList{"animate", "a.quil", "-o", "f0.png"} + mode + common + QStringList{"0"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Read("f0.png"), Read("still.png")) << mode.join(' ').toStdString();
        ASSERT_EQ(Run(QStringList{"animate", "a.quil", "-o", "f5.png"} + mode + common + QStringList{"5"}).status, 0);
        EXPECT_NE(Read("f5.png"), Read("still.png")) << mode.join(' ').toStdString();
    }
    const QStringList morph{"animate", "a.quil", "-o", "m.png", "--mode", "morph", "--to", "b.quil", "--seconds", "2",
                            "--fps", "10", "--size", "41x29", "--antialias", "--frame"};
    ASSERT_EQ(Run(morph + QStringList{"19"}).status, 0);
    EXPECT_EQ(Read("m.png"), Read("other.png"));
    EXPECT_EQ(Run(morph + QStringList{"20"}).status, 2);  // there are 20 frames
}

TEST_F(QuilCliAnimate, WritesTheFileAndTellsTheRate)
{
    const CliRun run = Run({"animate", "a.quil", "-o", "a.webm", "--seconds", "1", "--fps", "12", "--size", "64x48"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex("12 frames in [0-9.]+ s \\([0-9.]+ frames/s\\)\n"))) << run.out;
    EXPECT_GT(QFileInfo(Path("a.webm")).size(), 0);

    for (const QStringList& bad :
         {QStringList{"--mode", "spin"}, QStringList{"--mode", "morph"}, QStringList{"--to", "b.quil"},
          QStringList{"--strength", "4"}, QStringList{"--fps", "0"}, QStringList{"--center", "1"},
          QStringList{"--zoom", "nan"}, QStringList{"--size", "3841x100"}, QStringList{"--frame", "100"}}) {
        const CliRun refused = Run(QStringList{"animate", "a.quil", "-o", "bad.gif"} + bad);
        EXPECT_EQ(refused.status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(refused.err.empty());
    }
    EXPECT_EQ(Run({"animate", "a.quil", "-o", "odd.mp4", "--size", "41x29"}).status, 1);
    EXPECT_EQ(Run({"animate", "a.quil", "-o", "a.txt"}).status, 1);
    EXPECT_EQ(Run({"animate", "missing.quil", "-o", "a.gif"}).status, 1);
    EXPECT_EQ(Files(), (QStringList{"a.quil", "a.webm", "b.quil"}));
}

// Ctrl+C stops the run and removes what it wrote; a kill gives it no
// chance to, and must leave no file or temporary name behind either.
TEST_F(QuilCliAnimate, CtrlCAndKillLeaveNoFile)
{
    for (const int signal : {SIGINT, SIGKILL}) {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(QString::fromUtf8(QUIL_CLI_PATH),
                      {"animate", "a.quil", "-o", "long.mp4", "--seconds", "600", "--size", "640x480"});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(1500);
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        if (signal == SIGINT) {
            EXPECT_EQ(process.exitCode(), 130);
            EXPECT_NE(process.readAllStandardError().indexOf("Aborted"), -1);
        }
        EXPECT_EQ(Files(), (QStringList{"a.quil", "b.quil"})) << signal;
    }
}

}  // namespace
