// Kernels, library calls, compilation and whole pictures of the production
// renderer, against the reference where there is one.

#include "render/production/Kernels.h"
#include "render/production/LibraryStats.h"
#include "render/production/ProductionRenderer.h"
#include "render/production/ProgramCompiler.h"

#include "engine/GenerationSettings.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace production;

constexpr int kBlock = 256;

// Registers of one block filled with values in the nominal range [-1, 1].
struct Block {
    Block()
    {
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> nominal(-1.0, 1.0);
        for (double& v : memory)
            v = nominal(rng);
        for (int k = 0; k < 8; ++k)
            regs[k] = memory.data() + k * kBlock;
        ctx.counts = &counts;
        ctx.scratch[0] = regs[6];
        ctx.scratch[1] = regs[7];
    }
    std::vector<double> memory = std::vector<double>(8 * kBlock);
    double* regs[8];
    LibraryCounts counts;
    KernelContext ctx;
};

void Kernel(benchmark::State& state, Op op, bool wide)
{
    Block block;
    Instr in;
    in.op = op;
    in.dst = 4;
    for (int k = 0; k < kOpInfo[int(op)].operands; ++k)
        in.src[k] = k;
    in.k[0] = op == Op::SinPi || op == Op::CosPi ? M_PI : 2.35;
    in.k[1] = 0.31;
    block.ctx.reuseRepeats = false;
    const ComputeFunction compute = SelectKernels(wide).compute;
    for (auto _ : state) {
        compute(in, kBlock, block.regs, block.ctx);
        benchmark::DoNotOptimize(block.regs[4][0]);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// The library function alone, on the arguments the kernel above passes: the
// C library one value at a time, or the vector library over the block.
void LibraryCall(benchmark::State& state, LibFn fn, bool vectors)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> nominal(-1.0, 1.0), positive(0.05, 2.0);
    std::vector<double> a(kBlock), b(kBlock), out(kBlock);
    for (int i = 0; i < kBlock; ++i) {
        const bool needsPositive = fn == LibFn::Log || fn == LibFn::Pow || fn == LibFn::Sqrt;
        a[size_t(i)] = needsPositive ? positive(rng) : nominal(rng);
        b[size_t(i)] = nominal(rng);
        if (fn == LibFn::Sin || fn == LibFn::Cos)
            a[size_t(i)] *= M_PI;
    }
    const ArrayMath math = SelectKernels(true).math;
    for (auto _ : state) {
        if (vectors) {
            math(fn, kBlock, out.data(), a.data(), b.data());
            benchmark::DoNotOptimize(out[0]);
        } else {
            double sum = 0.0;
            for (int i = 0; i < kBlock; ++i)
                sum += CallOne(fn, a[size_t(i)], b[size_t(i)], MathLibrary::System);
            benchmark::DoNotOptimize(sum);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// Twenty seeded random trees of the built-in generation settings.
class Trees {
public:
    Trees()
    {
        MemorySettingsStore store;
        GenerationSettings settings;
        settings.InitGenerationSettings(store);
        LcgRandomSource random(1);
        for (int t = 0; t < 20; ++t) {
            auto e = std::make_unique<CQuilExpression>();
            e->Reset();
            e->GenerateRandom(settings, random);
            m_trees.push_back(std::move(e));
        }
    }
    const ExprNode* Root(int i) const { return m_trees[size_t(i)]->GetRoot(); }
    int Count() const { return int(m_trees.size()); }

private:
    std::vector<std::unique_ptr<CQuilExpression>> m_trees;
};

const Trees& SeededTrees()
{
    static const Trees trees;
    return trees;
}

void Compile(benchmark::State& state)
{
    CEvaluator evaluator;
    const Trees& trees = SeededTrees();
    for (auto _ : state)
        for (int i = 0; i < trees.Count(); ++i) {
            CompiledPlan plan;
            benchmark::DoNotOptimize(CompilePlan(trees.Root(i), evaluator, ProductionOptions{}, plan));
        }
}

// All twenty trees at range(1) x range(1): the reference, and the production
// renderer on range(0) threads.
void Pictures(benchmark::State& state, bool reference)
{
    CEvaluator evaluator;
    const int side = int(state.range(1));
    Picture target(side, side);
    const Trees& trees = SeededTrees();
    for (auto _ : state)
        for (int i = 0; i < trees.Count(); ++i) {
            RenderRequest request;
            request.evaluator = &evaluator;
            request.root = trees.Root(i);
            request.target = &target;
            request.threads = int(state.range(0));
            benchmark::DoNotOptimize(reference ? RenderReference(request) : ::RenderProduction(request));
        }
    state.SetItemsProcessed(state.iterations() * trees.Count() * side * side);
}

const bool registered = [] {
    const Op ops[] = {Op::Add, Op::Plus, Op::SelGt, Op::Div1, Op::Spiral, Op::Cub, Op::SinPi,
                      Op::ExpQ, Op::LnQ, Op::Curt, Op::Atan2, Op::Fmod};
    for (Op op : ops)
        for (bool wide : {false, true})
            benchmark::RegisterBenchmark((std::string("Kernel/") + kOpInfo[int(op)].name + (wide ? "/wide" : "/baseline")).c_str(),
                                         Kernel, op, wide);
    for (int f = 0; f < kNumLibFns; ++f)
        for (bool vectors : {false, true})
            benchmark::RegisterBenchmark(
                (std::string("LibraryCall/") + kLibFnNames[f] + (vectors ? "/vector" : "/system")).c_str(),
                LibraryCall, LibFn(f), vectors);
    benchmark::RegisterBenchmark("Compile/20trees", Compile);
    benchmark::RegisterBenchmark("Pictures/reference", Pictures, true)->Args({1, 128})->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Pictures/production", Pictures, false)
        ->Args({1, 128})
        ->Args({2, 128})
        ->Args({1, 512})
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
