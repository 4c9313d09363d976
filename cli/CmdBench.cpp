// quil-cli bench: the production renderer against the reference on seeded
// random trees, side by side in one run, with the library floor.

#include "CliSupport.h"
#include "CmdBench.h"

#include "render/Picture.h"
#include "render/RenderRequest.h"
#include "render/production/Kernels.h"
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
#include <cstdlib>
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
    // Seconds: the reference, the production renderer with the consistent
    // vector math, and with the C library (one value at a time).
    double reference = 0, oneThread = 0, allThreads = 0;
    double systemOne = 0, systemAll = 0;
    double floor = 0, systemFloor = 0;  // seconds of library calls (vector, C library)
    bool identical = false;
    size_t moved = 0;  // pixels that differ between the two libraries
    int largestMove = 0;  // largest difference of a channel byte
};

// The compilation of the kernels that --kernels names, null when the
// processor runs none of that name; the widest it runs without the option.
const production::KernelSet* ForcedKernels(const BenchOptions& options)
{
    if (options.kernels.empty())
        return &production::SelectKernels(true);
    for (const production::KernelSet* set : production::RunnableKernels())
        if (options.kernels == set->name)
            return set;
    return nullptr;
}

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
        } else if (args[i] == "--kernels") {
            if (!TakeValue(kCommand, args, i, options.kernels))
                return false;
            if (!ForcedKernels(options)) {
                std::string names;
                for (const production::KernelSet* set : production::RunnableKernels())
                    names += std::string(names.empty() ? "" : ", ") + set->name;
                UsageError(kCommand, "--kernels takes one of " + names + " on this processor, not '" +
                                         options.kernels + "'");
                return false;
            }
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

// The calls of one library's renders and their cost (see RunBench).
struct LibraryFloor {
    production::LibraryCounts calls;
    double seconds[production::kNumLibFns] = {};
};

// The renderers and library functions timed on one tree; see RunBench.
struct TreeBench {
    production::ProductionOptions fast, system;
    LibraryFloor vectors, systemLibrary;
    Picture reference, oneThread, all, counted, systemOne, systemAll;
};

// The calls a one-thread render makes (not timed), with a sample of their arguments.
struct CountedCalls {
    production::ArgumentSampler sampler{kArgumentSamples};
    production::LibraryStats stats;
};

void CountCalls(RenderRequest request, const production::ProductionOptions& options, Picture& target,
                CountedCalls& counted)
{
    counted.stats.sampler = &counted.sampler;
    request.target = &target;
    request.threads = 1;
    production::RenderProduction(request, options, &counted.stats);
}

// The calls made again, function by function, on a sample of their own
// arguments; per function into `seconds`, the total returned.
double ReplayCalls(const CountedCalls& counted, production::ArrayMath vectors, double* seconds)
{
    double total = 0.0;
    for (int f = 0; f < production::kNumLibFns; ++f) {
        const auto fn = production::LibFn(f);
        seconds[f] = production::ReplaySeconds(fn, counted.sampler.Samples(fn), counted.stats.counts.calls[f], vectors);
        total += seconds[f];
    }
    return total;
}

// Pixels of a and b that differ, and the largest difference of a channel's byte.
void CountMoves(const Picture& a, const Picture& b, size_t& moved, int& largest)
{
    const uint32_t* p = a.Bits();
    const uint32_t* q = b.Bits();
    for (size_t i = 0; i < a.PixelCount(); ++i) {
        if (p[i] == q[i])
            continue;
        ++moved;
        for (int shift = 0; shift < 24; shift += 8)
            largest = std::max(largest, std::abs(int((p[i] >> shift) & 0xffu) - int((q[i] >> shift) & 0xffu)));
    }
}

TreeResult BenchTree(const ExprNode* root, const CEvaluator& evaluator, const BenchOptions& options, int allThreads,
                     TreeBench& bench)
{
    RenderRequest request;
    request.evaluator = &evaluator;
    request.root = root;
    request.antiAlias = options.antiAlias;

    CountedCalls vectorCalls, systemCalls;
    CountCalls(request, bench.fast, bench.counted, vectorCalls);
    CountCalls(request, bench.system, bench.systemOne, systemCalls);
    const production::ArrayMath vectors = bench.fast.kernels->math;

    // Each time is the least of `repeat` rounds, each round timing every
    // renderer and every library function once, so that all of them see
    // the machine alike; the least is the time least disturbed by the
    // rest of the machine.
    TreeResult r;
    double replay[production::kNumLibFns] = {}, systemReplay[production::kNumLibFns] = {};
    for (int round = 0; round < options.repeat; ++round) {
        const auto keepLeast = [round](double& least, double t) { least = round == 0 ? t : std::min(least, t); };
        const auto render = [&](Picture& target, const production::ProductionOptions& how, int threads) {
            request.target = &target;
            request.threads = threads;
            return Timed([&] { production::RenderProduction(request, how); });
        };
        request.target = &bench.reference;
        keepLeast(r.reference, Timed([&] { RenderReference(request); }));
        keepLeast(r.oneThread, render(bench.oneThread, bench.fast, 1));
        keepLeast(r.allThreads, render(bench.all, bench.fast, allThreads));
        keepLeast(r.systemOne, render(bench.systemOne, bench.system, 1));
        keepLeast(r.systemAll, render(bench.systemAll, bench.system, allThreads));
        // The floors: like a render, one measurement per round, the round
        // with the least total.
        double roundReplay[production::kNumLibFns];
        const double roundFloor = ReplayCalls(vectorCalls, vectors, roundReplay);
        if (round == 0 || roundFloor < r.floor) {
            r.floor = roundFloor;
            std::copy(std::begin(roundReplay), std::end(roundReplay), std::begin(replay));
        }
        const double roundSystemFloor = ReplayCalls(systemCalls, nullptr, roundReplay);
        if (round == 0 || roundSystemFloor < r.systemFloor) {
            r.systemFloor = roundSystemFloor;
            std::copy(std::begin(roundReplay), std::end(roundReplay), std::begin(systemReplay));
        }
    }
    for (int f = 0; f < production::kNumLibFns; ++f) {
        bench.vectors.seconds[f] += replay[f];
        bench.systemLibrary.seconds[f] += systemReplay[f];
    }
    bench.vectors.calls.Add(vectorCalls.stats.counts);
    bench.systemLibrary.calls.Add(systemCalls.stats.counts);
    r.identical = bench.reference == bench.oneThread && bench.reference == bench.all &&
                  bench.reference == bench.counted;
    CountMoves(bench.oneThread, bench.systemOne, r.moved, r.largestMove);
    return r;
}

// The library floors and the summary lines; returns the exit status.
int PrintSummary(const std::vector<TreeResult>& results, const TreeBench& bench, size_t pixels)
{
    // Per function: the calls the one-thread renders made, and each
    // library's cost per call on the arguments it was given.
    std::printf("library calls (one thread, all trees), C library against vector library:\n");
    for (int f = 0; f < production::kNumLibFns; ++f) {
        const uint64_t systemCalls = bench.systemLibrary.calls.calls[f], calls = bench.vectors.calls.calls[f];
        if (calls == 0 && systemCalls == 0)
            continue;
        const double systemNs = systemCalls ? bench.systemLibrary.seconds[f] * 1e9 / double(systemCalls) : 0.0;
        const double ns = calls ? bench.vectors.seconds[f] * 1e9 / double(calls) : 0.0;
        std::printf("  %-5s %8.3gM x %6.2f ns  %8.3gM x %6.2f ns  %5.2fx a call\n", production::kLibFnNames[f],
                    double(systemCalls) * 1e-6, systemNs, double(calls) * 1e-6, ns, ns > 0 ? systemNs / ns : 0.0);
    }

    double sumRef = 0, sumOne = 0, sumAll = 0, logSum = 0, slowest = 0;
    double sumSystemOne = 0, sumSystemAll = 0, floorSeconds = 0, systemFloorSeconds = 0;
    size_t moved = 0;
    int largestMove = 0, identical = 0;
    for (size_t i = 0; i < results.size(); ++i) {
        const TreeResult& r = results[i];
        sumRef += r.reference;
        sumOne += r.oneThread;
        sumAll += r.allThreads;
        sumSystemOne += r.systemOne;
        sumSystemAll += r.systemAll;
        floorSeconds += r.floor;
        systemFloorSeconds += r.systemFloor;
        moved += r.moved;
        largestMove = std::max(largestMove, r.largestMove);
        const double speedUp = r.reference / r.allThreads;
        logSum += std::log(speedUp);
        slowest = i == 0 ? speedUp : std::min(slowest, speedUp);
        identical += r.identical ? 1 : 0;
    }
    const double floorRatio = floorSeconds > 0 ? sumOne / floorSeconds : 0.0;
    const double systemFloorRatio = systemFloorSeconds > 0 ? sumSystemOne / systemFloorSeconds : 0.0;
    std::printf("floor: vector library %.1f ms, one thread %.2fx of it; C library %.1f ms, one thread with it %.2fx "
                "of it\n",
                floorSeconds * 1e3, floorRatio, systemFloorSeconds * 1e3, systemFloorRatio);
    std::printf("vector math against the C library: one thread %.2fx, all threads %.2fx; pixels moved %zu of %zu "
                "(largest difference %d)\n",
                sumSystemOne / sumOne, sumSystemAll / sumAll, moved, pixels * results.size(), largestMove);
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
    bench->fast.kernels = bench->system.kernels = ForcedKernels(options);
    bench->system.mathLibrary = production::MathLibrary::System;
    for (Picture* p : {&bench->reference, &bench->oneThread, &bench->all, &bench->counted, &bench->systemOne,
                       &bench->systemAll})
        if (!p->Create(options.side, options.side)) {
            std::cerr << kMsgNoMemory << "\n";
            return kExitFailure;
        }
    std::vector<TreeResult> results;

    std::printf("%d trees at %d x %d%s, seed %u; all threads = %d; least of %d rounds; %s kernels\n", options.trees,
                options.side, options.side, options.antiAlias ? " anti-aliased" : "", unsigned(options.seed),
                allThreads, options.repeat, bench->fast.kernels->name);
    for (int t = 0; t < options.trees; ++t) {
        const ExprNode* root = trees.Next();
        if (!root)
            return kExitFailure;
        const TreeResult r = BenchTree(root, evaluator, options, allThreads, *bench);
        results.push_back(r);
        const size_t nodes = CountNodes(root);
        std::printf("tree %3d: %5zu nodes  reference %9.1f ms  one thread %8.1f ms %6.2fx  all threads %8.1f ms "
                    "%6.2fx  floor %8.1f ms  %s;  C library: one thread %8.1f ms  all threads %8.1f ms  "
                    "floor %8.1f ms  %zu pixels moved\n",
                    t + 1, nodes, r.reference * 1e3, r.oneThread * 1e3, r.reference / r.oneThread,
                    r.allThreads * 1e3, r.reference / r.allThreads, r.floor * 1e3,
                    r.identical ? "identical" : "DIFFERENT", r.systemOne * 1e3, r.systemAll * 1e3,
                    r.systemFloor * 1e3, r.moved);
        std::fflush(stdout);
    }
    return PrintSummary(results, *bench, size_t(options.side) * size_t(options.side));
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
    "                      [--repeat R] [--kernels NAME] [--thumbnails]\n\n"
    "Renders K random trees (default 20) of the built-in generation settings, seeded\n"
    "with S (default 1), at N x N pixels (default 512) with the reference renderer,\n"
    "with the production renderer on one thread and on all threads (N threads;\n"
    "default one per core), checks that every picture is identical and prints one\n"
    "line per tree and a summary. For comparison the production renderer also runs\n"
    "with the C library's functions instead of the vector library. Every time is\n"
    "the least of R rounds (default 5) in which each renderer and each library\n"
    "function is timed once. The summary:\n"
    "  per function, the calls and the cost of a call in either library;\n"
    "  floor: the library calls the one-thread renderer made, each timed on its own\n"
    "  arguments, and the renderer's time against them, for either library;\n"
    "  vector math against the C library: speed-up on one thread and on all\n"
    "  threads, and the pixels whose value the libraries' last bits moved;\n"
    "  speed-up: all threads (sum of times; geometric mean and slowest tree),\n"
    "  one thread; floor ratio (the vector library's); identical pictures.\n"
    "Exits with 1 when any picture differs. --kernels forces one compilation of the\n"
    "production renderer's kernels (baseline, avx2 or avx512, as the processor runs\n"
    "them; default the widest).\n\n"
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
