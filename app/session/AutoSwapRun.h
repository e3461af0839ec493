// The main job on one board: the plug-in's automatic pin and gate swap, run as a host runs it.
#pragma once
#include <string>

#include "app/model/Board.h"
#include "app/refine/Refine.h"
#include "app/report/RunReport.h"

namespace lq {

class PlugInSession;

// The name of the plug-in's board-wide automatic swap command.
constexpr const char* kAutoSwapCommand = "AutoQuillon";

struct AutoSwapOptions {
    bool pictures = false;  // render the board before and after (with the plug-in's gate markers)
    RefineOptions refine;   // refinement after the pass, or instead of it
};

struct AutoSwapOutcome {
    Board after;
    BoardRun run;           // figures, changes, records and time; output left empty
    std::string svgBefore;  // when pictures were asked for
    std::string svgAfter;
};

// Opens the board as the host's current sheet, asks the command's state as a menu would, executes
// the command through the plug-in interface, pumps the host's loop, and reads the board back.
// name names the board in errors and in the report. Throws JobError when the plug-in has no such
// command, the command is disabled on the sheet (a document type other than a layout), the
// plug-in refuses it, or leaves a board that breaks the board rules.
AutoSwapOutcome RunAutoSwap(const PlugInSession& session, const Board& board, const std::string& name,
                            const AutoSwapOptions& options);

}  // namespace lq
