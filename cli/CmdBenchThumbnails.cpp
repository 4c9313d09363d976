// quil-cli bench --thumbnails: every thumbnail of a tree in one pass against
// the root's picture alone, at the tree view's default thumbnail side and at
// its largest, with the one pass checked against the node-by-node reference.

#include "CmdBench.h"

#include "render/DisplayDefaults.h"
#include "render/Picture.h"
#include "render/RenderRequest.h"
#include "render/production/ProductionRenderer.h"
#include "render/production/ThumbnailRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct ThumbnailResult {
    double picture = 0, onePass = 0, nodeByNode = 0;  // seconds
    size_t thumbnails = 0;
    bool identical = false;
};

bool SameThumbnails(const std::vector<Picture>& a, const std::vector<Picture>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// Times one tree at one side: the root's picture, the one pass and the
// production renderer node by node, each the least of the rounds; then the
// one pass against the reference node by node (not timed).
ThumbnailResult MeasureTree(const RenderRequest& base, int side, const BenchOptions& options)
{
    Picture target(side, side);
    RenderRequest request = base;
    request.target = &target;
    const production::ProductionOptions fast;
    ThumbnailResult r;
    std::vector<Picture> onePass;
    int onePassResult = 0;
    for (int round = 0; round < options.repeat; ++round) {
        const auto keepLeast = [round](double& least, double t) { least = round == 0 ? t : std::min(least, t); };
        keepLeast(r.picture, Timed([&] { production::RenderProduction(request, fast); }));
        onePass.clear();
        keepLeast(r.onePass, Timed([&] { onePassResult = production::RenderThumbnails(request, onePass, fast); }));
        std::vector<Picture> nodeByNode;
        keepLeast(r.nodeByNode, Timed([&] {
                      RenderThumbnailsNodeByNode(request, nodeByNode, [&fast](const RenderRequest& branch) {
                          return production::RenderProduction(branch, fast);
                      });
                  }));
    }
    std::vector<Picture> reference;
    const int referenceResult = RenderThumbnailsReference(request, reference);
    r.thumbnails = onePass.size();
    r.identical = onePassResult == referenceResult && SameThumbnails(onePass, reference);
    return r;
}

}  // namespace

int RunThumbnailBench(const BenchOptions& options, int allThreads)
{
    std::vector<int> sides = {kDefaultThumbSide, kMaxThumbSide};
    if (options.side > 0)
        sides = {options.side};
    std::printf("%d trees at", options.trees);
    for (size_t i = 0; i < sides.size(); ++i)
        std::printf("%s %d x %d", i > 0 ? " and" : "", sides[i], sides[i]);
    std::printf("%s, seed %u; all thumbnails in one pass against the root's picture alone, %d threads; "
                "least of %d rounds\n",
                options.antiAlias ? " anti-aliased" : "", unsigned(options.seed), allThreads, options.repeat);

    BenchTrees trees(options.seed);
    CEvaluator evaluator;
    double worst = 0.0, logSum = 0.0;
    int pairs = 0, identical = 0;
    for (int t = 0; t < options.trees; ++t) {
        const ExprNode* root = trees.Next();
        if (!root)
            return kExitFailure;
        RenderRequest request;
        request.evaluator = &evaluator;
        request.root = root;
        request.antiAlias = options.antiAlias;
        request.threads = allThreads;
        for (int side : sides) {
            const ThumbnailResult r = MeasureTree(request, side, options);
            const double ratio = r.onePass / r.picture;
            worst = std::max(worst, ratio);
            logSum += std::log(ratio);
            ++pairs;
            identical += r.identical ? 1 : 0;
            std::printf("tree %3d at %2d: %5zu nodes  picture %8.2f ms  one pass %8.2f ms %6.2fx  node by node "
                        "%9.2f ms %7.2fx  %s\n",
                        t + 1, side, r.thumbnails, r.picture * 1e3, r.onePass * 1e3, ratio, r.nodeByNode * 1e3,
                        r.nodeByNode / r.onePass, r.identical ? "identical" : "DIFFERENT");
            std::fflush(stdout);
        }
    }
    std::printf("thumbnails: worst ratio %.2f (geomean %.2f); identical %d/%d\n", worst,
                std::exp(logSum / double(pairs)), identical, pairs);
    return identical == pairs ? kExitOk : kExitPicturesDiffer;
}
