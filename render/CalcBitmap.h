#pragma once
// CCalcBitmap turns an expression tree into pixels on a worker thread: one
// picture, or one thumbnail per node in pre-order. The owner configures it,
// calls Start and reads the target only after the end notification.
//
// Everything the worker reads is the job's own: Start copies the tree into
// the job's private expression, and the target, the source picture and the
// thumbnail list are shared with the owner through shared pointers.
//
// The job does not choose how pixels are computed: whoever builds it hands
// it a renderer (the literal reference by default, the production renderer
// in the program).

#include "Picture.h"
#include "RenderRequest.h"
#include "ThreadJob.h"

#include "engine/Evaluator.h"
#include "engine/QuilExpression.h"

#include <memory>
#include <vector>

enum MarginMode : int {
    MARGIN_NORMAL = 0,
    MARGIN_PORTRAIT_2_3 = 1,
    MARGIN_PORTRAIT_3_4 = 2,
    MARGIN_LANDSCAPE_3_2 = 3,
    MARGIN_LANDSCAPE_4_3 = 4,
};
constexpr int kNumMarginModes = 5;
extern const char* const kMarginModeLabels[kNumMarginModes];
// width : height of each mode; 0 : 0 for "normal" (no margins).
struct MarginRatio {
    unsigned width;
    unsigned height;
};
extern const MarginRatio kMarginRatios[kNumMarginModes];

class CCalcBitmap : public CThreadJob, public CEvaluator {
public:
    CCalcBitmap();
    ~CCalcBitmap() override;

    int Run() override;

    // Adds black margins that bring the picture to width : height = a : b.
    // Returns 1 on success, 0 when a or b is 0 or the larger picture cannot be
    // had; the picture is then unchanged.
    static int AddAspectMargins(Picture& picture, unsigned a, unsigned b);
    // The same by MarginMode; 0 for a value outside the modes.
    static int AddMarginsForMode(Picture& picture, int marginMode);

    // Configuration, set by the owner before Start.
    const ExprNode* m_pRoot = nullptr;                        // not owned; copied by Start
    std::shared_ptr<Picture> m_pTarget;                       // its size defines the grid
    std::shared_ptr<const Picture> m_pSourcePicture;          // what "PIC" reads, or none (black)
    int m_bAntiAlias = 0;
    PlaneView m_view;                                         // the part of the plane shown
    std::shared_ptr<std::vector<Picture>> m_pThumbList;      // thumbnail mode when set
    PictureRenderer m_pRenderer = RenderReference;           // computes each picture
    // Computes all thumbnails at once; without one, each node's branch is a
    // picture of m_pRenderer's.
    ThumbnailRenderer m_pThumbnailRenderer = nullptr;
    int m_nThreads = 0;                                       // for renderers that split the work; 0: one per core

protected:
    bool Prepare() override;
    // Called on the worker after each column of a picture is complete (the
    // count of leading finished columns); tests use it to abort at a column.
    virtual void OnColumnsDone(int /*columns*/) {}

private:
    RenderRequest MakeRequest(const ExprNode* node);
    int Render(const ExprNode* node, int interval);
    int RenderThumbnails(const ExprNode* node);

    CQuilExpression m_tree;             // the job's own copy of the tree
    const ExprNode* m_pTreeRoot = nullptr;  // root of m_tree, or none
};
