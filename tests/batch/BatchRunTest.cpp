// A batch run from start to end without windows: the files it writes, the
// order it reads, margins, the overwrite prompt's answers, abort, refusals
// and failures, plain pictures and several pictures at once.

#include "BatchTestSupport.h"

#include "batch/BatchNaming.h"
#include "batch/BatchTexts.h"
#include "engine/NodeKinds.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "render/CalcBitmap.h"
#include "render/RenderMessages.h"
#include "render/pictureio/PictureIO.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Computes nothing until it is aborted.
int WaitForAbort(const RenderRequest& request)
{
    while (!request.abort->load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 0;
}

class BatchRun : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_quil = Sub("quil");
        m_bmp = Sub("bmp");
        m_settings.QuilDir = m_quil;
        m_settings.BmpDir = m_bmp;
        m_settings.Filename = "QuilPic";
        m_settings.XPixel = 20;
        m_settings.YPixel = 10;
        m_settings.m_nPictureCount = 3;
        m_settings.NoOverwrite = 0;  // tests run again into the same folders
        m_run.m_options.renderer = RenderReference;
    }
    std::string Sub(const std::string& name)
    {
        const std::string path = m_dir.path().toStdString() + "/" + name;
        ::mkdir(path.c_str(), 0755);
        return path;
    }
    bool Run()
    {
        if (!m_run.StartBatch(m_settings))
            return false;
        return m_host.Drive(m_run);
    }
    std::string Bmp(unsigned n) const { return m_bmp + "/QuilPic" + BatchNumberText(0, n) + ".bmp"; }
    std::string Quil(unsigned n) const { return m_quil + "/QuilPic" + BatchNumberText(0, n) + ".quil"; }
    static Picture Load(const std::string& path)
    {
        Picture p;
        EXPECT_TRUE(ImageToPicture(QImage(QString::fromStdString(path)), p, kMaxMarginedSide)) << path;
        return p;
    }
    // The reference picture of an expression file at the given size.
    static Picture Expected(const std::string& quilPath, int width, int height)
    {
        CQuilExpression expression;
        StringArchive archive;
        EXPECT_TRUE(LoadFileArchive(quilPath, archive));
        EXPECT_NE(expression.ReadExpression(archive), nullptr);
        return ReferencePicture(expression.GetRoot(), width, height);
    }
    void OnlyKind(int kind)
    {
        GenerationSettings& g = m_sources.generation;
        for (double& p : g.m_dProb)
            p = 0;
        g.m_dProb[kind] = 1;
        g.m_nMaxLevel = 0;
        g.m_bUseRandConst = 0;
        g.m_nNumConsts = kNumTerminalKinds;
    }

    QTemporaryDir m_dir;
    std::string m_quil, m_bmp;
    BatchSettings m_settings;
    TestSources m_sources;
    RecordingBatchHost m_host;
    CBatchRun m_run{m_sources, m_host};
};

// The rules of the files hold whether the run writes them itself or hands
// them to a worker (quil-cli's several pictures at once).
class BatchRunWrites : public BatchRun, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        BatchRun::SetUp();
        m_run.m_options.saveOnWorker = GetParam();
    }
};

INSTANTIATE_TEST_SUITE_P(OwnerOrWorker, BatchRunWrites, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Worker" : "Owner"; });

}  // namespace

