// quil-cli random -o OUT [...]: a new random expression's picture, and with
// --quil its expression file.

#include "CliExpression.h"
#include "CliSupport.h"
#include "CmdRender.h"

#include "settings/QtSettingsStore.h"
#include "engine/FileAccess.h"
#include "engine/GenerationSettings.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"

#include <iostream>
#include <memory>

namespace {

int CannotWrite(const std::string& quilFile, const std::string& reason)
{
    std::cerr << "quil-cli random: cannot write '" << quilFile << "'";
    if (!reason.empty())
        std::cerr << " (" << reason << ")";
    std::cerr << "\n";
    return kExitFailure;
}

int RunRandom(const std::vector<std::string>& args)
{
    CliRenderSettings settings;
    settings.recipe = StoredRecipeSetting();
    std::string quilFile;
    long long seed = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        const int taken = TakeRenderOption("random", args, i, settings);
        if (taken < 0)
            return kExitUsage;
        if (taken > 0)
            continue;
        std::string value;
        if (args[i] == "--quil") {
            if (!TakeValue("random", args, i, quilFile))
                return kExitUsage;
        } else if (args[i] == "--seed") {
            if (!TakeValue("random", args, i, value) ||
                !ParseIntOption("random", "--seed", value, 0, 4294967295LL, seed))
                return kExitUsage;
        } else {
            return UsageError("random", "unknown argument '" + args[i] + "'");
        }
    }
    if (const int status = CheckRenderSettings("random", settings))
        return status;
    // Refused before the render rather than after it.
    std::string reason, target;
    if (!quilFile.empty() && !MakeOutputFolder(quilFile))
        return kExitFailure;
    if (!quilFile.empty() && !ResolveSaveTarget(AbsolutePath(quilFile), target, &reason))
        return CannotWrite(quilFile, reason);

    QtSettingsStore store;
    GenerationSettings generation;
    generation.InitGenerationSettings(store);
    std::unique_ptr<LcgRandomSource> random = seed >= 0 ? std::make_unique<LcgRandomSource>(uint32_t(seed))
                                                        : std::make_unique<ClockRandomSource>();
    TerminalEngineHost host;
    host.m_bQuiet = true;  // no source picture here: "PIC" reads black
    CQuilExpression expression(&host);
    expression.Reset();
    if (!expression.GenerateRandom(generation, *random))
        return kExitFailure;

    const std::string recipe = settings.recipe ? expression.RecipeText(AbsolutePath(settings.output)) : std::string();
    const int status = RenderAndSave(expression.GetRoot(), nullptr, settings, recipe);
    if (status != kExitOk)
        return status;
    if (!quilFile.empty() && !WriteExpressionFile(expression, AbsolutePath(quilFile), &reason))
        return CannotWrite(quilFile, reason);
    return kExitOk;
}

const CommandRegistration registration({
    "random",
    "render a new random expression into an image file",
    "Usage: quil-cli random -o OUT [--quil QUILFILE] [--seed S] [--size WxH]\n"
    "                       [--antialias] [--margins 0-4] [--reference] [--no-recipe]\n\n"
    "Generates a random expression under the stored generation settings (as\n"
    "quil-cli generate does), computes its picture and writes it to OUT. A source\n"
    "picture is not loaded: PIC reads black.\n\n"
    "Options:\n" QUIL_RENDER_OPTIONS_HELP
    "  --quil QUILFILE  also write the expression as a .quil file\n"
    "  --seed S         the random seed (0 to 4294967295), for the same expression\n"
    "                   again; by default the clock\n",
    &RunRandom,
    45,
});

}  // namespace
