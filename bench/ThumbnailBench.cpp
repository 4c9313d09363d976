// Thumbnails of a deep chain (sin nested around r): node by node with the
// production renderer, as a thumbnail job renders them one branch at a time,
// against the one pass, and the root's picture alone. Node by node costs the
// chain's depth times its size; run a single repetition of it:
//   quil_bench_thumbnails --benchmark_filter=Chain
// Arguments: levels, thumbnail side.

#include "render/RenderRequest.h"
#include "render/production/ProductionRenderer.h"
#include "render/production/ThumbnailRenderer.h"

#include "engine/NodeKinds.h"
#include "engine/QuilExpression.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// sin nested `levels` times around r, in its own expression.
class Chain {
public:
    explicit Chain(int levels)
    {
        ExprNode* node = m_expr.Reset();
        for (int i = 0; i < levels; ++i) {
            ExprNode* child = m_expr.NewNode();
            *node = ExprNode{KIND_SIN, {0, 0, 0}, 1, {child, nullptr, nullptr}};
            node = child;
        }
        *node = ExprNode{KIND_R, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
    }
    const ExprNode* Root() const { return m_expr.GetRoot(); }

private:
    CQuilExpression m_expr;
};

enum class Way { Picture, OnePass, NodeByNode };

void ChainThumbnails(benchmark::State& state, Way way)
{
    const Chain chain(int(state.range(0)));
    const int side = int(state.range(1));
    CEvaluator evaluator;
    Picture target(side, side);
    RenderRequest request;
    request.evaluator = &evaluator;
    request.root = chain.Root();
    request.target = &target;
    request.threads = 0;
    for (auto _ : state) {
        std::vector<Picture> out;
        switch (way) {
        case Way::Picture: benchmark::DoNotOptimize(RenderProduction(request)); break;
        case Way::OnePass: benchmark::DoNotOptimize(RenderThumbnailsProduction(request, out)); break;
        case Way::NodeByNode:
            benchmark::DoNotOptimize(
                RenderThumbnailsNodeByNode(request, out, [](const RenderRequest& r) { return RenderProduction(r); }));
            break;
        }
        state.counters["thumbnails"] = double(out.size());
    }
}

const bool registered = [] {
    for (int side : {24, 64}) {
        benchmark::RegisterBenchmark("Chain/picture", ChainThumbnails, Way::Picture)
            ->Args({4000, side})
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Chain/onepass", ChainThumbnails, Way::OnePass)
            ->Args({4000, side})
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Chain/nodebynode", ChainThumbnails, Way::NodeByNode)
            ->Args({4000, side})
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
