#include "app/serve/RequestGuard.h"

#include <fmt/core.h>

#include "app/core/Text.h"

namespace lq {

namespace {

bool OwnHost(const std::string& host, int port)
{
    const std::string h = Lower(host);
    const std::string p = fmt::format(":{}", port);
    return h == "127.0.0.1" + p || h == "localhost" + p;
}

bool ChangesState(const std::string& method) { return method != "GET" && method != "HEAD" && method != "OPTIONS"; }

}  // namespace

std::optional<std::string> RefuseRequest(const RequestHeaders& request, int port)
{
    if (!OwnHost(request.host, port))
        return fmt::format("refused: the request is addressed to \"{}\", not to this page host (127.0.0.1:{})", request.host,
                           port);
    if (!ChangesState(request.method))
        return std::nullopt;
    if (request.origin) {
        const std::string origin = Lower(*request.origin);
        if (origin != fmt::format("http://127.0.0.1:{}", port) && origin != fmt::format("http://localhost:{}", port))
            return fmt::format("refused: a change requested by the page of another origin ({})", *request.origin);
    }
    if (request.fetchSite && *request.fetchSite != "same-origin" && *request.fetchSite != "none")
        return fmt::format("refused: a change requested from another site (Sec-Fetch-Site: {})", *request.fetchSite);
    // Plain forms of other pages cannot send JSON or ask for it without the browser's consent.
    const std::string type = Lower(request.contentType.value_or(""));
    if (!type.starts_with("application/json") && !type.starts_with("multipart/form-data"))
        return "refused: a change must be sent as application/json (or multipart/form-data for an upload)";
    return std::nullopt;
}

}  // namespace lq
