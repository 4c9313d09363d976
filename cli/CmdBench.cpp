// quil-cli bench: the production renderer against the reference on seeded
// random trees, side by side in one run, with the library floor.

#include "CliSupport.h"
#include "CmdBench.h"

#include "render/Picture.h"
#include "render/RenderRequest.h"
#include "render/production/LibraryStats.h"
#include "render/production/ProductionRenderer.h"

#include "engine/DeepStackThread.h"
#include "engine/GenerationSettings.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

BenchTrees::BenchTrees(uint32_t seed) : m_random(seed), m_expression(&m_host)
{
    MemorySettingsStore store;  // empty: the built-in generation settings
    m_settings.InitGenerationSettings(store);
    m_host.m_bQuiet = true;
}

const ExprNode* BenchTrees::Next()
{
    m_expression.Reset();
    if (!m_expression.GenerateRandom(m_settings, m_random))
        return nullptr;
    return m_expression.GetRoot();
}

size_t CountNodes(const ExprNode* node)
{
    if (!node)
        return 0;
    size_t n = 1;
    if (IsValidKind(node->nKind))
        for (int i = 0; i < KindArity(node->nKind); ++i)
            n += CountNodes(node->pChild[i]);
    return n;
}

namespace {

constexpr const char* kCommand = "bench";
constexpr long long kDefaultSide = 512;
constexpr long long kMaxTrees = 100000;
constexpr long long kMaxRepeat = 100;
constexpr size_t kArgumentSamples = 2048;

struct TreeResult {
    double reference = 0, oneThread = 0, allThreads = 0;  // seconds
    double floor = 0;                                     // seconds of library calls
    bool identical = false;
};


bool ParseBenchOptions(const std::vector<std::string>& args, BenchOptions& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        long long n = 0;
        if (args[i] == "--size") {
            if (!TakeValue(kCommand, args, i, value) || !ParseIntOption(kCommand, "--size", value, 1, kMaxPictureSide, n))
                return false;
            options.side = int(n);
        } else if (args[i] == "--trees") {
            if (!TakeValue(kCommand, args, i, value) || !ParseIntOption(kCommand, "--trees", value, 1, kMaxTrees, n))
                return false;
            options.trees = int(n);
        } else if (args[i] == "--seed") {
            if (!TakeValue(kCommand, args, i, value) || !ParseIntOption(kCommand, "--seed", value, 0, 4294967295LL, n))
                return false;
            options.seed = uint32_t(n);
        } else if (args[i] == "--repeat") {
            if (!TakeValue(kCommand, args, i, value) || !ParseIntOption(kCommand, "--repeat", value, 1, kMaxRepeat, n))
                return false;
            options.repeat = int(n);
        } else if (args[i] == "--antialias") {
            options.antiAlias = true;
        } else if (args[i] == "--thumbnails") {
            options.thumbnails = true;
        } else if (args[i] == "--threads") {
            if (!TakeValue(kCommand, args, i, value) ||
                !ParseIntOption(kCommand, "--threads", value, 0, production::kMaxThreads, n))
                return false;
            options.threads = int(n);
        } else {
            UsageError(kCommand, "unknown argument '" + args[i] + "'");
            return false;
        }
    }
    return true;
}

// The renderers and library functions timed on one tree; see RunBench.
struct TreeBench {
    production::ProductionOptions fast;
    production::LibraryCounts allCalls;
    double callSeconds[production::kNumLibFns] = {};
    Picture reference, oneThread, all, counted;
};

