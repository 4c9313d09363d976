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
#include <iostream>
#include <memory>

namespace {

constexpr const char* kCommand = "thumbnail";
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

// The picture PIC reads, stretched over the thumbnail as the tree view's
// thumbnails have it; null (black) when FILE names none or it cannot be loaded.
std::shared_ptr<const Picture> ThumbSource(const CQuilExpression& expression, const std::string& path, int side)
{
    if (!expression.m_bUsesPicture || path.empty())
        return nullptr;
    SilentEngineHost quiet;
    SourcePictureStore store(&quiet);
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
int WriteThumbnail(const Picture& picture, const std::string& out)
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

    TerminalEngineHost host;
    host.m_bQuiet = true;
    CQuilExpression expression(&host);
    if (!ReadExpressionFileOrReport(AbsolutePath(args[0]), expression))
        return kExitFailure;
    expression.UpdateUsesPicture();

    auto picture = std::make_shared<Picture>();
    if (!picture->Create(int(side), int(side))) {
        std::cerr << kMsgNoMemory << "\n";
        return kExitFailure;
    }
    const int status =
        RenderThumbnail(expression.GetRoot(), ThumbSource(expression, host.SourcePicturePath(), int(side)), picture);
    return status == kExitOk ? WriteThumbnail(*picture, out) : status;
}

const CommandRegistration registration({
    kCommand,
    "write a .quil file's picture as a square PNG thumbnail",
    "Usage: quil-cli thumbnail FILE OUT SIZE\n\n"
    "Computes FILE's picture at SIZE x SIZE pixels (1 to 1024) and writes it to OUT\n"
    "as PNG, whatever OUT's extension. PIC reads the picture FILE names stretched\n"
    "over the thumbnail, or black when FILE names none or it cannot be loaded.\n"
    "File managers run it through the installed thumbnailer entry.\n\n"
    "Exit status: 0 written, 1 a file could not be read or written, 2 bad\n"
    "arguments, 3 the expression cannot be evaluated.\n",
    &RunThumbnail,
    42,
});

}  // namespace
