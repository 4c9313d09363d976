// quil-cli batch: the batch dialog's production without a window, with the
// same names and pictures, several pictures at once.

#include "CliSupport.h"
#include "CmdRender.h"

#include "batch/BatchNaming.h"
#include "batch/BatchNoticeQueue.h"
#include "batch/BatchRun.h"
#include "batch/BatchTexts.h"
#include "engine/GenerationSettings.h"
#include "engine/RandomSource.h"
#include "render/CalcBitmap.h"
#include "render/RenderMessages.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/SourcePictureStore.h"
#include "render/production/ProductionRenderer.h"
#include "settings/QtSettingsStore.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kCommand = "batch";
constexpr int kExitInterrupted = 130;
constexpr long long kMaxJobs = 64;
// Pictures up to this many pixels are made several at once by default; larger
// ones one at a time, each split over every core by the renderer.
constexpr long long kSmallPicturePixels = 1024 * 1024;
constexpr int kProgressBarWidth = 30;
constexpr auto kWaitSlice = std::chrono::milliseconds(100);
constexpr auto kExitWait = std::chrono::seconds(10);
constexpr const char* kMsgNotOverwritten = "\"%s\" exists and is left as it is (--overwrite replaces it)";
constexpr const char* kMsgAborted = "Aborted";
constexpr const char* kFmtSummary = "%s in %.2f s (%.1f pictures/s)\n";

volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnBatchInterrupt(int) { g_interrupted = 1; }

struct BatchOptions {
    BatchSettings settings;
    bool countGiven = false;
    bool quilDirGiven = false;
    long long seed = -1;
    int jobs = 0;      // 0: the default for the picture size
    int threads = -1;  // -1: the default for the jobs
    bool recipe = true;
};

// The generation settings as stored, the random source, a terminal for the
// engine's messages and the source picture that expression files name.
class CliBatchSources : public BatchSources {
public:
    explicit CliBatchSources(long long seed)
        : m_pRandom(seed >= 0 ? std::make_unique<LcgRandomSource>(uint32_t(seed)) : std::make_unique<ClockRandomSource>()),
          m_store(&m_host)
    {
        QtSettingsStore store;
        m_generation.InitGenerationSettings(store);
        m_host.m_bQuiet = true;  // random pictures read black where "PIC" stands
    }
    const GenerationSettings& GenSettings() override { return m_generation; }
    RandomSource& Random() override { return *m_pRandom; }
    EngineHost& Engine() override { return m_host; }
    std::shared_ptr<const Picture> SourcePicture() override { return m_store.SourcePicture(); }
    void LoadSourcePicture() override
    {
        m_store.SetSourcePicturePath(m_host.SourcePicturePath());
        if (m_store.LoadSourcePicture() != kLoadPictureOk)
            m_host.SetSourcePicturePath(std::string());
    }

private:
    GenerationSettings m_generation;
    std::unique_ptr<LcgRandomSource> m_pRandom;
    TerminalEngineHost m_host;
    SourcePictureStore m_store;
};

// Messages on standard error; an existing target is never replaced unless
// --overwrite cleared the prompt; on a terminal a progress line.
class CliBatchHost : public BatchRunHost {
public:
    explicit CliBatchHost(std::shared_ptr<BatchNoticeQueue> queue)
        : m_pQueue(std::move(queue)), m_bTerminal(isatty(STDERR_FILENO) == 1)
    {
    }
    ~CliBatchHost() override { ClearLine(); }

    void ShowBatchMessage(const std::string& text, const std::string&) override
    {
        ClearLine();
        std::cerr << text << "\n";
    }
    OverwriteAnswer AskOverwrite(const std::string& path) override
    {
        ++m_nNotOverwritten;
        ShowBatchMessage(FillMessage(kMsgNotOverwritten, path), std::string());
        return OverwriteAnswer::No;
    }
    std::shared_ptr<JobNotifier> MakeNotifier(uint64_t ticket) override
    {
        return m_pQueue->NotifierFor(ticket, false);
    }
    void OnPictureCount(unsigned count) override { m_nTotal = count; }
    void OnNextBitmapName(const std::string& path) override
    {
        m_strName = BatchFileName(path);
        ShowLine();
    }
    void OnPictureDone(const BatchPictureDone& done, const Picture&) override
    {
        m_nDone = done.done;
        m_nTotal = done.total;
        m_strEstimate = done.estimateText;
        ShowLine();
    }
    void OnRunEnded(BatchEnd why) override { m_end = why; }
    void SetTotal(uint64_t total) { m_nTotal = total; }
    void ClearLine();

