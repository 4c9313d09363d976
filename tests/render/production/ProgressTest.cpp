// Progress and abort of the production renderer: every count of leading
// finished columns once, in order, on the calling thread; an abort stops every
// worker within a block and leaves a partial picture of correct pixels; a job
// posts the same notifications as with the reference.

#include "ProductionTestSupport.h"

#include "tests/render/RenderTestSupport.h"

#include "render/CalcBitmap.h"

#include <gtest/gtest.h>

#include <thread>

using namespace prodtest;

namespace {

constexpr uint32_t kUntouched = 0xabcdefu;

ExprNode* BusyTree(Tree& t)
{
    // Depends on x and y everywhere, with library calls in every sample.
    ExprNode* sin = t.Node(KIND_SIN);
    ExprNode* times = t.Node(KIND_TIMES);
    times->pChild[0] = t.Node(KIND_R2C, 0.3, -0.2);
    times->pChild[1] = t.Node(KIND_SPIR, 0, 0, 0.4);
    sin->pChild[0] = times;
    return sin;
}

struct Recorded {
    std::vector<int> columns;
    std::vector<std::thread::id> threads;
};

int RenderRecording(const ExprNode* root, Picture& target, int threads, int blockSamples, Recorded& rec,
                    std::atomic<int>* abort = nullptr, int abortAt = -1)
{
    CEvaluator evaluator;
    RenderRequest request;
    request.evaluator = &evaluator;
    request.root = root;
    request.target = &target;
    request.threads = threads;
    request.abort = abort;
    request.columnsDone = [&](int columns) {
        rec.columns.push_back(columns);
        rec.threads.push_back(std::this_thread::get_id());
        if (columns == abortAt)
            abort->store(1);
    };
    production::ProductionOptions options;
    options.blockSamples = blockSamples;
    options.minBlocksPerThread = 1;
    options.minSecondsPerThread = 0.0;
    return production::RenderProduction(request, options);
}

TEST(ProductionProgress, EveryColumnCountOnceInOrderOnTheCallingThread)
{
    Tree t;
    BusyTree(t);
    const int sizes[][2] = {{23, 5}, {1, 9}, {9, 1}, {40, 3}};
    for (const auto& size : sizes)
        for (int threads : {1, 2, 5, 8})
            for (int block : {1, 7, 64, 1000}) {
                Picture target(size[0], size[1]);
                Recorded rec;
                EXPECT_EQ(RenderRecording(t.Root(), target, threads, block, rec), 1);
                std::vector<int> expected;
                for (int c = 1; c <= size[0]; ++c)
                    expected.push_back(c);
                EXPECT_EQ(rec.columns, expected) << size[0] << "x" << size[1] << " threads " << threads;
                for (std::thread::id id : rec.threads)
                    EXPECT_EQ(id, std::this_thread::get_id());
            }
}

// The reference's behaviour for pictures without pixels: a picture with
// columns but no rows reports every column; neither computes anything.
TEST(ProductionProgress, PicturesWithoutPixels)
{
    Tree t;
    BusyTree(t);
    for (const auto& size : {std::pair{12, 0}, std::pair{0, 5}, std::pair{0, 0}}) {
        Picture target(size.first, size.second);
        Recorded rec;
        EXPECT_EQ(RenderRecording(t.Root(), target, 4, 16, rec), 1);
        CEvaluator evaluator;
        RenderRequest request;
        request.evaluator = &evaluator;
        request.root = t.Root();
        request.target = &target;
        std::vector<int> reference;
        request.columnsDone = [&](int columns) { reference.push_back(columns); };
        EXPECT_EQ(RenderReference(request), 1);
        EXPECT_EQ(rec.columns, reference);
    }
}

size_t CountComputed(const Picture& target)
{
    size_t computed = 0;
    for (int r = 0; r < target.Height(); ++r)
        for (int c = 0; c < target.Width(); ++c)
            computed += target.LoadPixelShared(c, r) != kUntouched ? 1 : 0;
    return computed;
}

TEST(ProductionProgress, AbortStopsWithinABlockAndKeepsCorrectPixels)
{
    Tree t;
    BusyTree(t);
    RenderSetup setup;
    setup.width = 60;
    setup.height = 6;
    const Picture expected = RenderReferencePicture(t.Root(), setup);
    for (int threads : {1, 3, 8}) {
        constexpr int kBlock = 8;  // pixels per block without anti-alias
        Picture target(setup.width, setup.height);
        target.Fill(kUntouched);
        std::atomic<int> abort{0};
        size_t computedAtAbort = 0;
        std::vector<int> columns;
        CEvaluator evaluator;
        RenderRequest request;
        request.evaluator = &evaluator;
        request.root = t.Root();
        request.target = &target;
        request.threads = threads;
        request.abort = &abort;
        request.columnsDone = [&](int done) {
            columns.push_back(done);
            if (done == 5) {
                abort.store(1);
                computedAtAbort = CountComputed(target);
            }
        };
        production::ProductionOptions options;
        options.blockSamples = kBlock;
        options.minBlocksPerThread = 1;
        options.minSecondsPerThread = 0.0;
        EXPECT_EQ(production::RenderProduction(request, options), 0);
        EXPECT_EQ(columns, (std::vector<int>{1, 2, 3, 4, 5})) << threads;
        for (int c = 0; c < setup.width; ++c)
            for (int r = 0; r < setup.height; ++r) {
                const uint32_t p = target.Pixel(c, r);
                if (c < 5 || p != kUntouched) {
                    EXPECT_EQ(p, expected.Pixel(c, r)) << c << "," << r;
                }
            }
        // After the abort each worker finishes the block it is on and at most
        // one it took just before the flag was set.
        EXPECT_LE(CountComputed(target) - computedAtAbort, size_t(2 * threads * kBlock)) << threads;
    }
}

TEST(ProductionProgress, AbortBeforeTheStartComputesNothing)
{
    Tree t;
    BusyTree(t);
    Picture target(30, 7);
    target.Fill(kUntouched);
    std::atomic<int> abort{1};
    Recorded rec;
    EXPECT_EQ(RenderRecording(t.Root(), target, 4, 16, rec, &abort), 0);
    EXPECT_TRUE(rec.columns.empty());
    for (int c = 0; c < 30; ++c)
        for (int r = 0; r < 7; ++r)
            ASSERT_EQ(target.Pixel(c, r), kUntouched);
}

// A job with the production renderer posts what it posts with the
// reference: every tenth column, then 0, or -1 after an abort.
TEST(ProductionProgress, JobNotifications)
{
    Tree t;
    BusyTree(t);
    {
        auto job = std::make_shared<CCalcBitmap>();
        job->m_pRenderer = RenderProduction;
        auto notifier = std::make_shared<RecordingNotifier>();
        job->m_pRoot = t.Root();
        job->m_pTarget = std::make_shared<Picture>(35, 4);
        job->m_nThreads = 3;
        ASSERT_EQ(job->Start(notifier), 1);
        ASSERT_TRUE(notifier->WaitForEnd());
        ASSERT_TRUE(WaitUntilIdle(*job));
        EXPECT_EQ(notifier->WParams(), (std::vector<long>{10, 20, 30, 0}));
        EXPECT_EQ(job->m_nResult, 1);
        RenderSetup setup;
        setup.width = 35;
        setup.height = 4;
        EXPECT_EQ(FirstDifference(*job->m_pTarget, RenderReferencePicture(t.Root(), setup)), -1);
    }
    {
        auto job = std::make_shared<AbortingCalc>();
        auto notifier = std::make_shared<RecordingNotifier>();
        job->m_nAbortAt = 25;
        job->m_pRenderer = RenderProduction;
        job->m_pRoot = t.Root();
        job->m_pTarget = std::make_shared<Picture>(300, 4);
        job->m_nThreads = 2;
        ASSERT_EQ(job->Start(notifier), 1);
        ASSERT_TRUE(notifier->WaitForEnd());
        ASSERT_TRUE(WaitUntilIdle(*job));
        EXPECT_EQ(notifier->WParams(), (std::vector<long>{10, 20, -1}));
        EXPECT_EQ(job->m_nResult, 0);
    }
    {
        // Thumbnails post only the end.
        auto job = std::make_shared<CCalcBitmap>();
        auto notifier = std::make_shared<RecordingNotifier>();
        job->m_pRoot = t.Root();
        job->m_pTarget = std::make_shared<Picture>(16, 16);
        job->m_pRenderer = RenderProduction;
        job->m_pThumbList = std::make_shared<std::vector<Picture>>();
        ASSERT_EQ(job->Start(notifier), 1);
        ASSERT_TRUE(notifier->WaitForEnd());
        ASSERT_TRUE(WaitUntilIdle(*job));
        EXPECT_EQ(notifier->WParams(), std::vector<long>{0});
        // sin, times, R2C, SPIR in pre-order, each its own subtree's picture.
        ASSERT_EQ(job->m_pThumbList->size(), 4u);
        RenderSetup setup;
        setup.width = 16;
        setup.height = 16;
        EXPECT_EQ(FirstDifference((*job->m_pThumbList)[0], RenderReferencePicture(t.Root(), setup)), -1);
        const ExprNode* r2c = t.Root()->pChild[0]->pChild[0];
        EXPECT_EQ(FirstDifference((*job->m_pThumbList)[2], RenderReferencePicture(r2c, setup)), -1);
    }
}

}  // namespace
