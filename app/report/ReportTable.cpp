// The report as a table for the terminal.
#include <fmt/core.h>

#include <algorithm>

#include "app/report/RefineReport.h"
#include "app/report/RunReport.h"

namespace lq {

namespace {

// Long runs list only the first changes here; the JSON report and the ECO file have them all.
constexpr std::size_t kChangesShown = 20;

std::string Percent(std::uint64_t before, std::uint64_t after)
{
    const auto p = PercentChange(before, after);
    return p ? fmt::format("{:+.1f} %", *p) : std::string("-");
}

std::string NetText(const std::string& net) { return net.empty() ? "(none)" : net; }

void Changes(std::string& out, const BoardRun& run)
{
    if (run.changes.empty())
        return;
    std::size_t wPart = 4, wPin = 3, wOld = 7, wNew = 7;
    for (const PinChange& c : run.changes) {
        wPart = std::max(wPart, c.part.size());
        wPin = std::max(wPin, c.pin.size());
        wOld = std::max(wOld, NetText(c.oldNet).size());
        wNew = std::max(wNew, NetText(c.newNet).size());
    }
    // Where refinement ran, a last column names the stage that moved each pin.
    auto stage = [&](const std::string& s) { return run.refine ? "  " + s : std::string(); };
    auto stageOf = [&](std::size_t i) { return run.refine && i < run.refine->stages.size() ? run.refine->stages[i] : std::string(); };
    out += fmt::format("\n  {:<{}}  {:<{}}  {:<{}}  {}{}\n", "part", wPart, "pin", wPin, "old net", wOld,
                       run.refine ? fmt::format("{:<{}}", "new net", wNew) : "new net", stage("stage"));
    const std::size_t shown = std::min(run.changes.size(), kChangesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        const PinChange& c = run.changes[i];
        out += fmt::format("  {:<{}}  {:<{}}  {:<{}}  {}{}\n", c.part, wPart, c.pin, wPin, NetText(c.oldNet), wOld,
                           run.refine ? fmt::format("{:<{}}", NetText(c.newNet), wNew) : NetText(c.newNet), stage(stageOf(i)));
    }
    if (shown < run.changes.size())
        out += fmt::format("  ... and {} more (all of them in --report and --eco)\n", run.changes.size() - shown);
}

void Records(std::string& out, const BoardRun& run)
{
    if (run.records.empty())
        return;
    out += "\n  back-annotation records\n";
    for (const BackAnnotationEntry& r : run.records) {
        std::string texts;
        for (const std::string& t : r.texts)
            texts += fmt::format("{}\"{}\"", texts.empty() ? "" : ", ", t);
        out += fmt::format("  kind {} ({}), undo id 0x{:08X}: {}\n", r.kind,
                           r.kind == 12 ? "gate swap" : r.kind == 13 ? "pin swap" : "other", r.undoId, texts);
    }
}

}  // namespace

std::string FormatReportTable(const RunReport& report)
{
    std::string out;
    for (std::size_t i = 0; i < report.boards.size(); ++i) {
        const BoardRun& run = report.boards[i];
        if (i > 0)
            out += "\n";
        out += fmt::format("{}\n", run.board);
        if (run.refine) {
            out += RefineTableRows(run);
        } else {
            out += fmt::format("  {:<18} {:>14} {:>14} {:>9}\n", "", "before", "after", "change");
            out += fmt::format("  {:<18} {:>14} {:>14} {:>9}\n", "airwire length", Millimetres(run.before.length),
                               Millimetres(run.after.length), Percent(run.before.length, run.after.length));
            out += fmt::format("  {:<18} {:>14} {:>14} {:>9}\n", "airwire crossings", run.before.crossings,
                               run.after.crossings, Percent(run.before.crossings, run.after.crossings));
            out += fmt::format("  {:<18} {:>14} {:>14}\n", "airwires", run.before.airwires, run.after.airwires);
        }
        out += fmt::format("  pins moved: {}   back-annotation records: {}   run time: {:.3f} s\n", run.changes.size(),
                           run.records.size(), run.seconds);
        if (!run.output.empty())
            out += fmt::format("  written to {}\n", run.output);
        Changes(out, run);
        Records(out, run);
    }
    return out;
}

}  // namespace lq
