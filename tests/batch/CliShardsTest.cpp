// A seeded quil-cli batch run cut into shards, as examples/ spreads it over
// GNU parallel and a Slurm job array: the shards' files are those of one run,
// byte for byte, whatever each shard's count, offset, jobs and threads.

#include "tests/CliProcess.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

constexpr int kTimeLimitMs = 300000;
constexpr const char* kSeed = "11";
// Three shards of three pictures; small PNG pictures with their recipes, and
// plain ones made again, so that the retries' draws are covered too.
constexpr int kShards = 3;
constexpr int kPerShard = 3;
const QStringList kOptions = {"--size", "24x24", "--type", "png", "--skip-plain"};

class QuilCliShards : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("config"));
    }
    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // The whole range as one run on this machine, two pictures at once.
    void MakeWholeRun(const QString& folder)
    {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(folder));
        const CliRun run = RunQuilCli(m_dir.path(),
                                      QStringList{"batch", "--seed", kSeed, "--count", QString::number(kShards * kPerShard),
                                                  "--jobs", "2", "--out", folder} + kOptions,
                                      kTimeLimitMs);
        ASSERT_EQ(run.status, 0) << run.err;
    }

    // A script of examples/ run by bash with the built quil-cli and the test's settings.
    CliRun RunExample(const QString& script, const QStringList& args, const QStringList& environment = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", Path("config"));
        env.insert("QUIL_CLI", QString::fromUtf8(QUIL_CLI_PATH));
        for (const QString& pair : environment)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir.path());
        process.start("bash", QStringList{QString::fromUtf8(QUIL_EXAMPLES_DIR) + "/" + script} + args);
        return FinishProcess(process, script.toStdString(), kTimeLimitMs);
    }

    std::string Bytes(const QString& name) const
    {
        std::ifstream in(Path(name).toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void ExpectSameFiles(const QString& whole, const QString& shards) const
    {
        const QStringList names = QDir(Path(whole)).entryList(QDir::Files, QDir::Name);
        ASSERT_EQ(names.size(), 2 * kShards * kPerShard);
        EXPECT_EQ(names, QDir(Path(shards)).entryList(QDir::Files, QDir::Name));
        for (const QString& name : names)
            EXPECT_EQ(Bytes(whole + "/" + name), Bytes(shards + "/" + name)) << name.toStdString();
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(QuilCliShards, ThreeShardsAreOneRun)
{
    MakeWholeRun("whole");
    if (!QStandardPaths::findExecutable("parallel").isEmpty()) {
        const CliRun run = RunExample("parallel-batch.sh", QStringList{kSeed, QString::number(kShards),
                                                                       QString::number(kPerShard), "shards"} + kOptions);
        ASSERT_EQ(run.status, 0) << run.err;
    } else {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("shards"));
        // Each shard computes a different number of pictures at once.
        for (int k = 0; k < kShards; ++k) {
            const CliRun run = RunQuilCli(m_dir.path(),
                                          QStringList{"batch", "--seed", kSeed, "--count", QString::number(kPerShard),
                                                      "--offset", QString::number(k * kPerShard), "--jobs",
                                                      QString::number(k + 1), "--threads", QString::number(k),
                                                      "--out", "shards"} + kOptions,
                                          kTimeLimitMs);
            ASSERT_EQ(run.status, 0) << run.err;
        }
    }
    ExpectSameFiles("whole", "shards");
}

TEST_F(QuilCliShards, SlurmArrayTasksAreOneRunAndTheCheckSaysSo)
{
    MakeWholeRun("whole");
    for (int task = 0; task < kShards; ++task) {
        const CliRun run = RunExample("slurm-batch.sh", kOptions,
                                      {QString("SLURM_ARRAY_TASK_ID=%1").arg(task),
                                       QString("SLURM_CPUS_PER_TASK=%1").arg(task + 1),
                                       QString("QUIL_SEED=") + kSeed, QString("QUIL_PER_TASK=%1").arg(kPerShard),
                                       "QUIL_OUT=" + Path("slurm")});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    ExpectSameFiles("whole", "slurm");

    const QStringList check = QStringList{kSeed, QString::number(kShards * kPerShard), "slurm"} + kOptions;
    const CliRun good = RunExample("check-shards.sh", check);
    EXPECT_EQ(good.status, 0) << good.err;
    // A middle picture's expression that is not the run's is found out.
    std::ofstream(Path("slurm/QuilPic000005.quil").toStdString(), std::ios::binary) << "X[]";
    const CliRun bad = RunExample("check-shards.sh", check);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("QuilPic000005.quil differs"), std::string::npos) << bad.err;
}
