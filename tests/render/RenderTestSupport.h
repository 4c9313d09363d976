#pragma once
// Shared pieces of the render tests: a notifier that records what a job
// posts, small hand-built trees, and an independent computation of the
// pixels a tree should give, written from the definition of a picture rather
// than from the renderer's code.

#include "render/CalcBitmap.h"
#include "render/Picture.h"
#include "render/ThreadJob.h"

#include "engine/Evaluator.h"
#include "engine/NodeKinds.h"
#include "engine/QuilExpression.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class RecordingNotifier : public JobNotifier {
public:
    bool Post(const JobNotice& notice) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wParams.push_back(notice.Code());
        m_changed.notify_all();
        return m_bOwnerAlive;
    }
    void Beep() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_nBeeps;
        m_changed.notify_all();
    }
    // Waits for an end notification (wParam 0 or -1); false after 60 s.
    bool WaitForEnd()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(60), [this] {
            return !m_wParams.empty() && m_wParams.back() <= 0;
        });
    }
    bool WaitForBeep()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(60), [this] { return m_nBeeps > 0; });
    }
    std::vector<long> WParams()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_wParams;
    }
    int Beeps()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_nBeeps;
    }
    void SetOwnerAlive(bool alive)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bOwnerAlive = alive;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<long> m_wParams;
    int m_nBeeps = 0;
    bool m_bOwnerAlive = true;
};

// Waits until the job's worker has finished; false after 60 s.
inline bool WaitUntilIdle(const CThreadJob& job)
{
    for (int i = 0; i < 6000 && job.IsRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !job.IsRunning();
}

// A render through a whole job, waited for: its picture, its result and its notifications.
struct RenderOutcome {
    Picture picture;
    int result = -1;
    std::vector<long> notifications;
};

inline RenderOutcome RenderNow(const ExprNode* root, int width, int height, bool antiAlias = false,
                        std::shared_ptr<const Picture> source = nullptr,
                        PictureRenderer renderer = RenderReference)
{
    auto job = std::make_shared<CCalcBitmap>();
    auto notifier = std::make_shared<RecordingNotifier>();
    job->m_pRoot = root;
    job->m_pTarget = std::make_shared<Picture>(width, height);
    job->m_pSourcePicture = std::move(source);
    job->m_bAntiAlias = antiAlias;
    job->m_pRenderer = renderer;
    RenderOutcome out;
    EXPECT_EQ(job->Start(notifier), 1);
    EXPECT_TRUE(notifier->WaitForEnd());
    EXPECT_TRUE(WaitUntilIdle(*job));
    out.result = job->m_nResult;
    out.notifications = notifier->WParams();
    out.picture = *job->m_pTarget;
    return out;
}

// Builds a tree node by node in an expression's pool. Children are made
// before their parent, so the root is the node made last.
class TreeBuilder {
public:
    TreeBuilder() { m_pRoot = m_expr.Reset(); }
    ExprNode* Leaf(int kind, double a = 0, double b = 0, double c = 0)
    {
        ExprNode* n = Take();
        *n = ExprNode{kind, {a, b, c}, 0, {nullptr, nullptr, nullptr}};
        return m_pLast = n;
    }
    ExprNode* Fn(int kind, ExprNode* c0, ExprNode* c1 = nullptr, ExprNode* c2 = nullptr)
    {
        ExprNode* n = Take();
        *n = ExprNode{kind, {0, 0, 0}, KindArity(kind), {c0, c1, c2}};
        return m_pLast = n;
    }
    const ExprNode* Root() const { return m_pLast; }

private:
    ExprNode* Take()
    {
        if (!m_bRootUsed) {
            m_bRootUsed = true;
            return m_pRoot;
        }
        return m_expr.NewNode();
    }
    CQuilExpression m_expr;
    ExprNode* m_pRoot;
    ExprNode* m_pLast = nullptr;
    bool m_bRootUsed = false;
};

// A colour function over the plane: (x, y, input colour) -> colour.
struct Colour {
    double r, g, b;
};
using ColourFunction = std::function<Colour(double x, double y, Colour input)>;

// The definition of a pixel, restated independently of the renderer.
// Aborts itself when a chosen number of columns is finished, as if the owner
// had pressed Abort right then.
class AbortingCalc : public CCalcBitmap {
public:
    int m_nAbortAt = 0;

protected:
    void OnColumnsDone(int columns) override
    {
        if (columns == m_nAbortAt)
            SetAbort(1);
    }
};

namespace expected {

inline int64_t ToInt(double v)
{
    const double t = std::trunc((v + 1.0) * 0.5 * 255.0);
    if (std::isnan(t) || t < -2147483648.0 || t > 2147483647.0)
        return INT32_MIN;
    return int64_t(t);
}

inline uint32_t Byte(int64_t value) { return uint32_t(value & 0xff); }

// floor(sum / 4) of the exact sum, low 8 bits.
inline uint32_t MeanByte(int64_t a, int64_t b, int64_t c, int64_t d)
{
    const int64_t sum = a + b + c + d;
    const int64_t floorQuarter = sum >= 0 ? sum / 4 : -((-sum + 3) / 4);
    return uint32_t(floorQuarter & 0xff);
}

inline Colour Input(const Picture* source, int c, int r)
{
    if (!source || c >= source->Width() || r >= source->Height())
        return {-1, -1, -1};
    const uint32_t w = source->Pixel(c, r);
    return {2.0 * double((w >> 16) & 255) / 255 - 1, 2.0 * double((w >> 8) & 255) / 255 - 1,
            2.0 * double(w & 255) / 255 - 1};
}

inline Picture Render(const ColourFunction& f, int width, int height, bool antiAlias,
                      const Picture* source = nullptr)
{
    static const double plain[2] = {0.499999, 0.50001};
    static const double aa[4][2] = {{0.33333, 0.333331}, {0.666666, 0.333331}, {0.33333, 0.666661},
                                    {0.66666, 0.666661}};
    Picture p(width, height);
    for (int c = 0; c < width; ++c)
        for (int r = 0; r < height; ++r) {
            const Colour in = Input(source, c, r);
            uint32_t rgb[3];
            if (!antiAlias) {
                const Colour v = f(2.0 * (c + plain[0]) / width - 1, 2.0 * (r + plain[1]) / height - 1, in);
                rgb[0] = Byte(ToInt(v.r));
                rgb[1] = Byte(ToInt(v.g));
                rgb[2] = Byte(ToInt(v.b));
            } else {
                int64_t t[3][4];
                for (int s = 0; s < 4; ++s) {
                    const Colour v = f(2.0 * (c + aa[s][0]) / width - 1, 2.0 * (r + aa[s][1]) / height - 1, in);
                    t[0][s] = ToInt(v.r);
                    t[1][s] = ToInt(v.g);
                    t[2][s] = ToInt(v.b);
                }
                for (int k = 0; k < 3; ++k)
                    rgb[k] = MeanByte(t[k][0], t[k][1], t[k][2], t[k][3]);
            }
            p.SetPixel(c, r, (rgb[0] << 16) | (rgb[1] << 8) | rgb[2]);
        }
    return p;
}

}  // namespace expected
