#pragma once
// One picture to compute: everything a renderer reads and the one picture it
// writes. CCalcBitmap fills a request on its worker thread and hands it to
// the renderer it was set up with; each renderer is one call.

#include "Picture.h"
#include "PlaneView.h"

#include "engine/Evaluator.h"
#include "engine/ExprNode.h"

#include <atomic>
#include <functional>
#include <vector>

struct RenderRequest {
    const CEvaluator* evaluator = nullptr;
    const ExprNode* root = nullptr;          // may be null: the evaluator then stops at once
    Picture* target = nullptr;               // its size is the pixel grid; written with StorePixelShared
    const Picture* source = nullptr;         // what "PIC" reads at (c, r); null reads black
    bool antiAlias = false;
    PlaneView view;                          // the default shows the still picture
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

// A picture renderer: RenderReference, or another that gives its pixels.
using PictureRenderer = std::function<int(const RenderRequest& request)>;

// Thumbnail mode: one picture per node of request.root's tree in pre-order
// (a node, then the branch of each child it lists, in order), appended to
// out. Each is a copy of request.target after that node's branch alone was
// rendered into it, with the request's source picture and anti-alias. A
// node whose picture is not had (the evaluator stopped, or there was no
// memory for it) is left out with its whole branch; its parent goes on with
// the next child. Returns 1 when the root's picture was had and the work was
// not aborted, else 0; an aborted call may have appended some pictures or
// none. columnsDone hears the columns of each computation (node by node it
// counts again for each node). The target's pixels are left unspecified.
using ThumbnailRenderer = int (*)(const RenderRequest& request, std::vector<Picture>& out);

// The thumbnails node by node, each branch rendered by `render`.
int RenderThumbnailsNodeByNode(const RenderRequest& request, std::vector<Picture>& out,
                               const PictureRenderer& render);
// The reference thumbnails: node by node with RenderReference.
int RenderThumbnailsReference(const RenderRequest& request, std::vector<Picture>& out);

// The grid a renderer visits: each side compared as unsigned, 16384 or more
// becoming 16384.
inline int RenderColumns(const Picture& target) { return int(ClampPictureSide(unsigned(target.Width()))); }
inline int RenderRows(const Picture& target) { return int(ClampPictureSide(unsigned(target.Height()))); }
