// The report as JSON (--report).
#include <cmath>
#include <nlohmann/json.hpp>

#include "app/report/RefineReport.h"
#include "app/report/RunReport.h"

namespace lq {

namespace {

using Json = nlohmann::ordered_json;

Json Percent(std::uint64_t before, std::uint64_t after)
{
    const auto p = PercentChange(before, after);
    // + 0.0: a change that rounds to nothing is 0, not -0 (-0.0 in the file).
    return p ? Json(std::round(*p * 100.0) / 100.0 + 0.0) : Json(nullptr);
}

Json Figures(const AirwireFigures& f)
{
    return Json{{"airwires", f.airwires}, {"length", f.length}, {"crossings", f.crossings}};
}

Json BoardJson(const BoardRun& run)
{
    Json changes = Json::array();
    for (std::size_t i = 0; i < run.changes.size(); ++i) {
        const PinChange& c = run.changes[i];
        changes.push_back(Json{{"part", c.part}, {"pin", c.pin}, {"oldNet", c.oldNet}, {"newNet", c.newNet}});
        if (run.refine && i < run.refine->stages.size())
            changes.back()["stage"] = run.refine->stages[i];
    }
    Json records = Json::array();
    for (const BackAnnotationEntry& r : run.records)
        records.push_back(Json{{"kind", r.kind}, {"undoId", r.undoId}, {"texts", r.texts}});
    Json board{
        {"board", run.board},
        {"output", run.output.empty() ? Json(nullptr) : Json(run.output)},
        {"before", Figures(run.before)},
        {"after", Figures(run.after)},
        {"lengthChangePercent", Percent(run.before.length, run.after.length)},
        {"crossingsChangePercent", Percent(run.before.crossings, run.after.crossings)},
        {"pinsMoved", run.changes.size()},
        {"changes", changes},
        {"backAnnotation", records},
        {"seconds", std::round(run.seconds * 1e6) / 1e6},
    };
    AddRefineJson(board, run);
    return board;
}

}  // namespace

std::string FormatReportJson(const RunReport& report)
{
    Json boards = Json::array();
    for (const BoardRun& run : report.boards)
        boards.push_back(BoardJson(run));
    const Json root{{"format", "quillon-report"}, {"version", 1}, {"boards", boards}};
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace lq
