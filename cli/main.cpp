// quil-cli: Quil's engine and calculation from the command line.

#include "CliSupport.h"

#include "engine/ProgramInfo.h"
#include "engine/QuilExpression.h"

#include <clocale>
#include <iostream>
#include <new>

namespace {
int PrintToolHelp()
{
    std::cout << "Usage: quil-cli COMMAND [OPTIONS]\n\n"
                 "Quil makes abstract pictures out of random expression trees over the plane.\n\n"
                 "Commands:\n";
    for (const CliCommand& c : RegisteredCommands()) {
        std::string name = c.name;
        name.resize(10, ' ');
        std::cout << "  " << name << c.summary << "\n";
    }
    std::cout << "\nRun 'quil-cli COMMAND --help' for the options of a command, 'quil-cli --version' for\n"
                 "the version.\n";
    return kExitOk;
}
}  // namespace

int main(int argc, char** argv)
{
    // Number text is the "C" locale's everywhere; the engine does not depend on this.
    std::setlocale(LC_ALL, "C");
    if (argc < 2) {
        PrintToolHelp();
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help")
        return PrintToolHelp();
    if (name == "--version") {
        std::cout << "quil-cli (" << kProgramName << ") " << kProgramVersion << "\n";
        return kExitOk;
    }
    const CliCommand* command = FindCommand(name);
    if (!command) {
        std::cerr << "quil-cli: unknown command '" << name << "'\nTry 'quil-cli --help'.\n";
        return kExitUsage;
    }
    try {
        std::vector<std::string> args(argv + 2, argv + argc);
        if (WantsHelp(args))
            return PrintCommandHelp(*command);
        return command->run(args);
    } catch (const std::bad_alloc&) {
        // A file or a setting asked for more memory than there is.
        std::cerr << kMsgNoMemory << "\n";
        return kExitFailure;
    }
}
