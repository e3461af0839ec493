// lqhost play: a host session replayed from a script (docs/play.md).
#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <cstdio>
#include <memory>

#include "app/cli/BoardReadFlags.h"
#include "app/cli/CommandTable.h"
#include "app/cli/PathOption.h"
#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/core/Text.h"
#include "app/io/AtomicFile.h"
#include "app/play/BoardSource.h"
#include "app/play/PlayParser.h"
#include "app/play/PlayResolve.h"
#include "app/play/PlayRunner.h"
#include "app/session/PlugInSession.h"
#include "host/Events.h"

namespace lq {

namespace {

struct Options {
    std::string script;
    bool verbose = false;
    BoardReadOptions read;
};

int Run(const Options& o, const GlobalOptions& global)
{
    // Every line is read and checked before the plug-in is loaded; the names in it before anything runs.
    play::Script script = play::ReadPlayScript(o.script);
    PlugInSession session(global.modulePath);
    play::ResolveOptions resolve;
    // --schematic names the schematic of one board; a script that opens two would read both with it.
    std::string opened;
    resolve.openBoard = [&o, &opened](const std::string& path) {
        if (!o.read.schematic.empty() && !opened.empty() && !SamePath(opened, path))
            throw UsageError(fmt::format("--schematic names the schematic of one board, but {} opens {} and {}", o.script,
                                         opened, path));
        opened = path;
        return OpenBoardFile(path, o.read);
    };
    resolve.commands.emplace();
    for (const CommandDescription& c : session.Commands())
        resolve.commands->push_back(c.name);
    AfxPumpEvents();
    play::ResolvePlayScript(script, resolve);

    play::PlaySummary summary;
    {
        play::PlayRunner runner(session, script, o.verbose ? stdout : nullptr);
        summary = runner.Run();
    }
    for (const std::string& output : summary.outputs)
        fmt::print("wrote {}\n", Printable(output));
    fmt::print("{}: {} run, {} met\n", Printable(o.script), Counted(summary.steps, "line"),
               Counted(summary.expectations, "expectation"));
    return 0;
}

}  // namespace

CommandEntry MakePlayCommand()
{
    return CommandEntry{
        "play", "Replay a host session from a script: open boards, pick tools, click, move, run commands, check expectations",
        "lqhost play examples/manual-swaps.play --verbose",
        [](CLI::App& sub, const GlobalOptions& global) -> CommandRunner {
            auto o = std::make_shared<Options>();
            sub.add_option("SCRIPT", o->script, "The play script (see docs/play.md)")->required()->check(NonEmptyPath);
            sub.add_flag("-v,--verbose", o->verbose, "Print each line as it runs, with the messages and records it caused");
            AddBoardReadFlags(sub, o->read);
            return [o, &global] { return Run(*o, global); };
        }};
}

}  // namespace lq
