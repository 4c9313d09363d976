#include "ThumbnailRenderer.h"

#include "PlanRender.h"
#include "ProductionRenderer.h"
#include "ProgramCompiler.h"

#include "render/PixelMath.h"

#include <new>

namespace production {

namespace {

// Writes each block's bytes into the images' pixels. Blocks are disjoint
// and nobody reads the images during the pass, so plain stores do.
class ImageOutput : public BlockOutput {
public:
    ImageOutput(const ThumbnailPlan& plan, std::vector<Picture>& images) : m_plan(plan), m_images(images) {}

    void StoreBlock(const BlockShape& shape, const uint8_t* bytes, size_t stride) override
    {
        for (size_t i = 0; i < m_images.size(); ++i) {
            const std::array<int, 3>& slots = m_plan.images[i];
            const uint8_t* red = bytes + size_t(slots[0]) * stride;
            const uint8_t* green = bytes + size_t(slots[1]) * stride;
            const uint8_t* blue = bytes + size_t(slots[2]) * stride;
            Picture& image = m_images[i];
            ForEachRun(shape, [&](int column, int r, int run, int k) {
                uint32_t* row = image.Row(r) + column;
                for (int j = 0; j < run; ++j)
                    row[j] = PackPixel(red[k + j], green[k + j], blue[k + j]);
            });
        }
    }

private:
    const ThumbnailPlan& m_plan;
    std::vector<Picture>& m_images;
};

// Appends each node's image in pre-order; a node whose copy cannot be had
// is left out with its branch, as node by node. Returns whether the root's was had.
bool AppendInPreOrder(const ThumbnailPlan& plan, std::vector<Picture>& images, std::vector<Picture>& out)
{
    const int nodes = int(plan.imageOfNode.size());
    // The last node of each image takes it instead of a copy.
    std::vector<int> lastUse(images.size(), -1);
    for (int i = 0; i < nodes; ++i)
        lastUse[size_t(plan.imageOfNode[size_t(i)])] = i;
    bool rootHad = false;
    for (int i = 0; i < nodes;) {
        const size_t image = size_t(plan.imageOfNode[size_t(i)]);
        try {
            if (lastUse[image] == i)
                out.push_back(std::move(images[image]));
            else
                out.push_back(images[image]);
        } catch (const std::bad_alloc&) {
            i = plan.branchEnd[size_t(i)];
            continue;
        }
        rootHad = rootHad || i == 0;
        ++i;
    }
    return rootHad;
}

}  // namespace

int RenderThumbnails(const RenderRequest& request, std::vector<Picture>& out, const ProductionOptions& options)
{
    const auto nodeByNode = [&] {
        return RenderThumbnailsNodeByNode(request, out, [&options](const RenderRequest& branch) {
            return RenderProduction(branch, options);
        });
    };
    if (!request.target || !request.evaluator)
        return nodeByNode();
    ThumbnailPlan plan;
    std::vector<Picture> images;
    try {
        if (!CompileThumbnailPlan(request.root, *request.evaluator, options, plan))
            return nodeByNode();
        // Copies of the target: what lies outside the grid stays as it is.
        images.assign(plan.images.size(), *request.target);
        ImageOutput output(plan, images);
        if (!RenderPlan(request, options, plan.programs, nullptr, &output))
            return 0;
    } catch (const std::bad_alloc&) {
        // Not every picture at once: node by node needs one at a time.
        images.clear();
        return nodeByNode();
    }
    return AppendInPreOrder(plan, images, out) ? 1 : 0;
}

}  // namespace production

int RenderThumbnailsProduction(const RenderRequest& request, std::vector<Picture>& out)
{
    return production::RenderThumbnails(request, out, production::ProductionOptions{});
}
