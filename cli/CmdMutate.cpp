// quil-cli mutate FILE [--count N] [--seed S] [--strength 1-3] [--mate FILE2]:
// variations of a file's expression under the stored settings.

#include "CliExpression.h"
#include "CliSupport.h"

#include "batch/BatchTexts.h"
#include "engine/GenerationSettings.h"
#include "engine/Mutation.h"
#include "engine/RandomSource.h"
#include "settings/QtSettingsStore.h"

#include <iostream>
#include <memory>

namespace {
constexpr const char* kName = "mutate";
constexpr int kDefaultCount = 8;
constexpr int kDefaultStrength = 2;

struct MutateOptions {
    std::string file;
    std::string mate;
    long long count = kDefaultCount;
    long long seed = -1;
    long long strength = kDefaultStrength;
};

// Neighbouring seeds start the generator at neighbouring states, whose first
// draws lie close together; mixing the bits spreads them.
uint32_t MixSeed(uint32_t s)
{
    s ^= s >> 16;
    s *= 0x7feb352du;
    s ^= s >> 15;
    s *= 0x846ca68bu;
    s ^= s >> 16;
    return s;
}

struct IntOption {
    const char* name;
    long long min;
    long long max;
    long long MutateOptions::*value;
};
constexpr IntOption kIntOptions[] = {
    {"--count", 1, kMaxVariationsPerRound, &MutateOptions::count},
    {"--seed", 0, 4294967295LL, &MutateOptions::seed},
    {"--strength", kMinStrength, kMaxStrength, &MutateOptions::strength},
};

// False (after the message) for arguments that make no sense.
bool ParseArguments(const std::vector<std::string>& args, MutateOptions& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        const IntOption* option = nullptr;
        for (const IntOption& candidate : kIntOptions)
            if (a == candidate.name)
                option = &candidate;
        if (option) {
            if (!TakeValue(kName, args, i, value) ||
                !ParseIntOption(kName, a, value, option->min, option->max, o.*(option->value)))
                return false;
        } else if (a == "--mate") {
            if (!TakeValue(kName, args, i, o.mate))
                return false;
        } else if (a.rfind("--", 0) == 0) {
            UsageError(kName, "unknown argument '" + a + "'");
            return false;
        } else if (!o.file.empty()) {
            UsageError(kName, "takes exactly one FILE");
            return false;
        } else {
            o.file = a;
        }
    }
    if (o.file.empty()) {
        UsageError(kName, "a FILE is needed");
        return false;
    }
    return true;
}

int RunMutate(const std::vector<std::string>& args)
{
    MutateOptions o;
    if (!ParseArguments(args, o))
        return kExitUsage;

    TerminalEngineHost host;
    CQuilExpression parent(&host);
    if (!ReadExpressionFileOrReport(AbsolutePath(o.file), parent))
        return kExitFailure;
    // The mate's picture name must not replace the file's.
    SilentEngineHost mateHost;
    CQuilExpression mate(&mateHost);
    if (!o.mate.empty() && !ReadExpressionFileOrReport(AbsolutePath(o.mate), mate))
        return kExitFailure;
    // A picture terminal taken from the mate reads the mate's picture when FILE names none.
    if (host.m_strPath.empty())
        host.m_strPath = mate.PictureName();

    QtSettingsStore store;
    GenerationSettings settings;
    settings.InitGenerationSettings(store);
    std::unique_ptr<LcgRandomSource> random = o.seed >= 0
                                                  ? std::make_unique<LcgRandomSource>(MixSeed(uint32_t(o.seed)))
                                                  : std::make_unique<ClockRandomSource>();
    CMutator mutator(settings, *random, &host);
    const VariationRound round = mutator.Vary(parent.GetRoot(), int(o.count), int(o.strength),
                                              o.mate.empty() ? nullptr : mate.GetRoot());
    for (const Variation& v : round.variations) {
        const std::string text = WriteExpressionText(*v.expression, {});
        if (text.empty())
            return kExitFailure;
        std::cout << text << "\n";
    }
    if (!round.Complete())
        std::cerr << "quil-cli " << kName << ": only "
                  << CountText(round.variations.size(), "different variation", "different variations") << " found in "
                  << CountText(uint64_t(round.tries), "try", "tries") << "\n";
    return kExitOk;
}

const CommandRegistration registration({
    kName,
    "print variations of a .quil file's expression",
    "Usage: quil-cli mutate FILE [--count N] [--seed S] [--strength 1-3] [--mate FILE2]\n\n"
    "Prints N variations (default 8, at most 1000) of FILE's expression in the .quil\n"
    "text form, one per line, each different from FILE and from the others. They\n"
    "honour the stored generation settings: a kind without probability is never\n"
    "brought in, and no tree grows deeper than the maximum level.\n"
    "--strength 1 (subtle), 2 (medium, the default) or 3 (wild).\n"
    "--mate FILE2 crosses every variation with a branch of FILE2's expression.\n"
    "--seed S makes the output reproducible.\n"
    "When fewer different variations can be found, those are printed and a note goes\n"
    "to standard error. Exit status 0 on success, 1 when a file cannot be read,\n"
    "2 for bad arguments.\n",
    &RunMutate,
    35,
});
}  // namespace
