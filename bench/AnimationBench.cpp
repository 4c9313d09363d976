// A 120-frame 320 x 320 drift animation written as animated WebP (frames
// computed in parallel, encoded beside), against 120 separate renders of
// the same frames with the production renderer on all cores, measured side
// by side for random trees. The "ratio" counter is animation / renders in
// wall-clock time, "cpu_ratio" the same in the processor time of the process.
// A tree that costs well under a millisecond a frame stays above 1.3: libwebp
// spends 1 to 4 ms on a 320 x 320 frame even at its fastest method, the more
// the more detail the frame has.

#include "animation/AnimationWriter.h"
#include "render/AnimationFrames.h"
#include "render/production/ProductionRenderer.h"

#include "engine/GenerationSettings.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kSide = 320;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The processor time of every thread of the process: on a machine that other
// work shares, the wall-clock times say less than these.
double ProcessSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

void DriftWebPAgainstRenders(benchmark::State& state)
{
    MemorySettingsStore store;
    GenerationSettings generation;
    generation.InitGenerationSettings(store);
    LcgRandomSource random(uint32_t(state.range(0)));
    CQuilExpression tree;
    tree.Reset();
    tree.GenerateRandom(generation, random);

    MotionSettings motion;
    motion.seconds = 4.0;
    motion.fps = 30;
    const AnimationFrames frames(tree.GetRoot(), nullptr, motion);
    FrameSetup setup;
    setup.width = kSide;
    setup.height = kSide;
    const std::string file = "/tmp/quil-bench-" + std::to_string(getpid()) + ".webp";

    double animation = 0, renders = 0, animationCpu = 0, rendersCpu = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double cpu = ProcessSeconds();
        std::string reason;
        if (WriteAnimation(frames, motion.fps, setup, RenderProduction, file, {}, nullptr, reason) !=
            AnimationWriteResult::Written)
            state.SkipWithError(reason.c_str());
        animation += Seconds(start);
        animationCpu += ProcessSeconds() - cpu;

        start = std::chrono::steady_clock::now();
        cpu = ProcessSeconds();
        CEvaluator evaluator;
        AnimationFrame frame;
        Picture target(kSide, kSide);
        for (int k = 0; k < frames.Count(); ++k) {
            frames.Frame(k, frame);
            RenderRequest request;
            request.evaluator = &evaluator;
            request.root = frame.tree.Root();
            request.target = &target;
            request.view = frame.view;
            request.threads = 0;
            benchmark::DoNotOptimize(RenderProduction(request));
        }
        renders += Seconds(start);
        rendersCpu += ProcessSeconds() - cpu;
    }
    std::remove(file.c_str());
    state.counters["frames"] = frames.Count();
    state.counters["animation_s"] = animation / double(state.iterations());
    state.counters["renders_s"] = renders / double(state.iterations());
    state.counters["ratio"] = renders > 0 ? animation / renders : 0.0;
    state.counters["cpu_ratio"] = rendersCpu > 0 ? animationCpu / rendersCpu : 0.0;
}

BENCHMARK(DriftWebPAgainstRenders)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
