#pragma once
// All thumbnails of a tree in one pass of the production renderer: the tree
// is compiled once with every node's channels as values, computed on every
// sample and turned into each node's pixels block by block, so a tree costs
// about one picture of its size instead of one per node. The pictures are
// those of the node-by-node thumbnails (ThumbnailRenderer in RenderRequest.h)
// bit for bit.
//
// A tree the compiler does not take, or one whose pictures do not fit in
// memory at once, is done node by node with RenderProduction. An aborted
// pass appends nothing. The pass's blocks run along whole rows, so no column
// is finished before the last block: columnsDone hears them all at the end.

#include "ProductionOptions.h"

#include "render/Picture.h"
#include "render/RenderRequest.h"

#include <vector>

namespace production {

int RenderThumbnails(const RenderRequest& request, std::vector<Picture>& out, const ProductionOptions& options);

}  // namespace production

// A ThumbnailRenderer with the default options.
int RenderThumbnailsProduction(const RenderRequest& request, std::vector<Picture>& out);
