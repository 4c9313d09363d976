// The variations window without widgets: the order of the jobs, a click that
// abandons the running job and starts the new ones, Back and the earlier
// middles, strength and mate, the source picture and the shutdown.

#include "dialogs/VariationsModel.h"

#include "engine/GenerationSettings.h"
#include "engine/QuilArchive.h"
#include "engine/SettingsStore.h"
#include "render/Picture.h"
#include "render/ThreadJob.h"

#include "tests/engine/ExpressionText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

namespace {
// Notices of the jobs, queued by their worker threads for the test's thread.
struct NoticeQueue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::pair<JobNotice, uint64_t>> items;
};

class QueueNotifier : public JobNotifier {
public:
    QueueNotifier(std::shared_ptr<NoticeQueue> queue, uint64_t serial) : m_queue(std::move(queue)), m_serial(serial) {}
    bool Post(const JobNotice& notice) override
    {
        std::lock_guard<std::mutex> lock(m_queue->mutex);
        m_queue->items.emplace_back(notice, m_serial);
        m_queue->posted.notify_all();
        return true;
    }

private:
    std::shared_ptr<NoticeQueue> m_queue;
    uint64_t m_serial;
};

class VariationsModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MemorySettingsStore store;
        m_settings.InitGenerationSettings(store);
        m_parent = Parse("rgb[sin[X[]],plus[Y[],BW[0.250000]],SPIRC[0.1,0.2,0.3]]");
    }
    std::unique_ptr<CVariationsModel> Make(uint32_t seed = 9)
    {
        CVariationsModel::Setup setup;
        setup.settings = &m_settings;
        setup.seed = seed;
        setup.notifier = [queue = m_queue](uint64_t serial) { return std::make_shared<QueueNotifier>(queue, serial); };
        setup.source = [this](int w, int h) {
            ++m_nSourceRequests;
            auto picture = std::make_shared<Picture>(w, h);
            picture->Fill(0x00ff8000);
            return std::shared_ptr<const Picture>(picture);
        };
        setup.side = 16;
        return std::make_unique<CVariationsModel>(std::move(setup));
    }
    // Hands the next notice to the model; false when none came within the time.
    bool DeliverOne(CVariationsModel& model, bool* accepted = nullptr)
    {
        std::unique_lock<std::mutex> lock(m_queue->mutex);
        if (!m_queue->posted.wait_for(lock, std::chrono::seconds(20), [this] { return !m_queue->items.empty(); }))
            return false;
        const auto [notice, serial] = m_queue->items.front();
        m_queue->items.pop_front();
        lock.unlock();
        const bool changed = model.OnJobNotice(notice, serial);
        if (accepted)
            *accepted = changed;
        return true;
    }
    // Delivers notices until no job runs.
    void RunToEnd(CVariationsModel& model)
    {
        while (model.ComputingCell() >= 0)
            ASSERT_TRUE(DeliverOne(model));
    }
    std::set<std::string> Texts(const CVariationsModel& model)
    {
        std::set<std::string> texts;
        for (int cell = 0; cell < kVariationCells; ++cell)
            if (cell != kMiddleCell && model.Cell(cell).expression)
                texts.insert(Text(*model.Cell(cell).expression));
        return texts;
    }

    GenerationSettings m_settings;
    std::unique_ptr<CQuilExpression> m_parent;
    std::shared_ptr<NoticeQueue> m_queue = std::make_shared<NoticeQueue>();
    int m_nSourceRequests = 0;
};
}  // namespace

TEST_F(VariationsModelTest, TheMiddleIsComputedFirstThenEveryVariation)
{
    auto model = Make();
    ASSERT_TRUE(model->Start(m_parent->GetRoot()));
    EXPECT_EQ(model->ComputingCell(), kMiddleCell);
    EXPECT_EQ(model->VariationsFound(), kVariationsPerRound);
    RunToEnd(*model);
    EXPECT_EQ(model->PicturesReady(), 1 + model->VariationsFound());
    // One job per picture, and one per variation drawn again because it looked like another.
    EXPECT_EQ(model->JobsStarted(), kVariationCells + model->Redraws());
    const std::set<std::string> texts = Texts(*model);
    EXPECT_EQ(texts.size(), size_t(model->VariationsFound()));
    EXPECT_EQ(texts.count(Text(*m_parent)), 0u);
    EXPECT_EQ(Text(*model->Middle().expression), Text(*m_parent));
    EXPECT_EQ(m_nSourceRequests, 0) << "no picture terminal, no source picture";
}

