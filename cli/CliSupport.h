#pragma once
// Shared pieces of quil-cli: the command table, argument reading with clear
// messages, and the engine host that talks to a terminal.

#include "engine/EngineHost.h"

#include <string>
#include <vector>

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitEvaluationFailed = 3;

inline constexpr const char* kMsgEvaluationFailed = "Evaluation failed";
inline constexpr const char* kMsgNoThread = "No thread";

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct CliCommand {
    const char* name;
    const char* summary;  // one line for the tool's --help
    const char* usage;    // the command's --help text
    CommandFunction run;
    int order;            // place in the tool's --help
};

// Each command file registers itself with a static CommandRegistration.
struct CommandRegistration {
    explicit CommandRegistration(const CliCommand& command);
};
const std::vector<CliCommand>& RegisteredCommands();

// Prints "quil-cli NAME: MESSAGE" and a hint to --help on standard error; returns kExitUsage.
int UsageError(const char* command, const std::string& message);
bool WantsHelp(const std::vector<std::string>& args);
int PrintCommandHelp(const CliCommand& command);
const CliCommand* FindCommand(const std::string& name);

// Option parsing helpers; each prints its own message on failure.
bool ParseIntOption(const char* command, const std::string& option, const std::string& text, long long min,
                    long long max, long long& value);
bool ParseSizeOption(const char* command, const std::string& text, unsigned& width, unsigned& height);
// Takes the value of option args[i] (i is advanced); false when it is missing.
bool TakeValue(const char* command, const std::vector<std::string>& args, size_t& i, std::string& value);

// Messages of the engine go to standard error; the source-picture state is
// kept for the reading and writing of one run.
class TerminalEngineHost : public EngineHost {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    std::string SourcePicturePath() const override { return m_strPath; }
    void SetSourcePicturePath(const std::string& path) override { m_strPath = path; }
    bool PictureLocked() const override { return false; }
    void SetPictureLoadPending(bool pending) override { m_bLoadPending = pending; }
    void EnsureSourcePicture() override {}

    std::string m_strPath;
    bool m_bLoadPending = false;
    bool m_bQuiet = false;  // suppresses the warning that no picture is loaded
};

// Absolute form of a path given on the command line.
std::string AbsolutePath(const std::string& path);
