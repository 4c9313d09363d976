// quil-cli thumbnail FILE OUT SIZE: a .quil file's picture as a small PNG, the
// command that file managers run through the installed thumbnailer entry.

#include "CliExpression.h"
#include "CliSupport.h"

#include "render/CalcBitmap.h"
#include "render/RenderMessages.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/SourcePictureStore.h"
#include "render/production/ProductionRenderer.h"

#include "engine/FileAccess.h"
#include "engine/QuilExpression.h"

#include <QBuffer>
#include <QImageWriter>

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kCommand = "thumbnail";
// What one thumbnail may take, whatever FILE holds: the command runs
// unattended on files from anywhere. When the time is up it writes nothing
// and ends with status 1; memory beyond the budget fails as "No memory" does.
constexpr rlim_t kMemoryBudgetBytes = rlim_t(256) << 20;
constexpr std::chrono::seconds kTimeBudget(5);
// A source picture that decodes to more than this is decoded at the thumbnail's size.
constexpr int kSourceDecodeLimitMiB = 32;
// The text of any tree that could be computed within the time budget is far shorter.
constexpr size_t kMaxThumbnailQuilBytes = size_t(8) << 20;
constexpr const char kMsgOutOfTime[] = "quil-cli thumbnail: out of time; nothing written\n";
// The largest side a thumbnail cache asks for is 1024 ("xx-large").
constexpr long long kMaxThumbnailSide = 1024;
// Thumbnails are PNG whatever OUT is called: the caller chooses a temporary name.
constexpr const char* kThumbnailFormat = "png";

// A source picture that cannot be loaded leaves PIC black without a word:
// a file manager has no one to tell.
class SilentEngineHost : public TerminalEngineHost {
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

// Ends the process when the time is up. The output's last step, once begun,
// is let finish, so that an old thumbnail is replaced whole or not at all.
class TimeBudget {
public:
    explicit TimeBudget(std::chrono::steady_clock::duration limit) : m_state(std::make_shared<State>())
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        // The watcher holds the state: it may outlive this object by a moment.
        std::thread([state = m_state, deadline] {
            std::unique_lock<std::mutex> lock(state->mutex);
            if (state->cv.wait_until(lock, deadline, [&] { return state->done; }))
                return;
            const ssize_t written = ::write(STDERR_FILENO, kMsgOutOfTime, sizeof kMsgOutOfTime - 1);
            (void)written;
            ::_exit(kExitFailure);
        }).detach();
    }
    ~TimeBudget()
    {
        const std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->done = true;
        m_state->cv.notify_all();
    }
    // Held while the output takes its place.
    std::unique_lock<std::mutex> HoldOff() { return std::unique_lock<std::mutex>(m_state->mutex); }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    std::shared_ptr<State> m_state;
};

// Caps the memory the process may write to. Sanitizers reserve their shadow
// memory as data, so under them the limit is left to the decoders' own.
void LimitMemory()
{
#if !defined(__SANITIZE_ADDRESS__)
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_DATA, &limit) == 0 && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > kMemoryBudgetBytes)) {
        limit.rlim_cur = kMemoryBudgetBytes;
        ::setrlimit(RLIMIT_DATA, &limit);
    }
#endif
}

// The picture PIC reads, stretched over the thumbnail as the tree view's
// thumbnails have it; null (black) when FILE names none or it cannot be loaded.
std::shared_ptr<const Picture> ThumbSource(const CQuilExpression& expression, const std::string& path, int side)
{
    if (!expression.m_bUsesPicture || path.empty())
        return nullptr;
    SilentEngineHost quiet;
    SourcePictureStore store(&quiet);
    store.SetThumbnailBudget(side, kSourceDecodeLimitMiB);
    store.SetSourcePicturePath(path);
    if (store.LoadSourcePicture() != kLoadPictureOk)
        return nullptr;
    return store.GetThumbPicture(side);
}

