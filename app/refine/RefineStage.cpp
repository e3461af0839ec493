#include "app/refine/RefineStage.h"

#include <fmt/core.h>

#include "app/cli/ElapsedTicker.h"
#include "app/core/Errors.h"
#include "app/model/BoardCheck.h"
#include "app/session/HostSheet.h"

namespace lq {

Board RunRefineStage(const PlugInSession& session, HostSheet& sheet, const std::string& name, const RefineOptions& options,
                     AutoSwapOutcome& outcome)
{
    Board start = outcome.after;
    RefineRun run;
    run.passRan = !options.skipPass;
    run.afterPass = MeasureAirwires(start);
    run.effortSeconds = options.effortSeconds;
    RefineResult result;
    {
        ElapsedTicker ticker(name + " (refining)");
        result = RefineSheet(session, sheet, start, options);
        run.seconds = ticker.Seconds();
    }
    run.pinExchanges = result.pinExchanges;
    run.gateExchanges = result.gateExchanges;
    if (result.effort) {
        run.effortRounds = result.effort->rounds;
        run.effortImprovements = result.effort->improvements;
        run.effortGain = result.effort->gain;
    }
    run.notes = result.notes;
    outcome.after = sheet.ReadBack();
    // Refinement measures incrementally; what the sheet holds now must measure the same from scratch.
    if (result.lengthBefore != run.afterPass.length || result.lengthAfter != MeasureAirwires(outcome.after).length)
        throw JobError(fmt::format("{}: refinement's measure of the airwires disagrees with lqhost's; nothing was written",
                                   name));
    if (const auto problem = CheckBoard(outcome.after))
        throw JobError(fmt::format("{}: refinement left a board that breaks the board rules at {}: {}", name, problem->place,
                                   problem->message));
    outcome.run.refine = std::move(run);
    return start;
}

}  // namespace lq
