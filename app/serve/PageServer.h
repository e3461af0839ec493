// lqhost serve: the page host's HTTP server on the loopback address. Its threads take requests
// and hand each to the host thread, where the one PageSession of the server answers it; every
// change is announced to the open pages as a server-sent event, so that all tabs show one state.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/formats/BoardFiles.h"

namespace lq {

// The port lqhost serve listens on when --port is not given.
constexpr int kDefaultServePort = 8737;

struct ServeOptions {
    std::string modulePath;
    std::optional<LoadedBoard> board;  // opened from the command line
    std::string boardName;
    std::vector<std::string> inputs;   // the files that board was read from
    std::string saveFolder;            // where the page's saves go
    std::vector<std::string> rules;    // KiCad swap rules, for every board opened
    int port = kDefaultServePort;
};

// Serves until SIGINT or SIGTERM; returns the exit code. Prints the address on standard output.
int Serve(ServeOptions options);

}  // namespace lq