TEST_F(VariationsModelTest, AClickWhileComputingAbandonsTheJobAndStartsTheNewOnes)
{
    auto model = Make();
    model->Start(m_parent->GetRoot());
    const uint64_t abandoned = model->RunningSerial();
    const std::string chosen = Text(*model->Cell(0).expression);
    ASSERT_TRUE(model->Choose(0));
    // Cell 0 had no picture yet: the new middle is computed first, by a new job.
    EXPECT_NE(model->RunningSerial(), abandoned);
    EXPECT_EQ(model->ComputingCell(), kMiddleCell);
    EXPECT_EQ(Text(*model->Middle().expression), chosen);
    ASSERT_EQ(model->EarlierMiddles().size(), 1u);
    EXPECT_EQ(Text(*model->EarlierMiddles()[0].expression), Text(*m_parent));
    // The abandoned job's end is told apart by its serial and changes nothing.
    bool sawAbandoned = false;
    while (model->ComputingCell() >= 0) {
        std::unique_lock<std::mutex> lock(m_queue->mutex);
        m_queue->posted.wait_for(lock, std::chrono::seconds(20), [this] { return !m_queue->items.empty(); });
        ASSERT_FALSE(m_queue->items.empty());
        const auto [notice, serial] = m_queue->items.front();
        m_queue->items.pop_front();
        lock.unlock();
        const bool accepted = model->OnJobNotice(notice, serial);
        if (serial == abandoned) {
            sawAbandoned = sawAbandoned || notice.IsEnd();
            EXPECT_FALSE(accepted);
        }
    }
    EXPECT_TRUE(sawAbandoned);
    EXPECT_EQ(model->PicturesReady(), kVariationCells);
    EXPECT_FALSE(Texts(*model).count(chosen));
}

TEST_F(VariationsModelTest, AReadyPictureChosenIsNotComputedAgain)
{
    auto model = Make();
    model->Start(m_parent->GetRoot());
    RunToEnd(*model);
    const std::shared_ptr<Picture> picture = model->Cell(2).picture;
    const int started = model->JobsStarted();
    ASSERT_TRUE(model->Choose(2));
    EXPECT_EQ(model->Middle().picture, picture);
    EXPECT_EQ(model->Middle().state, CellState::Ready);
    EXPECT_EQ(model->ComputingCell(), 0);
    RunToEnd(*model);
    EXPECT_EQ(model->JobsStarted(), started + kVariationsPerRound);
    EXPECT_FALSE(model->Choose(kMiddleCell));
}

TEST_F(VariationsModelTest, BackAndEarlierMiddles)
{
    auto model = Make();
    model->Start(m_parent->GetRoot());
    EXPECT_FALSE(model->Back());
    std::vector<std::string> middles = {Text(*m_parent)};
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(model->Choose(step));
        middles.push_back(Text(*model->Middle().expression));
    }
    ASSERT_EQ(model->EarlierMiddles().size(), 3u);
    ASSERT_TRUE(model->Back());
    EXPECT_EQ(Text(*model->Middle().expression), middles[2]);
    EXPECT_EQ(model->EarlierMiddles().size(), 2u);
    ASSERT_TRUE(model->ReturnTo(0));
    EXPECT_EQ(Text(*model->Middle().expression), middles[0]);
    EXPECT_TRUE(model->EarlierMiddles().empty());
    EXPECT_FALSE(model->ReturnTo(0));
    // The row keeps the latest middles only.
    for (size_t step = 0; step < kMaxEarlierMiddles + 6; ++step)
        ASSERT_TRUE(model->Choose(int(step % 4)));
    EXPECT_EQ(model->EarlierMiddles().size(), kMaxEarlierMiddles);
    RunToEnd(*model);
}

