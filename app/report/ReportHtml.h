// The report as one self-contained HTML page (autoswap --html): per board the pictures before
// and after side by side, panned and zoomed together, the figures, and the changes table linked
// to the pictures (a row under the mouse lights its pin up in both).
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "app/report/RunReport.h"

namespace lq {

struct HtmlPictures {
    std::string before;  // SVG documents (RenderBoardSvg)
    std::string after;
    const Board* board = nullptr;  // the board after the run, for where the changed pins are
};

// pictures has one entry per board of the report.
std::string FormatReportHtml(const RunReport& report, const std::vector<HtmlPictures>& pictures);

// The page's script and style, built in from app/report/page/.
std::string_view ReportScript();
std::string_view ReportStyle();

}  // namespace lq
