#pragma once
// Runs the built quil-cli as a person does: in the test's own folder, with
// the settings kept there (generation reads them), and for at most a time
// limit, after which the process is killed and the test fails.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>

struct CliRun {
    int status = -1;  // -1: crashed or killed at the time limit
    std::string out, err;
};

// Waits for a started process for at most limitMs, after which it is killed and the test fails.
inline CliRun FinishProcess(QProcess& process, const std::string& what, int limitMs)
{
    CliRun run;
    if (!process.waitForFinished(limitMs)) {
        ADD_FAILURE() << what << " did not end in time";
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

// shellLimits (e.g. "ulimit -s 256") are set by a shell before quil-cli starts.
inline CliRun RunQuilCli(const QString& folder, const QStringList& args, int limitMs = 120000,
                         const QString& shellLimits = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    const QString cli = QString::fromUtf8(QUIL_CLI_PATH);
    if (shellLimits.isEmpty())
        process.start(cli, args);
    else
        process.start(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"), shellLimits + QStringLiteral(" && exec \"$0\" \"$@\""), cli} + args);
    return FinishProcess(process, "quil-cli " + args.join(' ').toStdString(), limitMs);
}
