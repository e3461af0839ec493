// Refinement as a stage of lqhost's run on one board, after the plug-in's pass or instead of it.
#pragma once
#include <string>

#include "app/model/Board.h"
#include "app/session/AutoSwapRun.h"

namespace lq {

class HostSheet;

// Refines the sheet's board (outcome.after, read back after the pass), then reads it back into
// outcome.after and fills outcome.run.refine. Returns the board it started from.
Board RunRefineStage(const PlugInSession& session, HostSheet& sheet, const std::string& name, const RefineOptions& options,
                     AutoSwapOutcome& outcome);

}  // namespace lq
