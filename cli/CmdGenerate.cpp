// quil-cli generate [--count N] [--seed S]: random expressions under the stored settings.

#include "CliExpression.h"
#include "CliSupport.h"

#include "settings/QtSettingsStore.h"
#include "engine/GenerationSettings.h"
#include "engine/RandomSource.h"

#include <iostream>
#include <memory>

namespace {
int RunGenerate(const std::vector<std::string>& args)
{
    long long count = 1;
    long long seed = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        if (args[i] == "--count") {
            if (!TakeValue("generate", args, i, value) || !ParseIntOption("generate", "--count", value, 1, 1000000, count))
                return kExitUsage;
        } else if (args[i] == "--seed") {
            if (!TakeValue("generate", args, i, value) ||
                !ParseIntOption("generate", "--seed", value, 0, 4294967295LL, seed))
                return kExitUsage;
        } else {
            return UsageError("generate", "unknown argument '" + args[i] + "'");
        }
    }

    QtSettingsStore store;
    GenerationSettings settings;
    settings.InitGenerationSettings(store);
    std::unique_ptr<LcgRandomSource> random =
        seed >= 0 ? std::make_unique<LcgRandomSource>(static_cast<uint32_t>(seed)) : std::make_unique<ClockRandomSource>();

    TerminalEngineHost host;
    CQuilExpression expression(&host);
    for (long long n = 0; n < count; ++n) {
        expression.Reset();
        if (!expression.GenerateRandom(settings, *random))
            return kExitFailure;
        const std::string text = WriteExpressionText(expression, {});
        if (text.empty())
            return kExitFailure;
        std::cout << text << "\n";
    }
    return kExitOk;
}

const CommandRegistration registration({
    "generate",
    "print random expressions",
    "Usage: quil-cli generate [--count N] [--seed S]\n\n"
    "Prints N random expressions (default 1) in the .quil text form, one per line,\n"
    "generated under the stored generation settings (section \"Prob\" of\n"
    "~/.config/TalvosArtPrograms/Quil.conf, as the application uses them).\n"
    "--seed S makes the output reproducible.\n",
    &RunGenerate,
    30,
});
}  // namespace
