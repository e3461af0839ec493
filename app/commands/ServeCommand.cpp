// lqhost serve: the plug-in's tools in a browser, on a board from the command line or one
// chosen in the page.
#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <filesystem>
#include <memory>

#include "app/cli/CommandTable.h"
#include "app/core/Errors.h"
#include "app/serve/PageServer.h"

namespace lq {

namespace {

struct Options {
    std::string board;
    std::string schematic;
    bool unrouted = false;
    std::vector<std::string> rules;
    std::string saveDir;
    int port = kDefaultServePort;
};

int Run(const Options& o, const GlobalOptions& global)
{
    if (o.port < 0 || o.port > 65535)
        throw UsageError(fmt::format("--port {}: not a port (0 to 65535; 0 picks a free one)", o.port));
    ServeOptions options;
    options.modulePath = global.modulePath;
    options.port = o.port;
    options.saveFolder = o.saveDir;
    options.rules = o.rules;
    if (!o.board.empty()) {
        const BoardReadOptions read{o.schematic, o.unrouted, o.rules};
        options.board = LoadBoard(o.board, read);
        for (const std::string& note : options.board->notes)
            std::fprintf(stderr, "%s\n", note.c_str());
        options.boardName = std::filesystem::path(o.board).filename().string();
        options.inputs = BoardInputs(o.board, read);
        if (options.saveFolder.empty())
            options.saveFolder = std::filesystem::path(o.board).parent_path().string();
    } else if (!o.schematic.empty() || o.unrouted) {
        throw UsageError("--schematic and --unrouted apply to a BOARD given on the command line");
    }
    if (options.saveFolder.empty())
        options.saveFolder = ".";
    if (!std::filesystem::is_directory(options.saveFolder))
        throw UsageError(fmt::format("--save-dir {}: not a folder", options.saveFolder));
    // The page says where it saved, so the folder is named as the user would find it.
    options.saveFolder = std::filesystem::absolute(options.saveFolder).lexically_normal().string();
    if (options.saveFolder.size() > 1 && options.saveFolder.back() == '/')
        options.saveFolder.pop_back();
    return Serve(std::move(options));
}

}  // namespace

CommandEntry MakeServeCommand()
{
    return CommandEntry{
        "serve",
        "Serve a page on this machine (127.0.0.1) in which the plug-in's tools are used with the mouse",
        "lqhost serve examples/sample.qbrd.json --port 8737",
        [](CLI::App& sub, const GlobalOptions& global) -> CommandRunner {
            auto o = std::make_shared<Options>();
            sub.add_option("BOARD", o->board, "A board to open (.qbrd.json, Eagle .brd with its .sch, KiCad .kicad_pcb with its "
                                              "schematics); more can be opened from the page");
            sub.add_option("--port", o->port, fmt::format("The port on 127.0.0.1 (default {}; 0 picks a free one)",
                                                          kDefaultServePort))
                ->option_text("PORT");
            sub.add_option("--save-dir", o->saveDir,
                           "Where the page's Save writes (default: the folder of BOARD, else the current folder)")
                ->option_text("DIR");
            sub.add_option("--schematic", o->schematic, "Eagle, KiCad: the board's (root) schematic, when it is not the one beside it")
                ->option_text("FILE");
            sub.add_flag("--unrouted", o->unrouted, "Eagle, KiCad: ignore existing copper, as if the board were not routed");
            sub.add_option("--rules", o->rules,
                           "KiCad: swap rules that add to or override the built-in library (docs/kicad.md), for the "
                           "board given here and for those opened from the page; may be repeated")
                ->option_text("FILE");
            return [o, &global] { return Run(*o, global); };
        }};
}

}  // namespace lq