// Renders on the job's deep-stack worker with the production renderer.
// Returns the exit status; messages go to standard error.
int RenderThumbnail(const ExprNode* root, std::shared_ptr<const Picture> source, std::shared_ptr<Picture> target)
{
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = root;
    job->m_pTarget = std::move(target);
    job->m_pSourcePicture = std::move(source);
    job->m_pRenderer = RenderProduction;
    if (!job->Start(nullptr)) {
        std::cerr << kMsgNoThread << "\n";
        return kExitFailure;
    }
    while (!job->WaitUntilEnded(std::chrono::seconds(1)))
        continue;
    if (job->m_nResult != 1) {
        std::cerr << kMsgEvaluationFailed << "\n";
        return kExitEvaluationFailed;
    }
    return kExitOk;
}

// Encodes the picture as PNG and writes it to out through a temporary file
// that takes out's place when it is complete.
int WriteThumbnail(const Picture& picture, const std::string& out, TimeBudget& budget)
{
    QByteArray bytes;
    std::string reason;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, kThumbnailFormat);
        if (!writer.write(WrapPicture(picture)))
            reason = SavePictureErrorText(kSaveEncoderFailed);
    }
    const std::unique_lock<std::mutex> finishing = budget.HoldOff();
    if (reason.empty() && SaveFileSafely(out, bytes.toStdString(), &reason))
        return kExitOk;
    std::cerr << FillMessage(kMsgCanNotSaveBitmap, out) << "\n(" << reason << ")\n";
    return kExitFailure;
}

int RunThumbnail(const std::vector<std::string>& args)
{
    // "-5" is a SIZE out of range, not an option.
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-' && !std::isdigit(static_cast<unsigned char>(a[1])))
            return UsageError(kCommand, "unknown option '" + a + "'");
    if (args.size() != 3)
        return UsageError(kCommand, "takes FILE, OUT and SIZE");
    long long side = 0;
    if (!ParseIntOption(kCommand, "SIZE", args[2], 1, kMaxThumbnailSide, side))
        return kExitUsage;
    const std::string& out = args[1];
    // Refused before the render rather than after it.
    std::string target, reason;
    if (!ResolveSaveTarget(out, target, &reason)) {
        std::cerr << FillMessage(kMsgCanNotSaveBitmap, out) << "\n(" << reason << ")\n";
        return kExitFailure;
    }

    TimeBudget budget(kTimeBudget);
    LimitMemory();
    TerminalEngineHost host;
    host.m_bQuiet = true;
    CQuilExpression expression(&host);
    if (!ReadExpressionFileOrReport(AbsolutePath(args[0]), expression, kMaxThumbnailQuilBytes))
        return kExitFailure;
    expression.UpdateUsesPicture();

    auto picture = std::make_shared<Picture>();
    if (!picture->Create(int(side), int(side))) {
        std::cerr << kMsgNoMemory << "\n";
        return kExitFailure;
    }
    const int status =
        RenderThumbnail(expression.GetRoot(), ThumbSource(expression, host.SourcePicturePath(), int(side)), picture);
    return status == kExitOk ? WriteThumbnail(*picture, out, budget) : status;
}

const CommandRegistration registration({
    kCommand,
    "write a .quil file's picture as a square PNG thumbnail",
    "Usage: quil-cli thumbnail FILE OUT SIZE\n\n"
    "Computes FILE's picture at SIZE x SIZE pixels (1 to 1024) and writes it to OUT\n"
    "as PNG, whatever OUT's extension. PIC reads the picture FILE names stretched\n"
    "over the thumbnail, or black when FILE names none or it cannot be loaded.\n"
    "File managers run it through the installed thumbnailer entry. Whatever FILE\n"
    "holds, a thumbnail takes at most about 256 MiB of memory and 5 seconds, or\n"
    "nothing is written; a source picture larger than 32 MiB decoded is read at\n"
    "SIZE, and vector pictures (SVG) are not read.\n\n"
    "Exit status: 0 written, 1 a file could not be read or written, 2 bad\n"
    "arguments, 3 the expression cannot be evaluated.\n",
    &RunThumbnail,
    42,
});

}  // namespace
