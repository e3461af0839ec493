#include "app/report/ReportHtml.h"

#include <fmt/core.h>

#include "app/render/SvgDrawContext.h"
#include "app/report/RefineReport.h"

namespace lq {

namespace {

std::string Percent(std::uint64_t before, std::uint64_t after)
{
    const auto p = PercentChange(before, after);
    if (!p)
        return "";
    return fmt::format("<span class=\"{}\">{:+.1f} %</span>", *p < 0 ? "better" : *p > 0 ? "worse" : "same", *p);
}

// The SVG document without its XML declaration, to stand inside the page.
std::string Inline(const std::string& svg)
{
    const std::size_t start = svg.find("<svg");
    return start == std::string::npos ? std::string() : svg.substr(start);
}

std::string Facts(const BoardRun& run)
{
    return fmt::format("<p class=\"facts\">pins moved: {} &middot; back-annotation records: {} &middot; run time: {:.3f} s{}</p>\n",
                       run.changes.size(), run.records.size(), run.seconds,
                       run.output.empty() ? "" : " &middot; written to " + XmlEscape(run.output));
}

std::string Figures(const BoardRun& run)
{
    if (run.refine)
        return RefineHtmlFigures(run) + Facts(run);
    std::string out = "<table class=\"figures\"><thead><tr><th></th><th>before</th><th>after</th><th>change</th></tr></thead><tbody>\n";
    out += fmt::format("<tr><th>airwire length</th><td>{}</td><td>{}</td><td>{}</td></tr>\n", Millimetres(run.before.length),
                       Millimetres(run.after.length), Percent(run.before.length, run.after.length));
    out += fmt::format("<tr><th>airwire crossings</th><td>{}</td><td>{}</td><td>{}</td></tr>\n", run.before.crossings,
                       run.after.crossings, Percent(run.before.crossings, run.after.crossings));
    out += fmt::format("<tr><th>airwires</th><td>{}</td><td>{}</td><td></td></tr>\n", run.before.airwires, run.after.airwires);
    out += "</tbody></table>\n";
    return out + Facts(run);
}

std::string Changes(const BoardRun& run, const Board* board)
{
    if (run.changes.empty())
        return "<p class=\"none\">No pin changed its net.</p>\n";
    // Where refinement ran, a last column names the stage that moved each pin.
    const bool staged = run.refine && run.refine->stages.size() == run.changes.size();
    std::string out = fmt::format("<table class=\"changes\"><thead><tr><th>part</th><th>pin</th><th>old net</th><th>new net</th>{}"
                                  "</tr></thead><tbody>\n",
                                  staged ? "<th>stage</th>" : "");
    for (std::size_t i = 0; i < run.changes.size(); ++i) {
        const PinChange& c = run.changes[i];
        std::string where;
        if (board != nullptr && c.index.part < board->parts.size() && c.index.pin < board->parts[c.index.part].pins.size()) {
            const Point at = AbsolutePin(board->parts[c.index.part], board->parts[c.index.part].pins[c.index.pin]);
            where = fmt::format(" data-x=\"{}\" data-y=\"{}\"", SvgX(at.x), SvgY(at.y));
        }
        out += fmt::format("<tr{}><td>{}</td><td>{}</td><td>{}</td><td>{}</td>{}</tr>\n", where, XmlEscape(c.part), XmlEscape(c.pin),
                           c.oldNet.empty() ? "(none)" : XmlEscape(c.oldNet), c.newNet.empty() ? "(none)" : XmlEscape(c.newNet),
                           staged ? "<td>" + run.refine->stages[i] + "</td>" : "");
    }
    out += "</tbody></table>\n";
    if (!run.records.empty()) {
        out += "<h3>Back-annotation records</h3>\n<table class=\"records\"><thead><tr><th>kind</th><th>undo id</th><th>texts</th></tr></thead><tbody>\n";
        for (const BackAnnotationEntry& r : run.records) {
            std::string texts;
            for (const std::string& t : r.texts)
                texts += (texts.empty() ? "" : " ") + ("&quot;" + XmlEscape(t) + "&quot;");
            out += fmt::format("<tr><td>{} ({})</td><td>0x{:08X}</td><td>{}</td></tr>\n", r.kind,
                               r.kind == 12 ? "gate swap" : r.kind == 13 ? "pin swap" : "other", r.undoId, texts);
        }
        out += "</tbody></table>\n";
    }
    return out;
}

}  // namespace

std::string FormatReportHtml(const RunReport& report, const std::vector<HtmlPictures>& pictures)
{
    std::string out = "<!doctype html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                      "<title>Quillon: automatic pin and gate swap</title>\n<style>\n";
    out += ReportStyle();
    out += "</style>\n</head>\n<body>\n<h1>Quillon: automatic pin and gate swap</h1>\n";
    for (std::size_t i = 0; i < report.boards.size(); ++i) {
        const BoardRun& run = report.boards[i];
        out += fmt::format("<section class=\"board\">\n<h2>{}</h2>\n", XmlEscape(run.board));
        out += Figures(run);
        if (i < pictures.size()) {
            out += "<div class=\"pictures\">\n<figure><figcaption>before</figcaption>\n" + Inline(pictures[i].before) +
                   "</figure>\n<figure><figcaption>after</figcaption>\n" + Inline(pictures[i].after) + "</figure>\n</div>\n";
            out += "<p class=\"hint\">The wheel zooms and a drag pans both pictures together; a double click shows the whole "
                   "board. A row of the table under the mouse lights its pin up.</p>\n";
        }
        out += Changes(run, i < pictures.size() ? pictures[i].board : nullptr);
        out += "</section>\n";
    }
    out += "<script>\n";
    out += ReportScript();
    out += "</script>\n</body>\n</html>\n";
    return out;
}

}  // namespace lq
