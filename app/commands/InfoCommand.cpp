// lqhost info: a board's gates, gate groups, pin groups and swap candidates as the plug-in sees
// them, learnt through its tools.
#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <cstdio>
#include <memory>

#include "app/core/Printable.h"
#include "app/cli/BoardReadFlags.h"
#include "app/cli/ElapsedTicker.h"
#include "app/cli/CommandTable.h"
#include "app/cli/PathOption.h"
#include "app/formats/BoardFiles.h"
#include "app/probe/BoardProbe.h"
#include "app/probe/InfoFormat.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"

namespace lq {

namespace {

struct Options {
    std::string board;
    bool json = false;
    BoardReadOptions read;
};

int Run(const Options& o, const GlobalOptions& global)
{
    const LoadedBoard loaded = LoadBoard(o.board, o.read);
    for (const std::string& note : loaded.notes)
        std::fprintf(stderr, "%s\n", note.c_str());
    const Board& board = loaded.board;
    PlugInSession session(global.modulePath);
    std::string text;
    {
        // Every gate and pin is picked in turn, and each pick goes over the board: a board of
        // hundreds of packages takes minutes, counted on a terminal.
        const ElapsedTicker ticker("lqhost info: asking the plug-in's tools");
        HostSheet sheet(board, o.board);
        const BoardProbe probe = ProbeBoard(session, sheet);
        text = o.json ? FormatInfoJson(board, o.board, probe, loaded.swapRules)
                      : FormatInfoText(board, o.board, probe, loaded.swapRules);
    }
    std::fputs(o.json ? text.c_str() : Printable(text, std::string::npos, true).c_str(), stdout);
    return 0;
}

}  // namespace

CommandEntry MakeInfoCommand()
{
    return CommandEntry{
        "info", "Show a board's gates, gate groups, pin groups and swap candidates as the plug-in sees them",
        "lqhost info examples/sample.qbrd.json --json",
        [](CLI::App& sub, const GlobalOptions& global) -> CommandRunner {
            auto o = std::make_shared<Options>();
            sub.add_option("BOARD", o->board, "The board file (.qbrd.json, Eagle .brd, KiCad .kicad_pcb)")
                ->required()
                ->check(NonEmptyPath);
            sub.add_flag("--json", o->json, "Write JSON for machines instead of text");
            AddBoardReadFlags(sub, o->read);
            return [o, &global] { return Run(*o, global); };
        }};
}

}  // namespace lq