TEST_P(BatchRunWrites, RandomModeWritesTheNamedPicturesAndExpressionFiles)
{
    // Every reading of this clock is one second later.
    int64_t now = 0;
    m_run.m_clock = [&now] { return now += 1000; };
    m_settings.m_nPictureCount = 2;
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_host.ends, std::vector<BatchEnd>{BatchEnd::Complete});
    EXPECT_TRUE(m_host.messages.empty());
    for (unsigned n = 1; n <= 2; ++n) {
        EXPECT_EQ(Load(Bmp(n)), Expected(Quil(n), 20, 10)) << n;
    }
    EXPECT_FALSE(Exists(Bmp(3)));
    EXPECT_EQ(m_host.names, (std::vector<std::string>{Bmp(1), Bmp(2), ""}));
    ASSERT_EQ(m_host.pictures.size(), 2u);
    EXPECT_EQ(m_host.pictures[0].progressText, "1 pictures of 2 ready (50%)");
    EXPECT_EQ(m_host.pictures[1].progressText, "2 pictures of 2 ready (100%)");
    EXPECT_EQ(m_host.pictures[0].estimateText, "1 seconds remaining");
    EXPECT_EQ(m_host.pictures[1].estimateText, "done in 0 minutes 4 seconds");

    // With the copy option the expression files go to the picture folder.
    m_settings.QuilCopy = 1;
    m_settings.offset = 41;
    ASSERT_TRUE(Run());
    EXPECT_TRUE(Exists(m_bmp + "/QuilPic000042.quil"));
    EXPECT_TRUE(Exists(m_bmp + "/QuilPic000043.bmp"));
    EXPECT_FALSE(Exists(m_quil + "/QuilPic000042.quil"));
}

TEST_F(BatchRun, ExistingModeReadsOldestFirstAndNamesBesideEachFile)
{
    const std::string in = Sub("in");
    const long ten = 1700000000;
    WriteText(in + "/ten.quil", "X[]");
    WriteText(in + "/nine.quil", "Y[]");
    WriteText(in + "/eleven.quil", "PHI[]");
    SetModified(in + "/ten.quil", ten);
    SetModified(in + "/nine.quil", ten - 3600);
    SetModified(in + "/eleven.quil", ten + 3600);
    m_settings.CreateMode = BATCH_FROM_EXISTING;
    m_settings.QuilDir = in;
    m_settings.SameName = 1;
    m_settings.QuilCopy = 1;
    m_settings.m_nPictureCount = 99;
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_host.counts, std::vector<unsigned>{3});
    EXPECT_EQ(m_run.PictureCount(), 3u);
    EXPECT_EQ(m_host.processed, (std::vector<std::string>{in + "/nine.quil", in + "/ten.quil", in + "/eleven.quil"}));
    for (const char* name : {"nine", "ten", "eleven"}) {
        const std::string quil = in + "/" + name + ".quil";
        EXPECT_EQ(Load(in + "/" + name + ".bmp"), Expected(quil, 20, 10)) << name;
        EXPECT_EQ(ReadText(m_bmp + "/" + name + ".quil"), ReadText(quil)) << name;
    }
    EXPECT_EQ(m_host.ends, std::vector<BatchEnd>{BatchEnd::Complete});

    // Without the options: generated names in the picture folder, no expression files.
    m_settings.SameName = 0;
    m_settings.QuilCopy = 0;
    ASSERT_TRUE(Run());
    EXPECT_EQ(Load(Bmp(1)), Expected(in + "/nine.quil", 20, 10));
    EXPECT_TRUE(Exists(Bmp(3)));
    EXPECT_FALSE(Exists(m_bmp + "/QuilPic000001.quil"));
}

TEST_P(BatchRunWrites, AMarginModePadsTheSavedPictureAndTheNextIsComputedAtTheSetSize)
{
    m_settings.XPixel = 100;
    m_settings.YPixel = 100;
    m_settings.Mode = MARGIN_LANDSCAPE_3_2;
    m_settings.m_nPictureCount = 2;
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_host.sizes, (std::vector<std::pair<int, int>>{{150, 100}, {150, 100}}));
    for (unsigned n = 1; n <= 2; ++n) {
        const Picture saved = Load(Bmp(n));
        ASSERT_EQ(saved.Width(), 150);
        ASSERT_EQ(saved.Height(), 100);
        // Black bands of 25 columns left and right around the 100 x 100 picture.
        Picture padded = Expected(Quil(n), 100, 100);
        ASSERT_TRUE(CCalcBitmap::AddMarginsForMode(padded, MARGIN_LANDSCAPE_3_2));
        EXPECT_EQ(saved, padded) << n;
        EXPECT_EQ(saved.Pixel(0, 50), 0u);
        EXPECT_EQ(saved.Pixel(149, 50), 0u);
    }
}

