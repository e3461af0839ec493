#include "app/formats/eagle/EagleWriter.h"

#include <fmt/core.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "app/formats/eagle/EagleBoardEdit.h"
#include "app/formats/eagle/EagleConsistency.h"
#include "app/formats/eagle/EagleSchematicEdit.h"

namespace lq::eagle {

EagleOutput WriteEagle(EagleDesign& design, const Board& before, const Board& after)
{
    EagleOutput out;
    out.exchanges = InferExchanges(design, before, after);
    std::vector<std::string> was = ConsistencyProblems(design);
    std::sort(was.begin(), was.end());

    const SignalEdits edits = RewriteSignals(design, before, after);
    out.changedSignals = edits.changed;
    out.reroutedSignals = edits.rerouted;
    ApplyExchanges(design, before, out.exchanges);

    std::vector<std::string> now = ConsistencyProblems(design);
    std::sort(now.begin(), now.end());
    std::vector<std::string> added;
    std::set_difference(now.begin(), now.end(), was.begin(), was.end(), std::back_inserter(added));
    if (!added.empty())
        throw JobError(fmt::format("{}: the written board and schematic would disagree ({}{}); nothing was written",
                                   design.board->Name(), added.front(),
                                   added.size() > 1 ? fmt::format(", and {} more", added.size() - 1) : ""));

    out.board = design.board->Serialise();
    if (design.schematic)
        out.schematic = design.schematic->Serialise();
    return out;
}

}  // namespace lq::eagle
