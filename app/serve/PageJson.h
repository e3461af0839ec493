// What the page shows, as JSON: the board's geometry (fetched again when parts move) and the
// session's state (fetched after every change), both in nanometres.
#pragma once
#include <string>

namespace lq {

class PageSession;

std::string BoardGeometryJson(const PageSession& session);
// The state with the active tool's overlay painted at the session's current zoom.
std::string PageStateJson(PageSession& session);
// A one-line error for the page.
std::string ErrorJson(const std::string& message);

}  // namespace lq
