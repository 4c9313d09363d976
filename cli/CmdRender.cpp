// quil-cli render FILE -o OUT [...]: a .quil file's picture as an image file,
// and the render pipeline that quil-cli random shares.

#include "CmdRender.h"

#include "CliExpression.h"
#include "CliProgress.h"
#include "CliSupport.h"

#include "render/CalcBitmap.h"
#include "render/pictureio/PictureIO.h"
#include "render/RenderMessages.h"
#include "render/pictureio/SourcePictureStore.h"
#include "render/production/ProductionRenderer.h"

#include "engine/FileAccess.h"
#include "engine/Folders.h"
#include "render/pictureio/PictureRecipe.h"
#include "settings/QtSettingsStore.h"
#include "engine/QuilExpression.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <iostream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

// Queues the job's notifications for the main thread, in order.
class QueueNotifier : public JobNotifier {
public:
    bool Post(const JobNotice& notice) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(notice.Code());
        m_ready.notify_one();
        return true;
    }
    // Waits up to timeout for the next notification.
    bool Next(long& wParam, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [this] { return !m_queue.empty(); }))
            return false;
        wParam = m_queue.front();
        m_queue.pop_front();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<long> m_queue;
};

int RunRender(const std::vector<std::string>& args)
{
    CliRenderSettings settings;
    settings.recipe = StoredRecipeSetting();
    std::string file, picture;
    bool noPicture = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const int taken = TakeRenderOption("render", args, i, settings);
        if (taken < 0)
            return kExitUsage;
        if (taken > 0)
            continue;
        if (args[i] == "--picture") {
            if (!TakeValue("render", args, i, picture))
                return kExitUsage;
        } else if (args[i] == "--no-picture") {
            noPicture = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError("render", "unknown option '" + args[i] + "'");
        } else if (file.empty()) {
            file = args[i];
        } else {
            return UsageError("render", "only one FILE can be rendered at a time");
        }
    }
    if (file.empty())
        return UsageError("render", "a FILE is needed");
    if (noPicture && !picture.empty())
        return UsageError("render", "--picture and --no-picture exclude each other");
    if (const int status = CheckRenderSettings("render", settings))
        return status;

    TerminalEngineHost host;
    host.m_bQuiet = true;
    CQuilExpression expression(&host);
    if (!ReadExpressionFileOrReport(AbsolutePath(file), expression))
        return kExitFailure;
    expression.UpdateUsesPicture();

    std::shared_ptr<const Picture> source;
    if (!noPicture && !LoadCliSourcePicture(expression, host, picture, source))
        return kExitFailure;
    const std::string recipe = settings.recipe ? expression.RecipeText(AbsolutePath(settings.output)) : std::string();
    return RenderAndSave(expression.GetRoot(), std::move(source), settings, recipe);
}

}  // namespace

bool MakeOutputFolder(const std::string& file)
{
    const std::string path = AbsolutePath(file);
    const std::string folder = path.substr(0, path.rfind('/'));
    std::string reason;
    if (folder.empty() || MakeFolders(folder, &reason))
        return true;
    std::cerr << FillMessage(kMsgCanNotCreateFolder, folder) << ": " << reason << "\n";
    return false;
}

bool StoredRecipeSetting()
{
    QtSettingsStore store;
    return EmbedsRecipe(store);
}

bool LoadCliSourcePicture(const CQuilExpression& expression, TerminalEngineHost& host, const std::string& picture,
                          std::shared_ptr<const Picture>& source)
{
    // The source picture at its loaded size, as the custom-size save passes it.
    if (!expression.m_bUsesPicture)
        return true;
    const std::string path = picture.empty() ? host.SourcePicturePath() : AbsolutePath(picture);
    if (path.empty())
        return true;
    SourcePictureStore store(&host);
    store.SetSourcePicturePath(path);
    if (store.LoadSourcePicture() != kLoadPictureOk)
        return false;  // the store has printed "Load picture '...' failed."
    source = store.SourcePicture();
    // The recipe names the picture this one was computed with.
    host.SetSourcePicturePath(path);
    return true;
}

int TakeRenderOption(const char* command, const std::vector<std::string>& args, size_t& i,
                     CliRenderSettings& settings)
{
    const std::string& a = args[i];
    std::string value;
    if (a == "-o" || a == "--output") {
        if (!TakeValue(command, args, i, value))
            return -1;
        settings.output = value;
    } else if (a == "--size") {
        if (!TakeValue(command, args, i, value) || !ParseSizeOption(command, value, settings.width, settings.height))
            return -1;
    } else if (a == "--antialias") {
        settings.antiAlias = true;
    } else if (a == "--margins") {
        long long mode = 0;
        if (!TakeValue(command, args, i, value) ||
            !ParseIntOption(command, "--margins", value, 0, kNumMarginModes - 1, mode))
            return -1;
        settings.marginMode = int(mode);
    } else if (a == "--reference") {
        settings.reference = true;
    } else if (a == "--no-recipe") {
        settings.recipe = false;
    } else if (a == "--renderer") {
        if (!TakeValue(command, args, i, value))
            return -1;
        if (value != "reference" && value != "production") {
            UsageError(command, "--renderer takes 'reference' or 'production', not '" + value + "'");
            return -1;
        }
        settings.reference = value == "reference";
    } else if (a == "--threads") {
        long long threads = 0;
        if (!TakeValue(command, args, i, value) ||
            !ParseIntOption(command, "--threads", value, 0, production::kMaxThreads, threads))
            return -1;
        settings.threads = int(threads);
    } else {
        return 0;
    }
    return 1;
}

