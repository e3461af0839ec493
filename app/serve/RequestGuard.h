// Which requests the page host answers: only those addressed to its own loopback address and port
// (a page of another site that rebinds its name to 127.0.0.1 sends its own host name), and only
// state changes that come from the page itself (another site's page sends its own origin).
#pragma once
#include <optional>
#include <string>

namespace lq {

struct RequestHeaders {
    std::string method;
    std::string host;                         // the Host header
    std::optional<std::string> origin;        // the Origin header, when sent
    std::optional<std::string> fetchSite;     // Sec-Fetch-Site, when sent
    std::optional<std::string> contentType;   // Content-Type, when sent
};

// Nothing when the request may go on; else why not, in one line.
std::optional<std::string> RefuseRequest(const RequestHeaders& request, int port);

}  // namespace lq
