// quil-cli format FILE: reads FILE as a document does and writes it back.

#include "CliSupport.h"
#include "CliExpression.h"

#include <iostream>

namespace {
int RunFormat(const std::vector<std::string>& args)
{
    if (args.size() != 1 || args[0].rfind("--", 0) == 0)
        return UsageError("format", args.empty() ? "a FILE is needed" : "takes exactly one FILE");
    TerminalEngineHost host;
    CQuilExpression expression(&host);
    const std::string path = AbsolutePath(args[0]);
    if (!ReadExpressionFileOrReport(path, expression))
        return kExitFailure;
    const std::string text = WriteExpressionText(expression, path);
    if (text.empty()) {
        std::cerr << kMsgErrorLoading << "\n";
        return kExitFailure;
    }
    std::cout << text << "\n";
    return kExitOk;
}

const CommandRegistration registration({
    "format",
    "read a .quil file and print it as Quil writes it",
    "Usage: quil-cli format FILE\n\n"
    "Reads FILE as Quil opens a document and prints the text that Quil writes for its\n"
    "expression (a picture name relative to FILE's folder). Exit status 0 on success,\n"
    "1 with \"Error loading QUIL function\" when FILE cannot be read.\n",
    &RunFormat,
    10,
});
}  // namespace
