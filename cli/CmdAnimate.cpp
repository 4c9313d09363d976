// quil-cli animate FILE -o OUT [...]: a .quil file's picture set in motion,
// written as an animation, or one of its frames as a picture.

#include "CliExpression.h"
#include "CliProgress.h"
#include "CliSupport.h"
#include "CmdRender.h"

#include "animation/AnimationFormats.h"
#include "animation/AnimationWriter.h"
#include "render/AnimationFrames.h"
#include "render/RenderMessages.h"
#include "render/pictureio/PictureIO.h"
#include "render/production/ProductionRenderer.h"

#include "engine/FileAccess.h"
#include "engine/QuilExpression.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <thread>

namespace {

constexpr int kMaxAnimationWidth = 3840;
constexpr int kMaxAnimationHeight = 2160;

bool ParseDouble(const char* option, const std::string& text, double min, double max, double& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || !std::isfinite(value) || value < min || value > max) {
        UsageError("animate", std::string(option) + " takes a number from " + std::to_string(min) + " to " +
                                  std::to_string(max) + ", not '" + text + "'");
        return false;
    }
    return true;
}

struct AnimateOptions {
    std::string file, partner, output;
    MotionSettings motion;
    bool strengthGiven = false;
    unsigned width = 300, height = 300;
    bool antiAlias = false;
    long long frame = -1;
    int threads = 0;
    bool recipe = true;
};

// Reads the arguments; returns 0, or the exit status after a usage message.
int ReadOptions(const std::vector<std::string>& args, AnimateOptions& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        long long n = 0;
        const bool takesValue = a == "-o" || a == "--output" || a == "--mode" || a == "--to" ||
                                a == "--strength" || a == "--angle" || a == "--zoom" || a == "--center" ||
                                a == "--seconds" || a == "--fps" || a == "--size" || a == "--seed" ||
                                a == "--frame" || a == "--threads";
        if (takesValue && !TakeValue("animate", args, i, v))
            return kExitUsage;
        if (a == "-o" || a == "--output") {
            o.output = v;
        } else if (a == "--mode") {
            const int mode = MotionModeFromName(v.c_str());
            if (mode < 0)
                return UsageError("animate", "--mode takes drift, turn, zoom or morph, not '" + v + "'");
            o.motion.mode = MotionMode(mode);
        } else if (a == "--to") {
            o.partner = v;
        } else if (a == "--strength") {
            if (!ParseIntOption("animate", a, v, kMinDriftStrength, kMaxDriftStrength, n))
                return kExitUsage;
            o.motion.strength = int(n);
            o.strengthGiven = true;
        } else if (a == "--angle") {
            if (!ParseDouble("--angle", v, -36000.0, 36000.0, o.motion.angle))
                return kExitUsage;
        } else if (a == "--zoom") {
            if (!ParseDouble("--zoom", v, kMinZoomFactor, kMaxZoomFactor, o.motion.zoom))
                return kExitUsage;
        } else if (a == "--center") {
            const size_t comma = v.find(',');
            if (comma == std::string::npos)
                return UsageError("animate", "--center takes X,Y, not '" + v + "'");
            if (!ParseDouble("--center", v.substr(0, comma), -1e6, 1e6, o.motion.pointX) ||
                !ParseDouble("--center", v.substr(comma + 1), -1e6, 1e6, o.motion.pointY))
                return kExitUsage;
        } else if (a == "--seconds") {
            if (!ParseDouble("--seconds", v, kMinAnimationSeconds, kMaxAnimationSeconds, o.motion.seconds))
                return kExitUsage;
        } else if (a == "--fps") {
            if (!ParseIntOption("animate", a, v, kMinAnimationFps, kMaxAnimationFps, n))
                return kExitUsage;
            o.motion.fps = int(n);
        } else if (a == "--size") {
            if (!ParseSizeOption("animate", v, o.width, o.height))
                return kExitUsage;
        } else if (a == "--seed") {
            if (!ParseIntOption("animate", a, v, 0, 0xffffffffll, n))
                return kExitUsage;
            o.motion.seed = uint32_t(n);
        } else if (a == "--frame") {
            if (!ParseIntOption("animate", a, v, 0, 0x7fffffffll, o.frame))
                return kExitUsage;
        } else if (a == "--threads") {
            if (!ParseIntOption("animate", a, v, 0, production::kMaxThreads, n))
                return kExitUsage;
            o.threads = int(n);
        } else if (a == "--antialias") {
            o.antiAlias = true;
        } else if (a == "--no-recipe") {
            o.recipe = false;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("animate", "unknown option '" + a + "'");
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            return UsageError("animate", "only one FILE can be animated at a time");
        }
    }
    if (o.file.empty())
        return UsageError("animate", "a FILE is needed");
    if (o.output.empty())
        return UsageError("animate", "an output file is needed (-o OUT)");
    if ((o.motion.mode == MotionMode::Morph) != !o.partner.empty())
        return UsageError("animate", "--mode morph and --to FILE2 go together");
    if (o.width > unsigned(kMaxAnimationWidth) || o.height > unsigned(kMaxAnimationHeight))
        return UsageError("animate", "an animation is at most 3840x2160 pixels");
    // Drift moves the constants by itself; turn and zoom only with --strength.
    if (o.motion.mode != MotionMode::Drift && !o.strengthGiven)
        o.motion.strength = 0;
    if (o.frame >= o.motion.FrameCount())
        return UsageError("animate", "--frame takes 0 to " + std::to_string(o.motion.FrameCount() - 1));
    return 0;
}

