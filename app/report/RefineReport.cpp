#include "app/report/RefineReport.h"

#include <fmt/core.h>

#include <cmath>

#include "app/core/Text.h"

namespace lq {

namespace {

std::string Percent(std::uint64_t before, std::uint64_t after)
{
    const auto p = PercentChange(before, after);
    return p ? fmt::format("{:+.1f} %", *p) : std::string("-");
}

// A change in percent for the page, marked better or worse.
std::string HtmlPercent(std::uint64_t before, std::uint64_t after)
{
    const auto p = PercentChange(before, after);
    if (!p)
        return "";
    return fmt::format("<span class=\"{}\">{:+.1f} %</span>", *p < 0 ? "better" : *p > 0 ? "worse" : "same", *p);
}

std::string EffortText(const RefineRun& r)
{
    if (!r.effortSeconds)
        return "";
    return fmt::format("; effort {:g} s: {} rounds, {} shorter, {} beyond the local optimum", *r.effortSeconds, r.effortRounds,
                       r.effortImprovements, Millimetres(r.effortGain));
}

std::string Row(const std::string& label, const std::string& before, const std::string& pass, const std::string& after,
                const std::string& change)
{
    return fmt::format("  {:<18} {:>14} {:>14} {:>14} {:>9}\n", label, before, pass, after, change);
}

}  // namespace

std::string RefineTableRows(const BoardRun& run)
{
    const RefineRun& r = *run.refine;
    auto pass = [&](auto value) { return r.passRan ? fmt::format("{}", value) : std::string("-"); };
    std::string out = Row("", "before", "plug-in pass", "refined", "change");
    out += Row("airwire length", Millimetres(run.before.length), r.passRan ? Millimetres(r.afterPass.length) : "-",
               Millimetres(run.after.length), Percent(run.before.length, run.after.length));
    out += Row("airwire crossings", fmt::format("{}", run.before.crossings), pass(r.afterPass.crossings),
               fmt::format("{}", run.after.crossings), Percent(run.before.crossings, run.after.crossings));
    out += Row("airwires", fmt::format("{}", run.before.airwires), pass(r.afterPass.airwires),
               fmt::format("{}", run.after.airwires), "");
    out += fmt::format("  refinement: {}, {}, {:.3f} s{}\n", Counted(r.pinExchanges, "pin exchange"),
                       Counted(r.gateExchanges, "gate exchange"), r.seconds, EffortText(r));
    for (const std::string& note : r.notes)
        out += fmt::format("  refinement: {}\n", note);
    return out;
}

std::string RefineHtmlFigures(const BoardRun& run)
{
    const RefineRun& r = *run.refine;
    auto pass = [&](const std::string& value) { return r.passRan ? value : std::string("&ndash;"); };
    std::string out = "<table class=\"figures\"><thead><tr><th></th><th>before</th><th>plug-in pass</th><th>refined</th>"
                      "<th>change</th></tr></thead><tbody>\n";
    out += fmt::format("<tr><th>airwire length</th><td>{}</td><td>{}</td><td>{}</td><td>{}</td></tr>\n",
                       Millimetres(run.before.length), pass(Millimetres(r.afterPass.length)), Millimetres(run.after.length),
                       HtmlPercent(run.before.length, run.after.length));
    out += fmt::format("<tr><th>airwire crossings</th><td>{}</td><td>{}</td><td>{}</td><td>{}</td></tr>\n", run.before.crossings,
                       pass(std::to_string(r.afterPass.crossings)), run.after.crossings,
                       HtmlPercent(run.before.crossings, run.after.crossings));
    out += fmt::format("<tr><th>airwires</th><td>{}</td><td>{}</td><td>{}</td><td></td></tr>\n", run.before.airwires,
                       pass(std::to_string(r.afterPass.airwires)), run.after.airwires);
    out += "</tbody></table>\n";
    out += fmt::format("<p class=\"facts\">refinement: {}, {}, {:.3f} s{}</p>\n", Counted(r.pinExchanges, "pin exchange"),
                       Counted(r.gateExchanges, "gate exchange"), r.seconds, EffortText(r));
    return out;
}

void AddRefineJson(nlohmann::ordered_json& board, const BoardRun& run)
{
    using Json = nlohmann::ordered_json;
    if (!run.refine)
        return;
    const RefineRun& r = *run.refine;
    board["afterPass"] = r.passRan ? Json{{"airwires", r.afterPass.airwires}, {"length", r.afterPass.length},
                                          {"crossings", r.afterPass.crossings}}
                                   : Json(nullptr);
    Json effort = nullptr;
    if (r.effortSeconds)
        effort = Json{{"seconds", *r.effortSeconds},
                      {"rounds", r.effortRounds},
                      {"shorterRounds", r.effortImprovements},
                      {"gainBeyondLocalOptimum", r.effortGain}};
    board["refinement"] = Json{{"passRan", r.passRan},
                               {"pinExchanges", r.pinExchanges},
                               {"gateExchanges", r.gateExchanges},
                               {"seconds", std::round(r.seconds * 1e6) / 1e6},
                               {"effort", effort},
                               {"notes", r.notes}};
}

}  // namespace lq
