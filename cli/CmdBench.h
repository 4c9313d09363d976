#pragma once
// Pieces of quil-cli bench shared by its picture and thumbnail runs.

#include "CliSupport.h"

#include "engine/ExprNode.h"
#include "engine/GenerationSettings.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr long long kBenchDefaultTrees = 20;
constexpr long long kBenchDefaultRepeat = 5;
constexpr int kExitPicturesDiffer = 1;

struct BenchOptions {
    int side = 0;  // 0: the run's default sizes
    int trees = int(kBenchDefaultTrees);
    uint32_t seed = 1;
    bool antiAlias = false;
    int threads = 0;  // 0: one per core
    int repeat = int(kBenchDefaultRepeat);
    bool thumbnails = false;
    std::string kernels;  // empty: the widest compilation the processor runs
};

// The bench's random trees of the built-in generation settings, one after
// the other from the seed.
class BenchTrees {
public:
    explicit BenchTrees(uint32_t seed);
    // The next tree, valid until the next call; null when none could be made.
    const ExprNode* Next();

private:
    GenerationSettings m_settings;
    LcgRandomSource m_random;
    TerminalEngineHost m_host;
    CQuilExpression m_expression;
};

// Nodes of a tree, children as the kinds read them.
size_t CountNodes(const ExprNode* node);

// Runs f once and returns the seconds it took.
template <class F>
double Timed(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// quil-cli bench --thumbnails; returns the exit status.
int RunThumbnailBench(const BenchOptions& options, int allThreads);