    unsigned m_nNotOverwritten = 0;
    BatchEnd m_end = BatchEnd::Failed;  // how the run ended; a run that never started failed

private:
    void ShowLine();

    std::shared_ptr<BatchNoticeQueue> m_pQueue;
    bool m_bTerminal;
    size_t m_nShown = 0;  // characters of the progress line on the terminal
    uint64_t m_nDone = 0, m_nTotal = 0;
    std::string m_strName, m_strEstimate;
};

void CliBatchHost::ShowLine()
{
    if (!m_bTerminal || m_nTotal == 0)
        return;
    const int filled = int(m_nDone * kProgressBarWidth / m_nTotal);
    std::string line = "[" + std::string(size_t(filled), '#') + std::string(size_t(kProgressBarWidth - filled), '.') +
                       "] " + std::to_string(m_nDone) + "/" + std::to_string(m_nTotal);
    if (!m_strEstimate.empty())
        line += "  " + m_strEstimate;
    if (!m_strName.empty())
        line += "  " + m_strName;
    const size_t shown = line.size();
    if (shown < m_nShown)
        line += std::string(m_nShown - shown, ' ');
    std::cerr << "\r" << line << std::flush;
    m_nShown = shown;
}

void CliBatchHost::ClearLine()
{
    if (m_nShown > 0)
        std::cerr << "\r" << std::string(m_nShown, ' ') << "\r" << std::flush;
    m_nShown = 0;
}

// "png", ".png" or "*.png": the pattern the dialog's list holds, "*.png".
bool ParseTypeOption(const std::string& text, std::string& pattern)
{
    std::string extension = text;
    if (extension.rfind("*.", 0) == 0)
        extension.erase(0, 2);
    else if (extension.rfind('.', 0) == 0)
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    if (extension.empty() || !IsWritableExtension(extension)) {
        UsageError(kCommand, "--type: no picture type has the extension '" + text + "' (see quil-cli formats)");
        return false;
    }
    pattern = "*." + extension;
    return true;
}

// One value option at args[i]: 1 taken, 0 not one of these, -1 after a usage error.
int TakeValueOption(const std::vector<std::string>& args, size_t& i, BatchOptions& options)
{
    const std::string& a = args[i];
    BatchSettings& s = options.settings;
    std::string value;
    long long number = 0;
    const bool known = a == "--count" || a == "--from" || a == "--out" || a == "--quil-dir" || a == "--prefix" ||
                       a == "--offset" || a == "--type" || a == "--size" || a == "--margins" || a == "--seed" ||
                       a == "--jobs" || a == "--threads";
    if (!known)
        return 0;
    if (!TakeValue(kCommand, args, i, value))
        return -1;
    bool ok = true;
    if (a == "--count") {
        ok = ParseIntOption(kCommand, a, value, 1, UINT32_MAX, number);
        s.m_nPictureCount = unsigned(number);
        options.countGiven = true;
    } else if (a == "--from") {
        s.QuilDir = AbsolutePath(value);
        s.CreateMode = BATCH_FROM_EXISTING;
    } else if (a == "--out") {
        s.BmpDir = AbsolutePath(value);
    } else if (a == "--quil-dir") {
        s.QuilDir = AbsolutePath(value);
        options.quilDirGiven = true;
    } else if (a == "--prefix") {
        ok = value.find('/') == std::string::npos;
        if (!ok)
            UsageError(kCommand, "--prefix names files, not folders: '" + value + "'");
        s.Filename = value;
    } else if (a == "--offset") {
        ok = ParseIntOption(kCommand, a, value, 0, UINT32_MAX, number);
        s.offset = unsigned(number);
    } else if (a == "--type") {
        ok = ParseTypeOption(value, s.BmpExt);
    } else if (a == "--size") {
        unsigned width = 0, height = 0;
        ok = ParseSizeOption(kCommand, value, width, height);
        s.XPixel = int(std::min(width, unsigned(INT32_MAX)));
        s.YPixel = int(std::min(height, unsigned(INT32_MAX)));
    } else if (a == "--margins") {
        ok = ParseIntOption(kCommand, a, value, 0, kNumMarginModes - 1, number);
        s.Mode = int(number);
    } else if (a == "--seed") {
        ok = ParseIntOption(kCommand, a, value, 0, UINT32_MAX, options.seed);
    } else if (a == "--jobs") {
        ok = ParseIntOption(kCommand, a, value, 1, kMaxJobs, number);
        options.jobs = int(number);
    } else {
        ok = ParseIntOption(kCommand, a, value, 0, production::kMaxThreads, number);
        options.threads = int(number);
    }
    return ok ? 1 : -1;
}