TEST_P(BatchRunWrites, TheOverwritePromptsFourAnswers)
{
    for (unsigned n = 1; n <= 3; ++n) {
        WriteText(Bmp(n), "old");
        WriteText(Quil(n), "old");
    }
    m_settings.NoOverwrite = 1;
    // No keeps the old picture and still asks for the expression file; Yes
    // replaces it; Yes to All answers for the rest of the run.
    m_host.answers = {OverwriteAnswer::No, OverwriteAnswer::Yes, OverwriteAnswer::YesToAll};
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_host.prompts, (std::vector<std::string>{Bmp(1), Quil(1), Bmp(2)}));
    EXPECT_EQ(ReadText(Bmp(1)), "old");
    EXPECT_NE(ReadText(Quil(1)), "old");
    for (unsigned n = 2; n <= 3; ++n) {
        EXPECT_NE(ReadText(Bmp(n)), "old");
        EXPECT_NE(ReadText(Quil(n)), "old");
    }
    EXPECT_EQ(m_run.Settings().NoOverwrite, 0);
    EXPECT_EQ(m_host.ends.back(), BatchEnd::Complete);

    // Cancel ends the run: nothing more is written for that picture.
    for (unsigned n = 1; n <= 3; ++n)
        WriteText(Bmp(n), "old");
    ::unlink(Quil(1).c_str());
    m_host.prompts.clear();
    m_host.answers = {OverwriteAnswer::Cancel};
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_host.prompts, std::vector<std::string>{Bmp(1)});
    EXPECT_EQ(m_host.ends.back(), BatchEnd::Cancelled);
    EXPECT_EQ(ReadText(Bmp(1)), "old");
    EXPECT_FALSE(Exists(Quil(1)));
    EXPECT_FALSE(m_run.IsRunning());

    // Without the prompt nothing is asked.
    m_settings.NoOverwrite = 0;
    m_host.prompts.clear();
    ASSERT_TRUE(Run());
    EXPECT_TRUE(m_host.prompts.empty());
    EXPECT_NE(ReadText(Bmp(1)), "old");
}

TEST_F(BatchRun, AbortEndsAtOnceAndTheNextRunStartsAgainAtOne)
{
    m_run.m_options.renderer = WaitForAbort;
    ASSERT_TRUE(m_run.StartBatch(m_settings));
    EXPECT_EQ(m_run.PictureNumber(), 1u);
    const auto before = std::chrono::steady_clock::now();
    m_run.AbortBatch();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1600));
    EXPECT_FALSE(m_run.IsRunning());
    EXPECT_EQ(m_run.PictureNumber(), 0u);
    EXPECT_EQ(m_host.ends, std::vector<BatchEnd>{BatchEnd::Aborted});
    // The aborted job's own end notice finds no run.
    EXPECT_TRUE(m_run.WaitForJobs(std::chrono::seconds(10)));
    while (m_host.queue->Deliver(m_run, std::chrono::milliseconds(10))) {
    }
    EXPECT_EQ(m_host.ends.size(), 1u);
    EXPECT_TRUE(m_host.pictures.empty());
    EXPECT_FALSE(Exists(Bmp(1)));
    EXPECT_FALSE(Exists(Quil(1)));

    m_run.m_options.renderer = RenderReference;
    m_host.names.clear();
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_host.names.front(), Bmp(1));
    EXPECT_TRUE(Exists(Bmp(3)));
}

