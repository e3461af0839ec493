// lqhost's subcommands in one table: name, help, an example, and how each is set up and run.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace lq {

struct GlobalOptions {
    std::string modulePath;
};

using CommandRunner = std::function<int()>;

struct CommandEntry {
    const char* name;
    const char* help;
    const char* example;
    // Declares the subcommand's options and returns what runs it once they are parsed.
    std::function<CommandRunner(CLI::App& sub, const GlobalOptions& global)> setup;
};

const std::vector<CommandEntry>& CommandTable();

CommandEntry MakeCommandsCommand();
CommandEntry MakeAutoswapCommand();
CommandEntry MakeInfoCommand();
CommandEntry MakePlayCommand();
CommandEntry MakeRenderCommand();
CommandEntry MakeServeCommand();

// lqhost without a subcommand: the automatic swap on the built-in sample board, with its report.
int RunDefaultJob(const GlobalOptions& global);

}  // namespace lq
