#pragma once
// One picture to compute: everything a renderer reads and the one picture it
// writes. CCalcBitmap fills a request on its worker thread and hands it to
// the renderer it was set up with; each renderer is one call.

#include "Picture.h"

#include "engine/Evaluator.h"
#include "engine/ExprNode.h"

#include <atomic>
#include <functional>

struct RenderRequest {
    const CEvaluator* evaluator = nullptr;
    const ExprNode* root = nullptr;          // may be null: the evaluator then stops at once
    Picture* target = nullptr;               // its size is the pixel grid; written with StorePixelShared
    const Picture* source = nullptr;         // what "PIC" reads at (c, r); null reads black
    bool antiAlias = false;
    int threads = 1;                         // renderers that can split the work; 0: one per core
    const std::atomic<int>* abort = nullptr; // nonzero: stop after the current pixel
    // Called on the renderer's thread with the number of leading columns that
    // are complete (columns 0 .. n-1), never decreasing.
    std::function<void(int)> columnsDone;
};

// The literal renderer: one thread, column by column, every sample evaluated
// from the root. Returns 1 when every pixel was stored, 0 on abort or when
// the evaluator stopped (the pixels stored so far stay).
int RenderReference(const RenderRequest& request);

// A renderer: one call computes the request's picture with the pixels of
// RenderReference. Returns what RenderReference returns.
using PictureRenderer = int (*)(const RenderRequest& request);

// The grid a renderer visits: each side compared as unsigned, 16384 or more
// becoming 16384.
inline int RenderColumns(const Picture& target) { return int(ClampPictureSide(unsigned(target.Width()))); }
inline int RenderRows(const Picture& target) { return int(ClampPictureSide(unsigned(target.Height()))); }