TreeResult BenchTree(const ExprNode* root, const CEvaluator& evaluator, const BenchOptions& options, int allThreads,
                     TreeBench& bench)
{
    RenderRequest request;
    request.evaluator = &evaluator;
    request.root = root;
    request.antiAlias = options.antiAlias;

    // The counting run is not timed: it counts the calls and samples their arguments.
    production::ArgumentSampler sampler(kArgumentSamples);
    production::LibraryStats stats;
    stats.sampler = &sampler;
    request.target = &bench.counted;
    request.threads = 1;
    production::RenderProduction(request, bench.fast, &stats);

    // Each time is the least of `repeat` rounds, each round timing every
    // renderer and every library function once, so that all of them see
    // the machine alike; the least is the time least disturbed by the
    // rest of the machine.
    TreeResult r;
    double replay[production::kNumLibFns] = {};
    for (int round = 0; round < options.repeat; ++round) {
        const auto keepLeast = [round](double& least, double t) { least = round == 0 ? t : std::min(least, t); };
        request.target = &bench.reference;
        keepLeast(r.reference, Timed([&] { RenderReference(request); }));
        request.target = &bench.oneThread;
        request.threads = 1;
        keepLeast(r.oneThread, Timed([&] { production::RenderProduction(request, bench.fast); }));
        request.target = &bench.all;
        request.threads = allThreads;
        keepLeast(r.allThreads, Timed([&] { production::RenderProduction(request, bench.fast); }));
        // The floor: the tree's library calls made again, function by
        // function, on a sample of their own arguments. Like a render, it
        // is one measurement per round: the round with the least total.
        double roundReplay[production::kNumLibFns] = {};
        double roundFloor = 0.0;
        for (int f = 0; f < production::kNumLibFns; ++f) {
            const auto fn = production::LibFn(f);
            roundReplay[f] = production::ReplaySeconds(fn, sampler.Samples(fn), stats.counts.calls[f]);
            roundFloor += roundReplay[f];
        }
        if (round == 0 || roundFloor < r.floor) {
            r.floor = roundFloor;
            std::copy(std::begin(roundReplay), std::end(roundReplay), std::begin(replay));
        }
    }
    for (int f = 0; f < production::kNumLibFns; ++f)
        bench.callSeconds[f] += replay[f];
    bench.allCalls.Add(stats.counts);
    r.identical = bench.reference == bench.oneThread && bench.reference == bench.all &&
                  bench.reference == bench.counted;
    return r;
}

// The library floor and the summary line; returns the exit status.
int PrintSummary(const std::vector<TreeResult>& results, const TreeBench& bench)
{
    // The library floor: the calls the one-thread renderer made, per function,
    // times that function's cost per call on the arguments it was given.
    double floorSeconds = 0.0;
    std::printf("library calls (one thread, all trees):");
    for (int f = 0; f < production::kNumLibFns; ++f) {
        const uint64_t calls = bench.allCalls.calls[f];
        if (calls == 0)
            continue;
        floorSeconds += bench.callSeconds[f];
        std::printf(" %s %.3gM x %.2f ns;", production::kLibFnNames[f], double(calls) * 1e-6,
                    bench.callSeconds[f] * 1e9 / double(calls));
    }
    std::printf("\n");

    double sumRef = 0, sumOne = 0, sumAll = 0, logSum = 0, slowest = 0;
    int identical = 0;
    for (size_t i = 0; i < results.size(); ++i) {
        const TreeResult& r = results[i];
        sumRef += r.reference;
        sumOne += r.oneThread;
        sumAll += r.allThreads;
        const double speedUp = r.reference / r.allThreads;
        logSum += std::log(speedUp);
        slowest = i == 0 ? speedUp : std::min(slowest, speedUp);
        identical += r.identical ? 1 : 0;
    }
    const double floorRatio = floorSeconds > 0 ? sumOne / floorSeconds : 0.0;
    std::printf("speed-up: all threads %.2fx (geomean %.2fx, slowest %.2fx), one thread %.2fx; floor ratio %.2f; "
                "identical %d/%d\n",
                sumRef / sumAll, std::exp(logSum / double(results.size())), slowest, sumRef / sumOne, floorRatio,
                identical, int(results.size()));
    return identical == int(results.size()) ? kExitOk : kExitPicturesDiffer;
}