TEST_F(BatchRun, RefusalsLeaveNothingRunning)
{
    auto refused = [this](const std::string& message, const std::string& caption) {
        m_host.messages.clear();
        EXPECT_FALSE(m_run.StartBatch(m_settings));
        EXPECT_FALSE(m_run.IsRunning());
        ASSERT_EQ(m_host.messages.size(), 1u);
        EXPECT_EQ(m_host.messages[0].text, message);
        EXPECT_EQ(m_host.messages[0].caption, caption);
    };
    m_settings.XPixel = 16385;
    refused("Maximum resolution for x and y is 16384", "Quil");
    m_settings.XPixel = -1;  // as unsigned, far above
    refused("Maximum resolution for x and y is 16384", "Quil");
    m_settings.XPixel = 0;
    refused(kMsgInvalidPixel, "Quil");
    m_settings.XPixel = 20;
    m_settings.m_nPictureCount = 0;
    refused(kMsgNoPictureCount, "Quil");

    m_settings.CreateMode = BATCH_FROM_EXISTING;  // an empty folder
    refused("No Quil files in directory", "QUIL");
    EXPECT_EQ(m_host.counts, std::vector<unsigned>{0});
    WriteText(m_quil + "/bad.quil", "not an expression");
    refused("Error loading file \"" + m_quil + "/bad.quil\"", "QUIL");
    EXPECT_TRUE(m_host.ends.empty());

    // The largest side is accepted.
    m_settings.CreateMode = BATCH_FROM_RANDOM;
    m_settings.m_nPictureCount = 1;
    m_settings.XPixel = 16384;
    m_settings.YPixel = 1;
    ASSERT_TRUE(Run());
    EXPECT_EQ(Load(Bmp(1)).Width(), 16384);
}

TEST_P(BatchRunWrites, FailuresEndTheRunAndKeepWhatWasSaved)
{
    // A listed file that has gone when its turn comes.
    const std::string in = Sub("in");
    for (const char* name : {"a", "b", "c"})
        WriteText(in + "/" + name + ".quil", "X[]");
    m_settings.CreateMode = BATCH_FROM_EXISTING;
    m_settings.QuilDir = in;
    m_host.onDone = [&in](const BatchPictureDone& done) {
        if (done.number == 1)
            ::unlink((in + "/b.quil").c_str());
    };
    ASSERT_TRUE(Run());
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text, "Error loading file \"" + in + "/b.quil\"");
    EXPECT_EQ(m_host.ends.back(), BatchEnd::Failed);
    EXPECT_TRUE(Exists(Bmp(1)));
    EXPECT_FALSE(Exists(Bmp(2)));
    EXPECT_FALSE(Exists(Bmp(3)));
    m_host.onDone = nullptr;

    // A picture that cannot be saved (a folder stands in its place): its
    // expression file is not written.
    m_settings.CreateMode = BATCH_FROM_RANDOM;
    m_settings.BmpDir = Sub("blocked");
    Sub("blocked/QuilPic000001.bmp");
    m_host.messages.clear();
    ASSERT_TRUE(Run());
    ASSERT_EQ(m_host.messages.size(), 1u);
    const std::string bitmapFailed = FillMessage(kMsgCanNotSaveBitmap, m_settings.BmpDir + "/QuilPic000001.bmp") + "\n(";
    EXPECT_EQ(m_host.messages[0].text.rfind(bitmapFailed, 0), 0u) << m_host.messages[0].text;
    EXPECT_EQ(m_host.messages[0].caption, "QUIL");
    EXPECT_FALSE(Exists(Quil(1)));

    // An expression file that cannot be written ends the run.
    m_settings.BmpDir = m_bmp;
    m_settings.QuilDir = Sub("blockedquil");
    Sub("blockedquil/QuilPic000001.quil");
    m_host.messages.clear();
    ASSERT_TRUE(Run());
    ASSERT_EQ(m_host.messages.size(), 1u);
    const std::string quilFailed =
        "Can not open quil file \"" + m_settings.QuilDir + "/QuilPic000001.quil\" for writing\n(";
    EXPECT_EQ(m_host.messages[0].text.rfind(quilFailed, 0), 0u) << m_host.messages[0].text;
    EXPECT_EQ(m_host.ends.back(), BatchEnd::Failed);
    EXPECT_EQ(m_host.pictures.back().number, 1u);

    // Missing folders are made; one that cannot be is said before any picture.
    m_settings.QuilDir = m_quil + "/new/deeper";
    m_host.messages.clear();
    ASSERT_TRUE(Run());
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_TRUE(Exists(m_settings.QuilDir + "/QuilPic000003.quil"));
    m_settings.QuilDir += "/QuilPic000003.quil/under-a-file";
    const size_t pictures = m_host.pictures.size();
    EXPECT_FALSE(Run());
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text.rfind(FillMessage(kMsgCanNotCreateFolder, m_settings.QuilDir) + ": ", 0), 0u)
        << m_host.messages[0].text;
    EXPECT_EQ(m_host.messages[0].caption, "Quil");
    EXPECT_EQ(m_host.pictures.size(), pictures);
}

