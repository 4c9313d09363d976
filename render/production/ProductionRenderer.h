#pragma once
// The production renderer: the same pixels as RenderReference, computed by
// compiled register programs over blocks of samples on several threads.
//
// The tree is compiled once per picture. Values that depend on x alone or y
// alone are computed once per distinct sample column or row (the line
// programs) before the picture; then the workers take blocks of pixels from
// vertical stripes of the picture, stripe after stripe, each stripe row by
// row. The calling thread is one of the workers and the only one that reports
// progress: columnsDone receives every count of leading finished columns (a
// column is finished with its stripe), in increasing order, until the picture
// is complete or aborted.
// Trees that the compiler does not take go to RenderReference unchanged.

#include "LibraryStats.h"
#include "ProductionOptions.h"

#include "render/RenderRequest.h"

namespace production {

// Most worker threads one picture uses; more are cut to this.
constexpr int kMaxThreads = 64;

// Returns 1 when every pixel was stored, 0 on abort (or, through the
// reference path, when the evaluator stopped).
int RenderProduction(const RenderRequest& request, const ProductionOptions& options,
                     LibraryStats* stats = nullptr);

// Whether the compiler takes the tree (the others are rendered by the reference).
bool CanCompile(const ExprNode* root);

}  // namespace production

// The default renderer of every picture.
int RenderProduction(const RenderRequest& request);
