// The job protocol: notifications in order, abort, thumbnails, restarting,
// and the lifetime of a job that its owner abandons.

#include "RenderTestSupport.h"

#include "render/CalcBitmap.h"
#include "render/production/ProductionRenderer.h"

#include "engine/ConsistentMath.h"
#include "engine/DeepStackThread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <new>
#include <pthread.h>

namespace {

// Blocks its worker after the first column until the test opens the gate.
class GatedCalc : public CCalcBitmap {
public:
    std::promise<void> m_reached;
    std::shared_future<void> m_gate;

protected:
    void OnColumnsDone(int columns) override
    {
        if (columns == 1) {
            m_reached.set_value();
            m_gate.wait();
        }
    }
};

std::shared_ptr<Picture> Target(int width, int height) { return std::make_shared<Picture>(width, height); }

}  // namespace

TEST(Notifications, ProgressEveryTenColumnsThenZero)
{
    TreeBuilder t;
    t.Leaf(KIND_BW, 1.0);
    auto job = std::make_shared<CCalcBitmap>();
    auto notifier = std::make_shared<RecordingNotifier>();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(35, 2);
    ASSERT_EQ(job->Start(notifier), 1);
    ASSERT_TRUE(notifier->WaitForEnd());
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(notifier->WParams(), (std::vector<long>{10, 20, 30, 0}));
    EXPECT_EQ(job->m_nResult, 1);
    EXPECT_EQ(notifier->Beeps(), 0);
}

TEST(Notifications, ZeroWidePictureEndsAtOnce)
{
    TreeBuilder t;
    t.Leaf(KIND_X);
    auto job = std::make_shared<CCalcBitmap>();
    auto notifier = std::make_shared<RecordingNotifier>();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(0, 300);
    ASSERT_EQ(job->Start(notifier), 1);
    ASSERT_TRUE(notifier->WaitForEnd());
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(notifier->WParams(), std::vector<long>{0});
    EXPECT_EQ(job->m_nResult, 1);

    // 0 rows: every (empty) column is still finished and reported.
    auto flat = std::make_shared<CCalcBitmap>();
    auto flatNotifier = std::make_shared<RecordingNotifier>();
    flat->m_pRoot = t.Root();
    flat->m_pTarget = Target(20, 0);
    ASSERT_EQ(flat->Start(flatNotifier), 1);
    ASSERT_TRUE(flatNotifier->WaitForEnd());
    ASSERT_TRUE(WaitUntilIdle(*flat));
    EXPECT_EQ(flatNotifier->WParams(), (std::vector<long>{10, 20, 0}));
    EXPECT_EQ(flat->m_nResult, 1);
}

TEST(Notifications, AbortAfterTwentyFiveColumns)
{
    TreeBuilder t;
    t.Leaf(KIND_BW, 1.0);
    auto job = std::make_shared<AbortingCalc>();
    auto notifier = std::make_shared<RecordingNotifier>();
    job->m_nAbortAt = 25;
    job->m_pRenderer = RenderReference;  // the pixel-exact stop below is the literal calculation's
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(300, 4);
    ASSERT_EQ(job->Start(notifier), 1);
    ASSERT_TRUE(notifier->WaitForEnd());
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(notifier->WParams(), (std::vector<long>{10, 20, -1}));
    EXPECT_EQ(job->m_nResult, 0);
    // Checked after each pixel: the first pixel of column 25 is the last one stored.
    const Picture& p = *job->m_pTarget;
    EXPECT_EQ(p.Pixel(24, 3), 0xffffffu);
    EXPECT_EQ(p.Pixel(25, 0), 0xffffffu);
    EXPECT_EQ(p.Pixel(25, 1), 0u);
    EXPECT_EQ(p.Pixel(299, 0), 0u);
}

TEST(Notifications, EvaluatorStopEndsWithZeroWithoutAbort)
{
    TreeBuilder t;
    t.Fn(KIND_NEG, t.Leaf(-1));  // a kind that failed to load
    auto job = std::make_shared<CCalcBitmap>();
    auto notifier = std::make_shared<RecordingNotifier>();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(30, 30);
    job->m_pTarget->Fill(0x123456);
    ASSERT_EQ(job->Start(notifier), 1);
    ASSERT_TRUE(notifier->WaitForEnd());
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(notifier->WParams(), std::vector<long>{0});
    EXPECT_EQ(job->m_nResult, 0);
    EXPECT_EQ(job->m_pTarget->Pixel(0, 0), 0x123456u);  // nothing stored
}