int RunPictureBench(const BenchOptions& options, int allThreads)
{
    BenchTrees trees(options.seed);
    CEvaluator evaluator;

    auto bench = std::make_unique<TreeBench>();
    for (Picture* p : {&bench->reference, &bench->oneThread, &bench->all, &bench->counted})
        if (!p->Create(options.side, options.side)) {
            std::cerr << kMsgNoMemory << "\n";
            return kExitFailure;
        }
    std::vector<TreeResult> results;

    std::printf("%d trees at %d x %d%s, seed %u; all threads = %d; least of %d rounds\n", options.trees, options.side,
                options.side, options.antiAlias ? " anti-aliased" : "", unsigned(options.seed), allThreads,
                options.repeat);
    for (int t = 0; t < options.trees; ++t) {
        const ExprNode* root = trees.Next();
        if (!root)
            return kExitFailure;
        const TreeResult r = BenchTree(root, evaluator, options, allThreads, *bench);
        results.push_back(r);
        const size_t nodes = CountNodes(root);
        std::printf("tree %3d: %5zu nodes  reference %9.1f ms  one thread %8.1f ms %6.2fx  all threads %8.1f ms "
                    "%6.2fx  floor %8.1f ms  %s\n",
                    t + 1, nodes, r.reference * 1e3, r.oneThread * 1e3,
                    r.reference / r.oneThread, r.allThreads * 1e3, r.reference / r.allThreads, r.floor * 1e3,
                    r.identical ? "identical" : "DIFFERENT");
        std::fflush(stdout);
    }
    return PrintSummary(results, *bench);
}

int RunBench(const std::vector<std::string>& args)
{
    BenchOptions options;
    if (!ParseBenchOptions(args, options))
        return kExitUsage;
    const int allThreads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    if (!options.thumbnails && options.side == 0)
        options.side = int(kDefaultSide);
    // The renderers and the compiler recurse over each tree: they run on a
    // stack sized for the deepest tree, whatever this thread's limit is.
    int status = kExitOk;
    if (!RunOnDeepStack([&] {
            status = options.thumbnails ? RunThumbnailBench(options, allThreads) : RunPictureBench(options, allThreads);
        })) {
        std::cerr << kMsgNoThread << "\n";
        return kExitFailure;
    }
    return status;
}

const CommandRegistration registration({
    kCommand,
    "time the production renderer against the reference",
    "Usage: quil-cli bench [--size N] [--trees K] [--seed S] [--antialias] [--threads N]\n"
    "                      [--repeat R] [--thumbnails]\n\n"
    "Renders K random trees (default 20) of the built-in generation settings, seeded\n"
    "with S (default 1), at N x N pixels (default 512) with the reference renderer,\n"
    "with the production renderer on one thread and on all threads (N threads;\n"
    "default one per core), checks that every picture is identical and prints one\n"
    "line per tree and a summary. Every time is the least of R rounds (default 5)\n"
    "in which each renderer and each library function is timed once. The summary:\n"
    "  speed-up: all threads (sum of times; geometric mean and slowest tree),\n"
    "  one thread; floor ratio (one-thread time against the library calls it made,\n"
    "  each timed on its own arguments); identical pictures.\n"
    "Exits with 1 when any picture differs.\n\n"
    "With --thumbnails, times for each tree, at 24 and at 64 pixels (or at the\n"
    "--size alone), all the tree's thumbnails in one pass against the root's\n"
    "picture alone and against the production renderer node by node, each on all\n"
    "threads (--threads), checks the one pass against the reference node by node,\n"
    "prints one line per tree and size, and ends with\n"
    "  thumbnails: worst ratio R (geomean G); identical K/K\n"
    "where R and G are the one pass's time over the picture's. Exits with 1 when\n"
    "any thumbnail differs.\n",
    &RunBench,
    90,
});

}  // namespace