int RenderOneFrame(const AnimationFrames& frames, const AnimateOptions& o, std::shared_ptr<const Picture> source)
{
    AnimationFrame frame;
    if (!frames.Frame(int(o.frame), frame)) {
        std::cerr << kMsgEvaluationFailed << "\n";
        return kExitEvaluationFailed;
    }
    CliRenderSettings settings;
    settings.width = o.width;
    settings.height = o.height;
    settings.antiAlias = o.antiAlias;
    settings.threads = o.threads;
    settings.output = o.output;
    settings.view = frame.view;
    if (const int status = CheckRenderSettings("animate", settings))
        return status;
    // A still's recipe cannot hold a view; the frame's expression alone
    // describes it only where the view is the still's.
    std::string recipe;
    if (o.recipe && frame.view.IsDefault()) {
        TerminalEngineHost host;
        CQuilExpression copy(&host);
        if (copy.CopyFrom(frame.tree.Root()))
            recipe = copy.RecipeText(AbsolutePath(o.output));
    }
    return RenderAndSave(frame.tree.Root(), std::move(source), settings, recipe);
}

int RunAnimate(const std::vector<std::string>& args)
{
    AnimateOptions o;
    if (const int status = ReadOptions(args, o))
        return status;
    // --no-recipe leaves it out for this run; the stored setting for every run.
    o.recipe = o.recipe && StoredRecipeSetting();

    TerminalEngineHost host;
    host.m_bQuiet = true;
    CQuilExpression expression(&host), partner(&host);
    if (!ReadExpressionFileOrReport(AbsolutePath(o.file), expression))
        return kExitFailure;
    expression.UpdateUsesPicture();
    std::shared_ptr<const Picture> source;
    if (!LoadCliSourcePicture(expression, host, {}, source))
        return kExitFailure;
    if (!o.partner.empty() && !ReadExpressionFileOrReport(AbsolutePath(o.partner), partner))
        return kExitFailure;
    const AnimationFrames frames(expression.GetRoot(), partner.GetRoot(), o.motion);
    if (o.frame >= 0)
        return RenderOneFrame(frames, o, std::move(source));

    if (AnimationTypeOfName(o.output) < 0) {
        std::cerr << FillMessage(kMsgCanNotSaveBitmap, o.output) << "\n(" << kMsgNoAnimationType << ")\n";
        return kExitFailure;
    }
    if (!MakeOutputFolder(o.output))
        return kExitFailure;
    std::string recipe;
    if (o.recipe) {
        recipe = AnimationRecipeText(o.motion, int(o.width), int(o.height), o.antiAlias,
                                     expression.RecipeText(AbsolutePath(o.output)),
                                     partner.GetRoot() ? partner.RecipeText(AbsolutePath(o.output)) : std::string());
    }

    FrameSetup setup;
    setup.width = int(o.width);
    setup.height = int(o.height);
    setup.antiAlias = o.antiAlias;
    setup.source = std::move(source);
    setup.threads = o.threads;
    std::atomic<int> abort{0};
    setup.abort = &abort;

    const auto start = std::chrono::steady_clock::now();
    AnimationWriteResult result = AnimationWriteResult::Failed;
    std::string reason;
    {
        InterruptWatch interrupts;
        ProgressBar bar(unsigned(frames.Count()));
        // Ctrl+C is seen by a watcher: the encoding thread may be waiting for a frame.
        std::atomic<bool> finished{false};
        std::thread watcher([&] {
            while (!finished.load()) {
                if (g_interrupted)
                    abort.store(1);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        result = WriteAnimation(frames, o.motion.fps, setup, RenderProduction, o.output, recipe,
                                [&](int written) { bar.Show(unsigned(written)); }, reason);
        finished.store(true);
        watcher.join();
    }
    switch (result) {
    case AnimationWriteResult::Aborted: std::cerr << kMsgAborted << "\n"; return kExitInterrupted;
    case AnimationWriteResult::EvaluationFailed: std::cerr << kMsgEvaluationFailed << "\n"; return kExitEvaluationFailed;
    case AnimationWriteResult::Failed:
        std::cerr << FillMessage(kMsgCanNotSaveBitmap, o.output) << "\n(" << reason << ")\n";
        return kExitFailure;
    case AnimationWriteResult::Written: break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char line[128];
    std::snprintf(line, sizeof line, "%d frames in %.2f s (%.1f frames/s)", frames.Count(), seconds,
                  seconds > 0 ? frames.Count() / seconds : 0.0);
    std::cout << line << std::endl;
    return kExitOk;
}

const CommandRegistration registration({
    "animate",
    "write a .quil file's picture in motion as an animation",
    "Usage: quil-cli animate FILE -o OUT [--mode drift|turn|zoom|morph] [--to FILE2]\n"
    "                        [--strength 1-3] [--angle DEG] [--zoom FACTOR] [--center X,Y]\n"
    "                        [--seconds S] [--fps F] [--size WxH] [--antialias] [--seed S]\n"
    "                        [--frame K] [--threads N] [--no-recipe]\n\n"
    "Sets FILE's picture in motion and writes it to OUT, whose extension chooses\n"
    "the type: .webp and .gif (animated pictures that loop), .mp4 (H.264), .webm\n"
    "(VP9), or .png for numbered PNG frames (OUT-0000.png, OUT-0001.png, ...).\n\n"
    "Options:\n"
    "  -o OUT           the file to write\n"
    "  --mode M         drift (the default): the constants move along closed loops;\n"
    "                   turn: the plane turns about a point; zoom: the view zooms\n"
    "                   into a point and back out; morph: FILE becomes FILE2\n"
    "  --to FILE2       the picture a morph ends with\n"
    "  --strength 1-3   how far the constants drift: subtle, medium (the default)\n"
    "                   or wild; with turn or zoom, drift as well\n"
    "  --angle DEG      turn: the angle turned, 360 by default (a loop)\n"
    "  --zoom FACTOR    zoom: the magnification reached, 4 by default\n"
    "  --center X,Y     the point turned about or zoomed into, in the picture's\n"
    "                   -1..1 coordinates (y downward); 0,0 by default\n"
    "  --seconds S      length, 0.1 to 600 (default 4)\n"
    "  --fps F          frames per second, 1 to 60 (default 25)\n"
    "  --size WxH       frame size, at most 3840x2160 (default 300x300); MP4 and\n"
    "                   WebM need even sides\n"
    "  --antialias      four samples per pixel\n"
    "  --seed S         where each constant starts on its loop (default 1)\n"
    "  --frame K        write only frame K (0 is the first) as a picture; its type\n"
    "                   by OUT's extension (see quil-cli formats)\n"
    "  --threads N      frames computed at once; 0 (the default) is one per core\n"
    "                   (with --frame: the renderer's threads)\n"
    "  --no-recipe      leave the expressions and settings out of the file's\n"
    "                   metadata (MP4, WebM and PNG carry them by default)\n\n"
    "On a terminal the progress shows on standard error; Ctrl+C aborts and\n"
    "leaves no file. Ends with 'N frames in T s (F frames/s)'. Exit status:\n"
    "0 written, 1 a file could not be read or written, 2 bad arguments, 3 the\n"
    "expression cannot be evaluated, 130 aborted.\n",
    &RunAnimate,
    46,
});

}  // namespace
