// The engineering change order as CSV (--eco): one row per pin whose net changed, then one row
// per back-annotation record, for every board of the run.
#include <fmt/core.h>

#include <string_view>

#include "app/report/RunReport.h"

namespace lq {

namespace {

// RFC 4180: quoted when it holds a separator, a quote, a line break or edge blanks. A cell that
// a spreadsheet would take for a formula (=, +, -, @, tab or CR first) gets a leading
// apostrophe, as spreadsheet practice recommends, so that "=SUM(A1)" shows as text; the name
// after it is unchanged.
std::string Field(const std::string& s)
{
    const bool formula = !s.empty() && std::string_view("=+-@\t\r").find(s.front()) != std::string_view::npos;
    const std::string cell = formula ? "'" + s : s;
    const bool quote = formula || cell.find_first_of(",\"\r\n") != std::string::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote)
        return cell;
    std::string out = "\"";
    for (char c : cell)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Row(const std::vector<std::string>& fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i)
        out += (i == 0 ? "" : ",") + Field(fields[i]);
    return out + "\r\n";
}

}  // namespace

std::string FormatEcoCsv(const RunReport& report)
{
    std::string out = Row({"board", "record", "part", "pin", "old_net", "new_net", "kind", "undo_id", "text1", "text2",
                           "text3", "text4"});
    for (const BoardRun& run : report.boards) {
        for (const PinChange& c : run.changes)
            out += Row({run.board, "net", c.part, c.pin, c.oldNet, c.newNet, "", "", "", "", "", ""});
        for (const BackAnnotationEntry& r : run.records) {
            std::vector<std::string> row{run.board, "backannotation", "", "", "", "", std::to_string(r.kind),
                                         fmt::format("0x{:08X}", r.undoId)};
            for (std::size_t i = 0; i < 4; ++i)
                row.push_back(i < r.texts.size() ? r.texts[i] : std::string());
            out += Row(row);
        }
    }
    return out;
}

}  // namespace lq
