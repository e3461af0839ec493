// The refinement's part of the report views: its figure rows for the terminal table and its
// fields for the JSON report, present only where refinement ran.
#pragma once
#include <nlohmann/json.hpp>
#include <string>

#include "app/report/RunReport.h"

namespace lq {

// The figure rows (before, plug-in pass, refined, change) and the refinement's own line.
std::string RefineTableRows(const BoardRun& run);
// The figures as an HTML table (before, plug-in pass, refined, change) and the refinement's line.
std::string RefineHtmlFigures(const BoardRun& run);
// "afterPass" and "refinement", to add to the board's JSON object.
void AddRefineJson(nlohmann::ordered_json& board, const BoardRun& run);

}  // namespace lq
