#include "ThumbnailRenderer.h"

#include "PlanRender.h"
#include "ProductionRenderer.h"
#include "ProgramCompiler.h"

#include "render/PixelMath.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace production {

namespace {

// Pixels composed at a time from channels that are not in a block's bytes.
constexpr int kChunk = 64;

// The byte of a pixel whose samples all have the integer t.
uint8_t UniformByte(int32_t t, bool antiAlias)
{
    return uint8_t(antiAlias ? AntiAliasByte(t, t, t, t) : ChannelByte(t));
}

// The byte of each sample column (or row) of a line table slot.
void LineBytes(const double* table, int count, int distinct, const int* offsetIndex, int samples, uint8_t* out)
{
    for (int i = 0; i < count; ++i) {
        const double* v = table + size_t(i) * size_t(distinct);
        if (samples == 1) {
            out[i] = uint8_t(ChannelByte(ChannelToInt(v[offsetIndex[0]])));
        } else {
            out[i] = uint8_t(AntiAliasByte(ChannelToInt(v[offsetIndex[0]]), ChannelToInt(v[offsetIndex[1]]),
                                           ChannelToInt(v[offsetIndex[2]]), ChannelToInt(v[offsetIndex[3]])));
        }
    }
}

void PackRun(uint32_t* __restrict row, const uint8_t* red, const uint8_t* green, const uint8_t* blue, int count)
{
    if (red == green && green == blue) {
        for (int j = 0; j < count; ++j)
            row[j] = uint32_t(red[j]) * 0x010101u;
        return;
    }
    for (int j = 0; j < count; ++j)
        row[j] = PackPixel(red[j], green[j], blue[j]);
}

// Makes the images' pixels from the plan's sources: constant images at
// once, images of line values alone when the line tables are complete, the
// others block by block. Blocks are disjoint and nobody reads the images
// during the pass, so plain stores do.
class ImageOutput : public BlockOutput {
public:
    // The grid is width x height. Everything the workers write is had here,
    // on the calling thread: an allocation that fails on a worker could not
    // be caught.
    ImageOutput(const ThumbnailPlan& plan, std::vector<Picture>& images, bool antiAlias, int width, int height)
        : m_plan(plan), m_images(images), m_antiAlias(antiAlias)
    {
        m_xBytes.resize(size_t(plan.programs.xLine.numSlots));
        m_yBytes.resize(size_t(plan.programs.yLine.numSlots));
        for (size_t i = 0; i < plan.images.size(); ++i) {
            int main = 0, constant = 0;
            for (const ValueSource& s : plan.images[i]) {
                main += s.home == ValueHome::Main ? 1 : 0;
                constant += s.home == ValueHome::Constant ? 1 : 0;
                if (s.home == ValueHome::XLine)
                    m_xBytes[size_t(s.slot)].resize(size_t(width));
                else if (s.home == ValueHome::YLine)
                    m_yBytes[size_t(s.slot)].resize(size_t(height));
            }
            if (main == 3)
                m_mainImages.push_back(i);
            else if (main > 0)
                m_mixedImages.push_back(i);
            else if (constant < 3)
                m_lineImages.push_back(i);
            else
                images[i].Fill(PackPixel(ConstantByte(plan.images[i][0]), ConstantByte(plan.images[i][1]),
                                         ConstantByte(plan.images[i][2])));
        }
    }

    void StoreLines(const LineTables& tables) override;
    void StoreBlock(const BlockShape& shape, const uint8_t* bytes, size_t stride) override;

private:
    uint8_t ConstantByte(const ValueSource& s) const { return UniformByte(ChannelToInt(s.constant), m_antiAlias); }
    // count bytes of a channel from (column, row) along the row, where it is
    // not in a block's bytes.
    const uint8_t* RowBytes(const ValueSource& s, int column, int row, int count, uint8_t* fill) const
    {
        if (s.home == ValueHome::XLine)
            return m_xBytes[size_t(s.slot)].data() + column;
        std::memset(fill, s.home == ValueHome::YLine ? m_yBytes[size_t(s.slot)][size_t(row)] : ConstantByte(s),
                    size_t(count));
        return fill;
    }

