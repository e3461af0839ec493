// lqhost render: a picture of a board with the plug-in's own gate markers.
#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <memory>

#include "app/cli/BoardReadFlags.h"
#include "app/cli/CommandTable.h"
#include "app/cli/PathOption.h"
#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/core/Text.h"
#include "app/io/AtomicFile.h"
#include "app/io/OutputCheck.h"
#include "app/metrics/Airwires.h"
#include "app/play/BoardSource.h"
#include "app/render/BoardSvg.h"
#include "app/report/RunReport.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"

namespace lq {

namespace {

struct Options {
    std::string board;
    std::string output;
    BoardReadOptions read;
};

int Run(const Options& o, const GlobalOptions& global)
{
    std::vector<PlannedInput> inputs;
    for (const std::string& input : BoardFilesRead(o.board, o.read))
        inputs.push_back(PlannedInput{input, inputs.empty() ? "board" : "schematic"});
    CheckPlannedOutputs({PlannedOutput{o.output, "-o"}}, inputs);
    // Named otherwise, the picture would land on what the name promises (a board, a report).
    if (!Lower(o.output).ends_with(".svg"))
        throw UsageError(fmt::format("-o {}: render writes SVG; give a name ending in .svg", Printable(o.output)));
    const Board board = OpenBoardFile(o.board, o.read);
    PlugInSession session(global.modulePath);
    std::string svg;
    {
        HostSheet sheet(board, o.board);
        const std::vector<Airwire> airwires = ComputeAirwires(board);
        const AirwireFigures figures = MeasureAirwires(airwires);
        BoardPicture picture;
        picture.title = fmt::format("{}: {}, {}, length {}, {}", o.board, Counted(board.parts.size(), "part"),
                                    Counted(figures.airwires, "airwire"), Millimetres(figures.length),
                                    Counted(figures.crossings, "crossing"));
        picture.markers = PaintGateMarkers(session, sheet);
        svg = RenderBoardSvg(board, picture, airwires);
    }
    WriteFileAtomically(o.output, std::move(svg));
    fmt::print("wrote {}\n", Printable(o.output));
    return 0;
}

}  // namespace

CommandEntry MakeRenderCommand()
{
    return CommandEntry{
        "render", "Draw a board as SVG: parts, pads, copper, airwires and the plug-in's own gate markers",
        "lqhost render examples/sample.qbrd.json -o sample.svg",
        [](CLI::App& sub, const GlobalOptions& global) -> CommandRunner {
            auto o = std::make_shared<Options>();
            sub.add_option("BOARD", o->board, "The board file (.qbrd.json, Eagle .brd, KiCad .kicad_pcb)")->required()->check(NonEmptyPath);
            sub.add_option("-o,--output", o->output, "The SVG file to write")->required()->check(NonEmptyPath);
            AddBoardReadFlags(sub, o->read);
            return [o, &global] { return Run(*o, global); };
        }};
}

}  // namespace lq
