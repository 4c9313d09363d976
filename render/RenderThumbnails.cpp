#include "RenderRequest.h"

#include <algorithm>
#include <new>

namespace {

bool Aborted(const RenderRequest& request)
{
    return request.abort && request.abort->load(std::memory_order_relaxed);
}

// Returns whether the root's picture was had; throws std::bad_alloc when the
// walk itself runs out of memory.
bool WalkNodeByNode(const RenderRequest& request, std::vector<Picture>& out, const PictureRenderer& render)
{
    // An explicit stack: trees may be thousands of levels deep.
    std::vector<const ExprNode*> pending{request.root};
    RenderRequest branch = request;
    bool rootHad = false;
    for (bool first = true; !pending.empty() && !Aborted(request); first = false) {
        const ExprNode* node = pending.back();
        pending.pop_back();
        branch.root = node;
        bool had = render(branch) != 0;
        if (had) {
            try {
                out.push_back(*request.target);
            } catch (const std::bad_alloc&) {
                had = false;
            }
        }
        if (first)
            rootHad = had;
        if (!had || !node)  // (an empty grid "renders" even a missing node)
            continue;
        // Only the first three children exist, whatever the count says.
        for (int i = std::clamp(node->nChildren, 0, 3) - 1; i >= 0; --i)
            pending.push_back(node->pChild[i]);
    }
    return rootHad;
}

}  // namespace

int RenderThumbnailsNodeByNode(const RenderRequest& request, std::vector<Picture>& out, const PictureRenderer& render)
{
    try {
        return WalkNodeByNode(request, out, render) && !Aborted(request) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;  // the pictures had so far stay
    }
}

int RenderThumbnailsReference(const RenderRequest& request, std::vector<Picture>& out)
{
    return RenderThumbnailsNodeByNode(request, out, RenderReference);
}