TEST_F(BatchRun, PlainPicturesAreMadeAgainUpToFiftyTimes)
{
    m_settings.SkipPlain = 1;
    m_settings.m_nPictureCount = 2;
    OnlyKind(KIND_BW);  // every picture one flat grey
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_run.PlainLeftOut(), 100u);
    EXPECT_TRUE(Exists(Bmp(2)));  // kept after fifty tries
    EXPECT_EQ(m_host.pictures.back().progressText, "2 pictures of 2 ready (100%), 100 plain left out");

    OnlyKind(KIND_X);
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_run.PlainLeftOut(), 0u);
    EXPECT_EQ(m_host.pictures.back().progressText, "2 pictures of 2 ready (100%)");

    // Pictures from files are never left out.
    OnlyKind(KIND_BW);
    WriteText(m_quil + "/flat.quil", "BW[0.500000]");
    m_settings.CreateMode = BATCH_FROM_EXISTING;
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_run.PlainLeftOut(), 0u);
    EXPECT_TRUE(Exists(Bmp(1)));
}

TEST_F(BatchRun, SeveralJobsMakeTheSameFilesAsOne)
{
    m_settings.m_nPictureCount = 7;
    m_settings.SkipPlain = 1;
    m_run.m_options.seedPerPicture = true;
    m_run.m_options.renderer = nullptr;  // the production renderer
    const struct {
        int jobs;
        bool saveOnWorker;
    } ways[] = {{1, false}, {3, false}, {3, true}};
    std::vector<std::string> runs[3];
    for (int w = 0; w < 3; ++w) {
        for (unsigned n = 1; n <= 7; ++n) {
            ::unlink(Bmp(n).c_str());
            ::unlink(Quil(n).c_str());
        }
        m_sources.random.Seed(99);
        m_run.m_options.jobs = ways[w].jobs;
        m_run.m_options.saveOnWorker = ways[w].saveOnWorker;
        ASSERT_TRUE(Run());
        EXPECT_EQ(m_host.ends.back(), BatchEnd::Complete);
        for (unsigned n = 1; n <= 7; ++n) {
            runs[w].push_back(ReadText(Bmp(n)));
            runs[w].push_back(ReadText(Quil(n)));
        }
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(runs[0], runs[2]);
}

TEST_F(BatchRun, AFileThatNamesASourcePictureHasItLoadedForItsPicture)
{
    Picture red(20, 10);
    red.Fill(0x00ff0000);
    m_sources.source = std::make_shared<Picture>(red);
    const std::string in = Sub("in");
    WriteText(in + "/p.quil", "PIC[photo.png]");
    m_settings.CreateMode = BATCH_FROM_EXISTING;
    m_settings.QuilDir = in;
    m_settings.QuilCopy = 1;
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_sources.loaded, std::vector<std::string>{in + "/photo.png"});
    EXPECT_EQ(Load(Bmp(1)).Pixel(3, 3), 0x00ff0000u);
    // The copy in the picture folder names the same picture.
    EXPECT_EQ(ReadText(m_bmp + "/QuilPic000001.quil"), "PIC[" + in + "/photo.png]");
}
