#include "CalcBitmap.h"

#include <cstdint>

const char* const kMarginModeLabels[kNumMarginModes] = {
    "normal", "portrait (2:3)", "portrait (3:4)", "landscape (3:2)", "landscape (4:3)",
};

const MarginRatio kMarginRatios[kNumMarginModes] = {{0, 0}, {2, 3}, {3, 4}, {3, 2}, {4, 3}};

constexpr int kProgressInterval = 10;  // columns between progress notifications

CCalcBitmap::CCalcBitmap() = default;
CCalcBitmap::~CCalcBitmap() = default;

bool CCalcBitmap::Prepare()
{
    if (!m_pTarget)
        return false;
    m_pTreeRoot = nullptr;
    if (!m_pRoot) {
        m_tree.Reset();
        return true;
    }
    if (!m_tree.CopyFrom(m_pRoot))
        return false;
    m_pTreeRoot = m_tree.GetRoot();
    return true;
}

int CCalcBitmap::Run()
{
    const int result = m_pThumbList ? RenderThumbnails(m_pTreeRoot) : Render(m_pTreeRoot, kProgressInterval);
    Notify(m_bAbort.load(std::memory_order_relaxed) ? JobNotice::Aborted() : JobNotice::Finished());
    return result;
}

RenderRequest CCalcBitmap::MakeRequest(const ExprNode* node)
{
    RenderRequest request;
    request.evaluator = this;
    request.root = node;
    request.target = m_pTarget.get();
    request.source = m_pSourcePicture.get();
    request.antiAlias = m_bAntiAlias != 0;
    request.view = m_view;
    request.threads = m_nThreads;
    request.abort = &m_bAbort;
    return request;
}

int CCalcBitmap::Render(const ExprNode* node, int interval)
{
    RenderRequest request = MakeRequest(node);
    int posted = 0;
    request.columnsDone = [this, interval, &posted](int columns) {
        OnColumnsDone(columns);
        if (interval <= 0)
            return;
        // A renderer that finishes several columns at once still reports
        // every multiple of the interval, in order.
        for (int next = (posted / interval + 1) * interval; next <= columns; next += interval) {
            Notify(JobNotice::Progress(next));
            posted = next;
        }
    };
    return m_pRenderer ? m_pRenderer(request) : RenderReference(request);
}

int CCalcBitmap::RenderThumbnails(const ExprNode* node)
{
    RenderRequest request = MakeRequest(node);
    request.columnsDone = [this](int columns) { OnColumnsDone(columns); };
    if (m_pThumbnailRenderer)
        return m_pThumbnailRenderer(request, *m_pThumbList);
    return RenderThumbnailsNodeByNode(request, *m_pThumbList,
                                      m_pRenderer ? m_pRenderer : PictureRenderer(RenderReference));
}

int CCalcBitmap::AddAspectMargins(Picture& picture, unsigned a, unsigned b)
{
    if (a == 0 || b == 0)
        return 0;
    // 64-bit products: the 32-bit ones could wrap for large ratio terms.
    const uint64_t w = unsigned(picture.Width());
    const uint64_t h = unsigned(picture.Height());
    if (h * a == w * b)
        return 1;
    uint64_t newWidth, newHeight;
    if (h * a > w * b) {
        newWidth = h * a / b;
        newHeight = h;
    } else {
        newWidth = w;
        newHeight = w * b / a;
    }
    if (newWidth > uint64_t(kMaxMarginedSide) || newHeight > uint64_t(kMaxMarginedSide))
        return 0;
    // An odd margin puts the extra pixel on the right or at the bottom.
    return picture.Pad(int(newWidth), int(newHeight), int((newWidth - w) >> 1), int((newHeight - h) >> 1),
                       kMaxMarginedSide)
               ? 1
               : 0;
}

int CCalcBitmap::AddMarginsForMode(Picture& picture, int marginMode)
{
    if (marginMode < 0 || marginMode >= kNumMarginModes)
        return 0;
    if (marginMode == MARGIN_NORMAL)
        return 1;
    return AddAspectMargins(picture, kMarginRatios[marginMode].width, kMarginRatios[marginMode].height);
}