int ParseBatchOptions(const std::vector<std::string>& args, BatchOptions& options)
{
    BatchSettings& s = options.settings;
    s.Filename = kDefaultPrefix;
    s.BmpDir = AbsolutePath(".");
    s.QuilDir.clear();
    for (size_t i = 0; i < args.size(); ++i) {
        const int taken = TakeValueOption(args, i, options);
        if (taken < 0)
            return kExitUsage;
        if (taken > 0)
            continue;
        if (args[i] == "--antialias")
            s.AntiAlias = 1;
        else if (args[i] == "--same-name")
            s.SameName = 1;
        else if (args[i] == "--copy-quil")
            s.QuilCopy = 1;
        else if (args[i] == "--overwrite")
            s.NoOverwrite = 0;
        else if (args[i] == "--skip-plain")
            s.SkipPlain = 1;
        else if (args[i] == "--no-recipe")
            options.recipe = false;
        else
            return UsageError(kCommand, "unknown argument '" + args[i] + "'");
    }
    if (s.RandomMode()) {
        if (s.SameName)
            return UsageError(kCommand, "--same-name names pictures after the files of --from");
        if (s.QuilDir.empty())
            s.QuilDir = s.BmpDir;
    } else if (options.countGiven || options.quilDirGiven || s.SkipPlain) {
        return UsageError(kCommand, "--count, --quil-dir and --skip-plain are for random pictures, not --from");
    }
    if (unsigned(s.XPixel) > unsigned(kMaxPictureSide) || unsigned(s.YPixel) > unsigned(kMaxPictureSide)) {
        std::cerr << FillMessage(kMsgMaxResolution, kMaxPictureSide) << "\n";
        return kExitUsage;
    }
    return 0;
}

// Small pictures go two per core: while the main thread generates one, the
// workers still have others to compute. With several at once a finished
// picture's files are written by a worker too, so that the disk's wait for
// one file holds up no other picture. A large picture already uses every core
// through the renderer's threads.
void ChooseJobsAndThreads(const BatchOptions& options, CBatchRun::Options& run)
{
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const long long pixels = (long long)options.settings.XPixel * options.settings.YPixel;
    const int defaultJobs = pixels <= kSmallPicturePixels ? int(std::min<long long>(2LL * cores, kMaxJobs)) : 1;
    run.jobs = options.jobs > 0 ? options.jobs : defaultJobs;
    run.threads = options.threads >= 0 ? options.threads : (run.jobs > 1 ? std::max(1, cores / run.jobs) : 0);
    run.seedPerPicture = true;
    if (options.seed >= 0)
        run.seed = uint32_t(options.seed);
    run.saveOnWorker = run.jobs > 1;
    run.embedRecipe = options.recipe;
}

// Feeds the jobs' notices to the run until it ends; Ctrl+C aborts it.
void DriveRun(CBatchRun& run, BatchNoticeQueue& queue)
{
    while (run.IsRunning()) {
        queue.Deliver(run, kWaitSlice);
        if (g_interrupted && run.IsRunning())
            run.AbortBatch();
    }
}