TEST_F(VariationsModelTest, StrengthAndAgainMakeNewRoundsAndTheSeedRepeatsThem)
{
    auto model = Make(21);
    model->Start(m_parent->GetRoot());
    const std::set<std::string> first = Texts(*model);
    const int started = model->JobsStarted();
    model->SetStrength(model->Strength());
    EXPECT_EQ(model->JobsStarted(), started) << "the same strength is no new round";
    model->SetStrength(3);
    EXPECT_EQ(model->Strength(), 3);
    EXPECT_NE(Texts(*model), first);
    model->SetStrength(99);
    EXPECT_EQ(model->Strength(), kMaxStrength);
    model->Again();
    EXPECT_EQ(Text(*model->Middle().expression), Text(*m_parent));
    RunToEnd(*model);

    auto again = Make(21);
    again->Start(m_parent->GetRoot());
    EXPECT_EQ(Texts(*again), first);
    RunToEnd(*again);
}

TEST_F(VariationsModelTest, TheMateIsACopyAndGivesItsBranches)
{
    auto model = Make();
    model->Start(m_parent->GetRoot());
    auto mate = Parse("times[CIR[],R[]]");
    model->SetMate(mate->GetRoot(), "Untitled2");
    mate.reset();  // the other document may close: the model kept a copy
    model->Again();
    EXPECT_TRUE(model->HasMate());
    EXPECT_EQ(model->MateName(), "Untitled2");
    for (const std::string& text : Texts(*model))
        EXPECT_TRUE(text.find("CIR[]") != std::string::npos || text.find("R[]") != std::string::npos) << text;
    model->SetMate(nullptr, "");
    EXPECT_FALSE(model->HasMate());
    RunToEnd(*model);
}

TEST_F(VariationsModelTest, PictureTerminalsReadTheSharedSourcePicture)
{
    auto model = Make();
    auto parent = Parse("PIC[]");
    model->Start(parent->GetRoot());
    RunToEnd(*model);
    EXPECT_GE(m_nSourceRequests, 1);
    ASSERT_EQ(model->Middle().state, CellState::Ready);
    EXPECT_EQ(model->Middle().picture->Pixel(3, 5), 0x00ff8000u);
}

TEST_F(VariationsModelTest, AfterShutdownNoJobStarts)
{
    auto model = Make();
    model->Start(m_parent->GetRoot());
    model->Shutdown();
    EXPECT_EQ(model->ComputingCell(), -1);
    const int started = model->JobsStarted();
    model->Again();
    model->Choose(1);
    EXPECT_EQ(model->JobsStarted(), started);
}

TEST_F(VariationsModelTest, EveryShownVariationLooksUnlikeTheMiddleAndTheOthers)
{
    // "if" always takes its second child here: changes to the third are invisible.
    m_parent = Parse("if[BW[0.5],XYM[],rgb[sin[X[]],cos[Y[]],plus[R[],PHI[]]]]");
    for (uint32_t seed : {3u, 9u}) {
        auto model = Make(seed);
        model->SetStrength(1);
        ASSERT_TRUE(model->Start(m_parent->GetRoot()));
        RunToEnd(*model);
        EXPECT_GT(model->Redraws(), 0) << "the test tree makes look-alikes";
        int shown = 0;
        for (int a = 0; a < kVariationCells; ++a) {
            const VariationPicture& first = model->Cell(a);
            if (!first.expression)
                continue;
            ASSERT_EQ(first.state, CellState::Ready);
            shown += a == kMiddleCell ? 0 : 1;
            for (int b = 0; b < a; ++b) {
                if (model->Cell(b).expression) {
                    EXPECT_GE(MeanChannelDifference(*first.picture, *model->Cell(b).picture), kAlikeMeanDifference)
                        << seed << ": cells " << a << " and " << b;
                }
            }
        }
        EXPECT_EQ(shown, model->VariationsFound());
        EXPECT_LE(model->JobsStarted(), kVariationCells + kVariationsPerRound * kMaxRedrawsPerCell);
    }
}