int CheckRenderSettings(const char* command, const CliRenderSettings& settings)
{
    if (settings.output.empty())
        return UsageError(command, "an output file is needed (-o OUT)");
    if (settings.width > unsigned(kMaxPictureSide) || settings.height > unsigned(kMaxPictureSide)) {
        std::cerr << FillMessage(kMsgMaxResolution, kMaxPictureSide) << "\n";
        return kExitUsage;
    }
    // Refused before a long render rather than after it.
    const std::string extension = FileExtension(settings.output);
    if (!IsWritableExtension(extension)) {
        std::cerr << FillMessage(kMsgCanNotSaveBitmap, settings.output) << "\n"
                  << "(no picture type has the extension '" << extension << "'; see quil-cli formats)\n";
        return kExitFailure;
    }
    if (!MakeOutputFolder(settings.output))
        return kExitFailure;
    std::string target, reason;
    if (!ResolveSaveTarget(settings.output, target, &reason)) {
        std::cerr << FillMessage(kMsgCanNotSaveBitmap, settings.output) << "\n(" << reason << ")\n";
        return kExitFailure;
    }
    return 0;
}

int RenderAndSave(const ExprNode* root, std::shared_ptr<const Picture> source, const CliRenderSettings& settings,
                  const std::string& recipe)
{
    auto target = std::make_shared<Picture>();
    if (!target->Create(int(settings.width), int(settings.height))) {
        std::cerr << kMsgNoMemory << "\n";
        return kExitFailure;
    }
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = root;
    job->m_pTarget = target;
    job->m_pSourcePicture = std::move(source);
    job->m_bAntiAlias = settings.antiAlias;
    job->m_pRenderer = settings.reference ? RenderReference : RenderProduction;
    job->m_nThreads = settings.threads;
    job->m_view = settings.view;
    auto notifier = std::make_shared<QueueNotifier>();

    InterruptWatch interrupts;
    if (!job->Start(notifier)) {
        std::cerr << kMsgNoThread << "\n";
        return kExitFailure;
    }
    ProgressBar bar(settings.width);
    long end = 1;
    while (end > 0) {
        long wParam = 0;
        if (notifier->Next(wParam, std::chrono::milliseconds(100))) {
            if (wParam > 0)
                bar.Show(unsigned(wParam));
            else
                end = wParam;
        } else if (!job->IsRunning()) {
            // Ended: its last word is queued, or could not be posted (the result tells then).
            while (end > 0 && notifier->Next(wParam, std::chrono::milliseconds(0)))
                end = wParam > 0 ? end : wParam;
            break;
        }
        if (g_interrupted && !job->m_bAbort)
            job->SetAbort(1);
    }
    bar.Clear();
    // The end notification is the job's last word, but its thread may still be
    // on its way out; the result is read once it has gone.
    while (job->IsRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (end < 0) {
        std::cerr << kMsgAborted << "\n";
        return kExitInterrupted;
    }
    if (job->m_nResult != 1) {
        std::cerr << kMsgEvaluationFailed << "\n";
        return kExitEvaluationFailed;
    }
    if (!CCalcBitmap::AddMarginsForMode(*target, settings.marginMode)) {
        std::cerr << kMsgNoMemory << "\n";
        return kExitFailure;
    }
    std::string reason;
    const int saved = SavePicture(*target, settings.output, &reason, recipe);
    if (saved != kSaveOk) {
        std::cerr << SaveFailureMessage(settings.output, saved, reason) << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

namespace {
const CommandRegistration registration({
    "render",
    "render a .quil file's picture into an image file",
    "Usage: quil-cli render FILE -o OUT [--size WxH] [--antialias] [--margins 0-4]\n"
    "                       [--picture IMAGE | --no-picture] [--reference]\n"
    "                       [--renderer reference|production] [--threads N] [--no-recipe]\n\n"
    "Computes FILE's picture as Quil's custom-size save does and writes it to OUT.\n\n"
    "Options:\n"
    QUIL_RENDER_OPTIONS_HELP
    "  --picture IMAGE  the source picture that PIC reads, at its own size (by\n"
    "                   default the picture FILE names)\n"
    "  --no-picture     render without a source picture: PIC reads black\n\n"
    "On a terminal a long render shows its progress on standard error; Ctrl+C\n"
    "aborts it. Exit status: 0 saved, 1 a file could not be read or written,\n"
    "2 bad arguments, 3 the expression cannot be evaluated, 130 aborted.\n",
    &RunRender,
    40,
});
}  // namespace