int RunBatch(const std::vector<std::string>& args)
{
    BatchOptions options;
    options.recipe = StoredRecipeSetting();
    if (const int status = ParseBatchOptions(args, options))
        return status;
    CliBatchSources sources(options.seed);
    auto queue = std::make_shared<BatchNoticeQueue>();
    CliBatchHost host(queue);
    CBatchRun run(sources, host);
    ChooseJobsAndThreads(options, run.m_options);
    host.SetTotal(options.settings.m_nPictureCount);

    g_interrupted = 0;
    auto previous = std::signal(SIGINT, OnBatchInterrupt);
    const auto start = std::chrono::steady_clock::now();
    if (run.StartBatch(options.settings))
        DriveRun(run, *queue);
    run.WaitForJobs(std::chrono::duration_cast<std::chrono::milliseconds>(kExitWait));
    std::signal(SIGINT, previous);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    host.ClearLine();
    if (g_interrupted)
        std::cerr << kMsgAborted << "\n";
    // Made means written: a picture whose file existed and was kept counts apart.
    const uint64_t made = run.PicturesSaved();
    if (run.PlainLeftOut() > 0)
        std::cout << CountText(run.PlainLeftOut(), "plain picture", "plain pictures") << " left out\n";
    if (run.PicturesKept() > 0)
        std::cout << CountText(run.PicturesKept(), "picture", "pictures") << " left as "
                  << (run.PicturesKept() == 1 ? "it was" : "they were") << "\n";
    std::printf(kFmtSummary, CountText(made, "picture", "pictures").c_str(), seconds,
                seconds > 0 ? double(made) / seconds : 0.0);
    std::fflush(stdout);
    if (g_interrupted)
        return kExitInterrupted;
    return host.m_end == BatchEnd::Complete && host.m_nNotOverwritten == 0 ? kExitOk : kExitFailure;
}

const CommandRegistration registration({
    kCommand,
    "make many pictures and their .quil files at once",
    "Usage: quil-cli batch [--count N] [--from QUILDIR] [--out DIR] [--quil-dir DIR]\n"
    "                      [--prefix NAME] [--offset K] [--type EXT] [--size WxH]\n"
    "                      [--antialias] [--margins 0-4] [--same-name] [--copy-quil]\n"
    "                      [--overwrite] [--seed S] [--skip-plain] [--jobs J] [--threads N]\n"
    "                      [--no-recipe]\n\n"
    "Makes pictures as Quil's batch dialog does: N new random expressions (default\n"
    "100) under the stored generation settings, or with --from every .quil file of\n"
    "QUILDIR, oldest first. Picture n is named NAME + the number offset + n\n"
    "(\"%06d\") + the extension, for example QuilPic000001.bmp.\n\n"
    "Options:\n"
    "  --out DIR        folder of the pictures (default: the current folder)\n"
    "  --quil-dir DIR   folder of the random pictures' .quil files (default: --out)\n"
    "  --prefix NAME    start of the names (default QuilPic)\n"
    "  --offset K       added to each picture's number (default 0)\n"
    "  --type EXT       picture type by extension (default bmp; see quil-cli formats)\n"
    "  --size WxH       picture size, each side 1 to 16384 (default 100x100)\n"
    "  --antialias      four samples per pixel\n"
    "  --margins M      black margins to a paper ratio: 0 none, 1 portrait (2:3),\n"
    "                   2 portrait (3:4), 3 landscape (3:2), 4 landscape (4:3)\n"
    "  --same-name      with --from: each picture beside its .quil file, under its name\n"
    "  --copy-quil      write the .quil files into the picture folder (with --from:\n"
    "                   a copy of each file read)\n"
    "  --overwrite      replace existing files; without it they are left as they are,\n"
    "                   reported, and the exit status is 1\n"
    "  --seed S         makes a random run reproducible (0 to 4294967295): picture\n"
    "                   number K is the same whatever --count, --offset or --jobs\n"
    "  --skip-plain     a random picture of (nearly) one flat colour is made again\n"
    "                   with a new expression, up to 50 times\n"
    "  --jobs J         pictures computed at once (default: two per core for pictures\n"
    "                   up to 1024x1024, else one)\n"
    "  --threads N      threads per picture, 0 one per core (default: cores / jobs)\n"
    "  --no-recipe      leave the expression out of the pictures' metadata (by\n"
    "                   default PNG and JPEG pictures carry it, unless Quil's\n"
    "                   Settings menu has \"Store the expression in saved\n"
    "                   pictures\" off)\n\n"
    "On a terminal a progress line shows the count, the time left and the next name;\n"
    "Ctrl+C stops after the pictures in progress are either saved whole or not at\n"
    "all. Every run ends with the line 'N pictures in T s (P pictures/s)', N the\n"
    "pictures written; before it a line tells how many existing pictures were left\n"
    "as they were. Missing output folders are made.\n"
    "Exit status: 0 every picture made, 1 a failure or a file not overwritten,\n"
    "2 bad arguments, 130 interrupted.\n",
    &RunBatch,
    47,
});

}  // namespace
