// quil-cli bench, run as a process: its summary lines and exit statuses.

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    std::string output;
    int status = -1;
};

CliRun RunCli(const std::string& args)
{
    CliRun run;
    const std::string command = std::string(QUIL_CLI_PATH) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

TEST(BenchCommand, PrintsAPerTreeLineAndTheSummary)
{
    const CliRun run = RunCli("bench --size 24 --trees 3 --seed 5 --threads 2");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("tree   3:"), std::string::npos) << run.output;
    const std::regex summary(
        "\nspeed-up: all threads [0-9.]+x \\(geomean [0-9.]+x, slowest [0-9.]+x\\), one thread [0-9.]+x; "
        "floor ratio [0-9.]+; identical 3/3\n$");
    EXPECT_TRUE(std::regex_search(run.output, summary)) << run.output;
    // The C library against the vector library, over the three pictures' 3 x 24 x 24 pixels.
    const std::regex libraries("\nfloor: vector library [0-9.]+ ms, one thread [0-9.]+x of it; C library [0-9.]+ ms, "
                               "one thread with it [0-9.]+x of it\nvector math against the C library: one thread "
                               "[0-9.]+x, all threads [0-9.]+x; pixels moved [0-9]+ of 1728 \\(largest difference "
                               "[0-9]+\\)\n");
    EXPECT_TRUE(std::regex_search(run.output, libraries)) << run.output;
}

// Every compilation of the kernels the processor runs can be forced, and
// gives the reference's pictures.
TEST(BenchCommand, EachKernelCompilationIsIdentical)
{
    for (const char* kernels : {"baseline", "avx2", "avx512"}) {
        const CliRun run = RunCli(std::string("bench --size 16 --trees 3 --repeat 1 --kernels ") + kernels);
        if (run.status == 2 && run.output.find("on this processor") != std::string::npos)
            continue;  // a compilation this processor does not run
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find(std::string("; ") + kernels + " kernels\n"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("identical 3/3"), std::string::npos) << run.output;
    }
}

TEST(BenchCommand, AntiAliasedRunIsIdenticalToo)
{
    const CliRun run = RunCli("bench --size 9 --trees 2 --antialias");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("identical 2/2"), std::string::npos) << run.output;
}

// One line per tree and size, in order, and the summary; --size replaces the
// two default sizes.
TEST(BenchCommand, ThumbnailsPrintALinePerTreeAndSizeAndTheSummary)
{
    const CliRun run = RunCli("bench --thumbnails --size 12 --trees 3 --seed 5 --repeat 1 --threads 2");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* line : {"\ntree   1 at 12: ", "\ntree   2 at 12: ", "\ntree   3 at 12: "})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << run.output;
    EXPECT_EQ(run.output.find(" at 24: "), std::string::npos) << run.output;
    const std::regex summary("\nthumbnails: worst ratio [0-9]+\\.[0-9]{2} \\(geomean [0-9]+\\.[0-9]{2}\\); "
                             "identical 3/3\n$");
    EXPECT_TRUE(std::regex_search(run.output, summary)) << run.output;
}

TEST(BenchCommand, ThumbnailsAtBothDefaultSizesAntiAliased)
{
    const CliRun run = RunCli("bench --thumbnails --trees 1 --seed 3 --repeat 1 --antialias");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\ntree   1 at 24: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\ntree   1 at 64: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("identical 2/2\n"), std::string::npos) << run.output;
}

TEST(BenchCommand, BadArgumentsAreUsageErrors)
{
    for (const char* args : {"bench --size 0", "bench --trees many", "bench --threads 65", "bench --seed -1", "bench --repeat 0",
                             "bench extra", "bench --thumbnails --size 0", "bench --thumbnails extra", "bench --kernels",
                             "bench --kernels sse9"}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.output.find("quil-cli bench:"), std::string::npos) << run.output;
    }
}

}  // namespace
