#include "CliSupport.h"

#include "engine/CNumbers.h"
#include "engine/QuilExpression.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {
std::vector<CliCommand>& CommandTable()
{
    static std::vector<CliCommand> table;
    return table;
}
}  // namespace

CommandRegistration::CommandRegistration(const CliCommand& command)
{
    auto& table = CommandTable();
    table.push_back(command);
    std::sort(table.begin(), table.end(), [](const CliCommand& a, const CliCommand& b) { return a.order < b.order; });
}

const std::vector<CliCommand>& RegisteredCommands() { return CommandTable(); }

const CliCommand* FindCommand(const std::string& name)
{
    for (const CliCommand& c : CommandTable())
        if (name == c.name)
            return &c;
    return nullptr;
}

int UsageError(const char* command, const std::string& message)
{
    std::cerr << "quil-cli " << command << ": " << message << "\n"
              << "Try 'quil-cli " << command << " --help'.\n";
    return kExitUsage;
}

bool WantsHelp(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

int PrintCommandHelp(const CliCommand& command)
{
    std::cout << command.usage;
    return kExitOk;
}

bool ParseIntOption(const char* command, const std::string& option, const std::string& text, long long min,
                    long long max, long long& value)
{
    if (!ParseLongC(text, min, max, value)) {
        UsageError(command, option + " takes a whole number from " + std::to_string(min) + " to " +
                                std::to_string(max) + ", not '" + text + "'");
        return false;
    }
    return true;
}

bool ParseSizeOption(const char* command, const std::string& text, unsigned& width, unsigned& height)
{
    const size_t x = text.find_first_of("xX");
    long long w = 0, h = 0;
    if (x == std::string::npos || !ParseLongC(text.substr(0, x), 1, 1LL << 31, w) ||
        !ParseLongC(text.substr(x + 1), 1, 1LL << 31, h)) {
        UsageError(command, "--size takes WIDTHxHEIGHT with positive whole numbers, not '" + text + "'");
        return false;
    }
    width = static_cast<unsigned>(std::min<long long>(w, 0xffffffffLL));
    height = static_cast<unsigned>(std::min<long long>(h, 0xffffffffLL));
    return true;
}

bool TakeValue(const char* command, const std::vector<std::string>& args, size_t& i, std::string& value)
{
    if (i + 1 >= args.size()) {
        UsageError(command, args[i] + " needs a value");
        return false;
    }
    value = args[++i];
    return true;
}

void TerminalEngineHost::ShowMessage(const std::string& text, const std::string& caption, MessageIcon)
{
    if (m_bQuiet && text == kMsgPictureNotLoaded)
        return;
    std::cerr << caption << ": " << text << "\n";
}

std::string AbsolutePath(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}