TEST(Notifications, NoNotifierStillRecordsTheResult)
{
    TreeBuilder t;
    t.Leaf(KIND_Y);
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(20, 20);
    ASSERT_EQ(job->Start(nullptr), 1);
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(job->m_nResult, 1);
    EXPECT_EQ(job->m_pThread.load(), nullptr);
}

TEST(Notifications, FailedPostBeepsAndTheJobGoesOn)
{
    TreeBuilder t;
    t.Leaf(KIND_X);
    auto job = std::make_shared<CCalcBitmap>();
    auto notifier = std::make_shared<RecordingNotifier>();
    notifier->SetOwnerAlive(false);
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(20, 3);
    ASSERT_EQ(job->Start(notifier), 1);
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(notifier->Beeps(), 3);  // 10, 20 and the end
    EXPECT_EQ(job->m_nResult, 1);
}

TEST(Start, RefusesJobsItCannotKeepAlive)
{
    TreeBuilder t;
    t.Leaf(KIND_X);
    CCalcBitmap onStack;  // not held by a shared_ptr
    onStack.m_pRoot = t.Root();
    onStack.m_pTarget = Target(5, 5);
    EXPECT_EQ(onStack.Start(nullptr), 0);
    EXPECT_FALSE(onStack.IsRunning());

    auto noTarget = std::make_shared<CCalcBitmap>();
    noTarget->m_pRoot = t.Root();
    EXPECT_EQ(noTarget->Start(nullptr), 0);
}

TEST(Start, RunningJobIsNotStartedTwiceAndCanBeRestarted)
{
    TreeBuilder t;
    t.Leaf(KIND_X);
    auto job = std::make_shared<GatedCalc>();
    std::promise<void> gate;
    job->m_gate = gate.get_future().share();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(4, 4);
    auto notifier = std::make_shared<RecordingNotifier>();
    ASSERT_EQ(job->Start(notifier), 1);
    job->m_reached.get_future().wait();
    EXPECT_TRUE(job->IsRunning());
    EXPECT_EQ(job->Start(notifier), 0);
    gate.set_value();
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(job->m_nResult, 1);

    // The dialogs start the same job again for their next picture.
    auto plain = std::make_shared<CCalcBitmap>();
    plain->m_pRoot = t.Root();
    for (int round = 0; round < 3; ++round) {
        plain->m_pTarget = Target(10 + round, 3);
        auto n = std::make_shared<RecordingNotifier>();
        ASSERT_EQ(plain->Start(n), 1);
        ASSERT_TRUE(n->WaitForEnd());
        ASSERT_TRUE(WaitUntilIdle(*plain));
        EXPECT_EQ(n->WParams(), (std::vector<long>{10, 0}));
    }
}

TEST(Start, WorkerReadsItsOwnCopyOfTheTree)
{
    auto tree = std::make_unique<TreeBuilder>();
    tree->Leaf(KIND_BW, 1.0);
    auto job = std::make_shared<GatedCalc>();
    std::promise<void> gate;
    job->m_gate = gate.get_future().share();
    job->m_pRoot = tree->Root();
    job->m_pTarget = Target(3, 1);
    ASSERT_EQ(job->Start(nullptr), 1);
    job->m_reached.get_future().wait();
    tree.reset();  // the owner frees its tree while the job runs
    gate.set_value();
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(job->m_nResult, 1);
    EXPECT_EQ(job->m_pTarget->Pixel(2, 0), 0xffffffu);
}

