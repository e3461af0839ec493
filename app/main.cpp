// lqhost: a command-line host for the Quillon plug-in.
#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <cstdio>
#include <memory>

#include "app/cli/CommandTable.h"
#include "app/cli/Interrupt.h"
#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/session/PlugInSession.h"

namespace {
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// One line, whatever the names quoted in it hold.
void Report(const char* prefix, const char* what)
{
    std::fprintf(stderr, "lqhost: %s%s\n", prefix, lq::Printable(what, 2000).c_str());
}
}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"lqhost: runs the Quillon pin and gate swap plug-in on boards, as a layout host would."};
    app.set_help_all_flag("--help-all", "Show the help of every subcommand");
    lq::GlobalOptions global;
    global.modulePath = lq::DefaultModulePath();
    app.add_option("--module", global.modulePath, "The plug-in to load (default: libquillon.so beside lqhost)");
    app.require_subcommand(0, 1);

    std::vector<std::pair<CLI::App*, lq::CommandRunner>> runners;
    for (const lq::CommandEntry& command : lq::CommandTable()) {
        CLI::App* sub = app.add_subcommand(command.name, command.help);
        sub->footer(std::string("Example:\n  ") + command.example);
        runners.emplace_back(sub, command.setup(*sub, global));
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "lqhost: %s (run 'lqhost --help' for usage)\n", lq::Printable(e.what(), 2000).c_str());
        return kExitUsage;
    }

    lq::InstallInterruptHandlers();
    try {
        for (auto& [sub, run] : runners)
            if (sub->parsed())
                return run();
        return lq::RunDefaultJob(global);
    } catch (const lq::UsageError& e) {
        Report("", e.what());
        return kExitUsage;
    } catch (const lq::JobError& e) {
        Report("", e.what());
        return kExitFailed;
    } catch (const std::exception& e) {
        Report("internal error: ", e.what());
        return kExitFailed;
    }
}