    const ThumbnailPlan& m_plan;
    std::vector<Picture>& m_images;
    bool m_antiAlias;
    // Images with every channel in the blocks' bytes, with some, and with none.
    std::vector<size_t> m_mainImages, m_mixedImages, m_lineImages;
    // Per line slot an image reads: the byte of each sample column (row).
    std::vector<std::vector<uint8_t>> m_xBytes, m_yBytes;
};

void ImageOutput::StoreLines(const LineTables& tables)
{
    const SampleLayout& layout = *tables.layout;
    for (size_t slot = 0; slot < m_xBytes.size(); ++slot)
        if (!m_xBytes[slot].empty())
            LineBytes(tables.x[slot], tables.width, layout.numDx, layout.dxIndex, layout.samples, m_xBytes[slot].data());
    for (size_t slot = 0; slot < m_yBytes.size(); ++slot)
        if (!m_yBytes[slot].empty())
            LineBytes(tables.y[slot], tables.height, layout.numDy, layout.dyIndex, layout.samples, m_yBytes[slot].data());

    uint8_t fill[3][kChunk];
    for (size_t i : m_lineImages) {
        const auto& sources = m_plan.images[i];
        Picture& image = m_images[i];
        // Without a y channel every row is the first.
        const bool rowsAlike = std::none_of(sources.begin(), sources.end(),
                                            [](const ValueSource& s) { return s.home == ValueHome::YLine; });
        for (int r = 0; r < tables.height; ++r) {
            uint32_t* row = image.Row(r);
            if (rowsAlike && r > 0) {
                std::memcpy(row, image.Row(0), size_t(tables.width) * sizeof(uint32_t));
                continue;
            }
            for (int c = 0; c < tables.width; c += kChunk) {
                const int count = std::min(kChunk, tables.width - c);
                PackRun(row + c, RowBytes(sources[0], c, r, count, fill[0]), RowBytes(sources[1], c, r, count, fill[1]),
                        RowBytes(sources[2], c, r, count, fill[2]), count);
            }
        }
    }
}

void ImageOutput::StoreBlock(const BlockShape& shape, const uint8_t* bytes, size_t stride)
{
    const auto channel = [&](const ValueSource& s, int k) { return bytes + size_t(s.slot) * stride + size_t(k); };
    for (size_t i : m_mainImages) {
        const auto& sources = m_plan.images[i];
        Picture& image = m_images[i];
        if (shape.width == image.Width()) {
            // A stripe as wide as the picture: the block's pixels follow one
            // another in the picture too.
            uint32_t* first = image.Row(shape.row) + shape.offset;
            PackRun(first, channel(sources[0], 0), channel(sources[1], 0), channel(sources[2], 0), shape.pixels);
            continue;
        }
        ForEachRun(shape, [&](int column, int r, int run, int k) {
            PackRun(image.Row(r) + column, channel(sources[0], k), channel(sources[1], k), channel(sources[2], k), run);
        });
    }
    uint8_t fill[3][kChunk];
    for (size_t i : m_mixedImages) {
        const auto& sources = m_plan.images[i];
        Picture& image = m_images[i];
        ForEachRun(shape, [&](int column, int r, int run, int k) {
            for (int j = 0; j < run; j += kChunk) {
                const int count = std::min(kChunk, run - j);
                const uint8_t* from[3];
                for (size_t ch = 0; ch < 3; ++ch)
                    from[ch] = sources[ch].home == ValueHome::Main ? channel(sources[ch], k + j)
                                                                    : RowBytes(sources[ch], column + j, r, count, fill[ch]);
                PackRun(image.Row(r) + column + j, from[0], from[1], from[2], count);
            }
        });
    }
}

// Appends each node's image in pre-order; a node whose copy cannot be had
// is left out with its branch, as node by node. Returns whether the root's
// was had.
bool AppendInPreOrder(const ThumbnailPlan& plan, std::vector<Picture>& images, std::vector<Picture>& out)
{
    const int nodes = int(plan.imageOfNode.size());
    // The last node of each image takes it instead of a copy.
    std::vector<int> lastUse(images.size(), -1);
    for (int i = 0; i < nodes; ++i)
        lastUse[size_t(plan.imageOfNode[size_t(i)])] = i;
    bool rootHad = false;
    try {
        out.reserve(out.size() + size_t(nodes));
    } catch (const std::bad_alloc&) {
        // push_back copes node by node.
    }
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
    // The line tables of a turned view would not be functions of one axis.
    if (!request.target || !request.evaluator || request.view.angle != 0.0)
        return nodeByNode();
    ThumbnailPlan plan;
    std::vector<Picture> images;
    try {
        if (!CompileThumbnailPlan(request.root, *request.evaluator, options, plan))
            return nodeByNode();
        // The grid covers the whole target (no side passes the grid's
        // limit), so every pixel of an image is written before it is read.
        images.resize(plan.images.size());
        for (Picture& image : images)
            if (!image.CreateUninitialised(request.target->Width(), request.target->Height()))
                throw std::bad_alloc();
        ImageOutput output(plan, images, request.antiAlias, RenderColumns(*request.target),
                           RenderRows(*request.target));
        // Blocks along whole rows: each block's pixels are consecutive in
        // the images, the pixels of the first image apart from the next.
        ProductionOptions rows = options;
        rows.stripeColumns = kMaxPictureSide;
        if (!RenderPlan(request, rows, plan.programs, nullptr, &output))
            return 0;
    } catch (const std::bad_alloc&) {
        // Not every picture at once: node by node needs one at a time.
        images.clear();
        return nodeByNode();
    }
    try {
        return AppendInPreOrder(plan, images, out) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;  // not even the list of last uses: no picture was appended
    }
}

}  // namespace production

int RenderThumbnailsProduction(const RenderRequest& request, std::vector<Picture>& out)
{
    return production::RenderThumbnails(request, out, production::ProductionOptions{});
}
