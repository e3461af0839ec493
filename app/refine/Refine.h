// Refinement: after the plug-in's pass (or instead of it), the exchanges the plug-in allows that
// shorten the airwires lqhost reports, carried out through the plug-in's own pin items.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/model/Board.h"

namespace lq {

class HostSheet;
class PlugInSession;

struct RefineOptions {
    bool enabled = false;
    bool skipPass = false;                // --refine-only
    std::optional<double> effortSeconds;  // --effort
};

struct EffortFigures {
    double seconds = 0;             // as asked
    std::uint64_t workBudget = 0;   // distance evaluations it buys
    std::uint64_t rounds = 0;       // perturbations tried
    std::uint64_t improvements = 0; // rounds that found a shorter board
    std::uint64_t gain = 0;         // nm shorter than the local optimum it started from
};

struct RefineResult {
    std::size_t pinExchanges = 0;
    std::size_t gateExchanges = 0;
    std::uint64_t lengthBefore = 0;  // nm, as the model measured the sheet when it began
    std::uint64_t lengthAfter = 0;
    std::optional<EffortFigures> effort;
    std::vector<std::string> notes;
};

// Refines the board on the sheet, which is the host's current sheet and shows `board`. The changes
// go into the sheet's netlist through the plug-in's pin items, and the host then reports the
// netlist change to the plug-in, as after any change. Throws JobError when the plug-in lacks an
// export refinement needs, or does not carry a change out as asked.
RefineResult RefineSheet(const PlugInSession& session, HostSheet& sheet, const Board& board, const RefineOptions& options);

}  // namespace lq
