// quil-cli eval FILE X Y [X Y ...] [--input R,G,B]: the root's colour at points.

#include "CliExpression.h"
#include "CliSupport.h"

#include "engine/CNumbers.h"
#include "engine/DeepStackThread.h"
#include "engine/Evaluator.h"

#include <iostream>

namespace {
bool ParseTriple(const std::string& text, double out[3])
{
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t comma = text.find(',', start);
        const bool last = i == 2;
        if (last != (comma == std::string::npos))
            return false;
        const std::string part = text.substr(start, last ? std::string::npos : comma - start);
        if (!ParseDoubleC(part, out[i]))
            return false;
        start = comma + 1;
    }
    return true;
}

int RunEval(const std::vector<std::string>& args)
{
    std::string file;
    std::vector<double> coordinates;
    double input[3] = {0, 0, 0};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--input") {
            std::string value;
            if (!TakeValue("eval", args, i, value))
                return kExitUsage;
            if (!ParseTriple(value, input))
                return UsageError("eval", "--input takes R,G,B as three numbers, not '" + value + "'");
        } else if (file.empty() && !(a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9') && a[1] != '.')) {
            file = a;
        } else {
            double v = 0;
            if (!ParseDoubleC(a, v))
                return UsageError("eval", "'" + a + "' is not a number");
            coordinates.push_back(v);
        }
    }
    if (file.empty())
        return UsageError("eval", "a FILE is needed");
    if (coordinates.empty() || coordinates.size() % 2 != 0)
        return UsageError("eval", "points are given as pairs X Y");

    TerminalEngineHost host;
    host.m_bQuiet = true;
    CQuilExpression expression(&host);
    if (!ReadExpressionFileOrReport(AbsolutePath(file), expression))
        return kExitFailure;
    // The evaluator recurses over the tree: it runs on a stack sized for the
    // deepest tree, whatever the stack limit of this thread.
    int status = kExitOk;
    const bool ran = RunOnDeepStack([&] {
        const CEvaluator evaluator;
        for (size_t i = 0; i < coordinates.size(); i += 2) {
            double r = input[0], g = input[1], b = input[2];
            if (!evaluator.Evaluate(expression.GetRoot(), coordinates[i], coordinates[i + 1], r, g, b)) {
                std::cerr << kMsgEvaluationFailed << "\n";
                status = kExitEvaluationFailed;
                return;
            }
            std::cout << FormatG17(r) << " " << FormatG17(g) << " " << FormatG17(b) << "\n";
        }
    });
    if (!ran) {
        std::cerr << kMsgNoThread << "\n";
        return kExitFailure;
    }
    return status;
}

const CommandRegistration registration({
    "eval",
    "evaluate a .quil file's expression at points of the plane",
    "Usage: quil-cli eval FILE X Y [X Y ...] [--input R,G,B]\n\n"
    "Reads FILE and evaluates its expression at each point (x and y run from -1 to 1\n"
    "across a picture). The input colour (default 0,0,0) is what the picture terminal\n"
    "PIC yields. Prints red, green and blue per point as \"%.17g %.17g %.17g\".\n"
    "Exit status 3 with \"Evaluation failed\" when the expression cannot be evaluated.\n",
    &RunEval,
    20,
});
}  // namespace
