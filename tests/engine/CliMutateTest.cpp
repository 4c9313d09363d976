// quil-cli mutate run as a process: reproducible lines, the mate, the
// stored settings, fewer variations, and the exit statuses.

#include "engine/NodeKinds.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {
struct CliRun {
    int status = -1;
    std::vector<std::string> lines;
    std::string err;
};

class QuilCliMutate : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
        Write("a.quil", "rgb[sin[X[]],plus[Y[],BW[0.250000]],SPIRC[0.1,0.2,0.3]]");
    }
    CliRun Run(QStringList args)
    {
        args.prepend("mutate");
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.setWorkingDirectory(m_dir.path());
        process.start(QString::fromUtf8(QUIL_CLI_PATH), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        CliRun run;
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        std::istringstream out(process.readAllStandardOutput().toStdString());
        for (std::string line; std::getline(out, line);)
            run.lines.push_back(line);
        run.err = process.readAllStandardError().toStdString();
        return run;
    }
    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    void Write(const QString& name, const std::string& text) const
    {
        std::ofstream(Path(name).toStdString()) << text;
    }
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

bool Parses(const std::string& text)
{
    CQuilExpression e;
    StringArchive ar(text);
    return e.ReadExpression(ar) != nullptr;
}
}  // namespace

TEST_F(QuilCliMutate, SameSeedSameLinesAllDifferentAndReadable)
{
    const CliRun first = Run({"a.quil", "--seed", "7"});
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(first.lines.size(), 8u);
    EXPECT_EQ(Run({"a.quil", "--seed", "7"}).lines, first.lines);
    EXPECT_NE(Run({"a.quil", "--seed", "8"}).lines, first.lines);
    const std::set<std::string> distinct(first.lines.begin(), first.lines.end());
    EXPECT_EQ(distinct.size(), 8u);
    for (const std::string& line : first.lines) {
        EXPECT_TRUE(Parses(line)) << line;
        EXPECT_NE(line, "rgb[sin[X[]],plus[Y[],BW[0.250000]],SPIRC[0.100000,0.200000,0.300000]]");
    }
    for (const char* strength : {"1", "2", "3"}) {
        const CliRun run = Run({"a.quil", "--seed", "1", "--count", "20", "--strength", strength});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.lines.size(), 20u);
    }
}

TEST_F(QuilCliMutate, TheMateGivesItsBranchesAndItsPicture)
{
    Write("m.quil", "times[PIC[pic.png],CIR[]]");
    const CliRun run = Run({"a.quil", "--mate", "m.quil", "--strength", "1", "--seed", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 8u);
    const std::string picture = "PIC[" + Path("pic.png").toStdString() + "]";
    for (const std::string& line : run.lines) {
        const bool fromMate = line.find("PIC[") != std::string::npos || line.find("CIR[]") != std::string::npos;
        EXPECT_TRUE(fromMate) << line;
        if (line.find("PIC[") != std::string::npos) {
            EXPECT_NE(line.find(picture), std::string::npos) << line;
        }
    }
}

TEST_F(QuilCliMutate, StoredSettingsAreHonouredAndFewerVariationsAreSaid)
{
    // Only X and Y, no function: X has a single variation.
    QDir().mkpath(m_dir.path() + "/config/TalvosArtPrograms");
    std::string conf = "[Prob]\n";
    for (int kind : kProbabilityOrder)
        conf += std::string(kNodeKinds[kind].settingsName) + "=" +
                (kind == KIND_X || kind == KIND_Y ? "5000" : "0") + "\n";
    Write("config/TalvosArtPrograms/Quil.conf", conf);
    Write("x.quil", "X[]");
    const CliRun run = Run({"x.quil", "--seed", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.lines, std::vector<std::string>{"Y[]"});
    EXPECT_NE(run.err.find("only 1 different variation found"), std::string::npos) << run.err;
}

TEST_F(QuilCliMutate, BadArgumentsExit2UnreadableFilesExit1)
{
    for (const QStringList& args : std::vector<QStringList>{
             {}, {"a.quil", "--count", "0"}, {"a.quil", "--count", "1001"}, {"a.quil", "--count", "x"},
             {"a.quil", "--strength", "0"}, {"a.quil", "--strength", "4"}, {"a.quil", "--seed", "-1"},
             {"a.quil", "--seed"}, {"a.quil", "--mate"}, {"a.quil", "--wild"}, {"a.quil", "a.quil"}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.lines.empty());
        EXPECT_NE(run.err.find("quil-cli mutate:"), std::string::npos) << run.err;
    }
    Write("broken.quil", "rgb[X[],");
    for (const QStringList& args : std::vector<QStringList>{{"missing.quil"}, {"broken.quil"}, {"."},
                                                            {"a.quil", "--mate", "missing.quil"}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.lines.empty());
        EXPECT_EQ(run.err.rfind("Error loading QUIL function\n", 0), 0u) << run.err;  // then the file and why
    }
}