TEST(StopJob, StopsARunningRender)
{
    TreeBuilder t;
    t.Leaf(KIND_SPIR, 0, 0, 0.5);
    auto job = std::make_shared<GatedCalc>();
    std::promise<void> gate;
    job->m_gate = gate.get_future().share();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(200, 200);
    auto notifier = std::make_shared<RecordingNotifier>();
    ASSERT_EQ(job->Start(notifier), 1);
    job->m_reached.get_future().wait();
    // The worker goes on only once the abort is set, so the job cannot finish first.
    std::thread opener([&] {
        while (!job->m_bAbort.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        gate.set_value();
    });
    EXPECT_TRUE(StopJob(*job));
    opener.join();
    EXPECT_FALSE(job->IsRunning());
    EXPECT_EQ(notifier->WParams().back(), -1);
    EXPECT_EQ(job->m_nResult, 0);
}

TEST(StopJob, AbandonedJobNeverTouchesFreedMemory)
{
    // The owner gives up after the bounded wait while the worker is held up,
    // drops the job, its target and its window; the worker then finishes its
    // pixel and notifies a window that has gone. Run under the sanitizers,
    // this fails on any use of freed memory.
    TreeBuilder t;
    t.Leaf(KIND_XYM);
    auto job = std::make_shared<GatedCalc>();
    std::promise<void> gate;
    job->m_gate = gate.get_future().share();
    auto reached = job->m_reached.get_future();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(50, 50);
    auto notifier = std::make_shared<RecordingNotifier>();
    ASSERT_EQ(job->Start(notifier), 1);
    reached.wait();

    EXPECT_FALSE(StopJob(*job));  // still held: the wait gives up
    std::weak_ptr<CThreadJob> watch = job;
    std::weak_ptr<Picture> target = job->m_pTarget;
    notifier->SetOwnerAlive(false);
    job.reset();
    EXPECT_FALSE(watch.expired());  // the worker keeps it
    EXPECT_FALSE(target.expired());

    gate.set_value();
    ASSERT_TRUE(notifier->WaitForBeep());
    // The job's count drops to zero before its destructor releases the target.
    for (int i = 0; i < 6000 && !(watch.expired() && target.expired()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(target.expired());
    EXPECT_EQ(notifier->WParams().back(), -1);
}

TEST(Thumbnails, OnePicturePerNodeInPreOrder)
{
    // plus(neg(X), Y): pre-order is plus, neg, X, Y.
    TreeBuilder t;
    t.Fn(KIND_PLUS, t.Fn(KIND_NEG, t.Leaf(KIND_X)), t.Leaf(KIND_Y));
    auto job = std::make_shared<CCalcBitmap>();
    auto notifier = std::make_shared<RecordingNotifier>();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(24, 24);
    job->m_pThumbList = std::make_shared<std::vector<Picture>>();
    ASSERT_EQ(job->Start(notifier), 1);
    ASSERT_TRUE(notifier->WaitForEnd());
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(notifier->WParams(), std::vector<long>{0});  // no progress in thumbnail mode
    EXPECT_EQ(job->m_nResult, 1);

    const auto grey = [](double v) { return Colour{v, v, v}; };
    const std::vector<ColourFunction> nodes = {
        [&](double x, double y, Colour) { return grey((-x + y) * 0.5); },
        [&](double x, double, Colour) { return grey(-x); },
        [&](double x, double, Colour) { return grey(x); },
        [&](double, double y, Colour) { return grey(y); },
    };
    ASSERT_EQ(job->m_pThumbList->size(), nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ((*job->m_pThumbList)[i], expected::Render(nodes[i], 24, 24, false)) << "node " << i;
}

TEST(Thumbnails, FailingRootGivesNoPictures)
{
    TreeBuilder t;
    t.Fn(KIND_RGBF, t.Leaf(KIND_X), t.Fn(KIND_NEG, t.Leaf(-1)), t.Leaf(KIND_Y));
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = t.Root();
    job->m_pTarget = Target(4, 4);
    job->m_pThumbList = std::make_shared<std::vector<Picture>>();
    ASSERT_EQ(job->Start(nullptr), 1);
    ASSERT_TRUE(WaitUntilIdle(*job));
    EXPECT_EQ(job->m_nResult, 0);
    EXPECT_TRUE(job->m_pThumbList->empty());
}

// Aborts when the n-th picture of a thumbnail job finishes its first column.
class AbortAtThumbnail : public CCalcBitmap {
public:
    explicit AbortAtThumbnail(int picture) : m_nPicture(picture) {}

protected:
    void OnColumnsDone(int columns) override
    {
        if (columns == 1 && ++m_nStarted == m_nPicture)
            SetAbort(1);
    }

private:
    int m_nPicture;
    int m_nStarted = 0;
};

// An abort during the second picture keeps the first, ends with -1 and makes
// the job's result 0, with either renderer.
TEST(Thumbnails, AbortKeepsTheFinishedPicturesAndFails)
{
    TreeBuilder t;
    t.Fn(KIND_TIMES, t.Fn(KIND_COS, t.Leaf(KIND_R)), t.Leaf(KIND_PHI));
    for (PictureRenderer renderer : {PictureRenderer(RenderReference), PictureRenderer(RenderProduction)}) {
        auto job = std::make_shared<AbortAtThumbnail>(2);
        auto notifier = std::make_shared<RecordingNotifier>();
        job->m_pRoot = t.Root();
        job->m_pTarget = Target(9, 7);
        job->m_pThumbList = std::make_shared<std::vector<Picture>>();
        job->m_pRenderer = renderer;
        ASSERT_EQ(job->Start(notifier), 1);
        ASSERT_TRUE(notifier->WaitForEnd());
        ASSERT_TRUE(WaitUntilIdle(*job));
        EXPECT_EQ(notifier->WParams(), std::vector<long>{-1});
        EXPECT_EQ(job->m_nResult, 0);
        ASSERT_EQ(job->m_pThumbList->size(), 1u);
        const double pi = CEvaluator().m_dPi;
        const auto root = [pi](double x, double y, Colour) {
            const double v = consistent::Cos(pi * std::sqrt((x * x + y * y) * 0.5)) * (consistent::Atan2(y, x) / pi);
            return Colour{v, v, v};
        };
        EXPECT_EQ((*job->m_pThumbList)[0], expected::Render(root, 9, 7, false));
    }
}

namespace {
// Records the stack its worker was given.
class StackProbe : public CThreadJob {
public:
    size_t m_nStack = 0;
    int Run() override { return StackOfThisThread(m_nStack) ? 1 : 0; }
    static bool StackOfThisThread(size_t& size)
    {
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) != 0)
            return false;
        pthread_attr_getstacksize(&attributes, &size);
        pthread_attr_destroy(&attributes);
        return true;
    }
};
}  // namespace

TEST(DeepStack, WorkersGetAStackForTheDeepestTreeWhateverTheLimit)
{
    // Not the default stack, which follows `ulimit -s`.
    auto probe = std::make_shared<StackProbe>();
    ASSERT_EQ(probe->Start(nullptr), 1);
    ASSERT_TRUE(WaitUntilIdle(*probe));
    EXPECT_EQ(probe->m_nResult, 1);
    EXPECT_GE(probe->m_nStack, kDeepStackBytes);

    // The same for work run and waited for; what it throws reaches the caller.
    size_t size = 0;
    ASSERT_TRUE(RunOnDeepStack([&] { StackProbe::StackOfThisThread(size); }));
    EXPECT_GE(size, kDeepStackBytes);
    EXPECT_THROW(RunOnDeepStack([] { throw std::bad_alloc(); }), std::bad_alloc);
}

TEST(DeepStack, DeepestTreeRendersWithBothRenderers)
{
    // 4095 levels of "plus" and "if3", whose evaluation frames are the widest,
    // with the chain in the last child.
    for (int kind : {KIND_PLUS, KIND_IF3}) {
        TreeBuilder t;
        ExprNode* node = t.Leaf(KIND_BW, 0.25);
        for (int level = 1; level < 4095; ++level)
            node = kind == KIND_PLUS ? t.Fn(KIND_PLUS, t.Leaf(KIND_X), node)
                                     : t.Fn(KIND_IF3, t.Leaf(KIND_X), t.Leaf(KIND_Y), node);
        const RenderOutcome reference = RenderNow(t.Root(), 5, 4);
        const RenderOutcome production = RenderNow(t.Root(), 5, 4, false, nullptr, RenderProduction);
        EXPECT_EQ(reference.result, 1);
        EXPECT_EQ(production.result, 1);
        EXPECT_EQ(reference.picture, production.picture);
    }
}
