#include "app/session/AutoSwapRun.h"

#include <fmt/core.h>

#include "app/cli/ElapsedTicker.h"
#include "app/core/Errors.h"
#include "app/model/BoardCheck.h"
#include "app/refine/RefineStage.h"
#include "app/render/BoardSvg.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/HostApp.h"
#include "host/Window.h"

namespace lq {

namespace {

std::string FiguresLine(const std::string& when, const AirwireFigures& f)
{
    return fmt::format("{}: airwires {}, length {}, crossings {}", when, f.airwires, Millimetres(f.length), f.crossings);
}

}  // namespace

AutoSwapOutcome RunAutoSwap(const PlugInSession& session, const Board& board, const std::string& name,
                            const AutoSwapOptions& options)
{
    const auto command = session.FindCommand(kAutoSwapCommand);
    if (!command)
        throw JobError(fmt::format("the plug-in has no command \"{}\"", kAutoSwapCommand));

    AutoSwapOutcome outcome;
    outcome.run.board = name;
    const std::vector<Airwire> airwiresBefore = ComputeAirwires(board);
    outcome.run.before = MeasureAirwires(airwiresBefore);

    HostSheet sheet(board, name);
    sheet.MakeCurrent();
    const CCmdUI ui = session.QueryState(*command);
    if (ui.m_nEnabled != 1)
        throw JobError(fmt::format("{}: the command {} is disabled on this sheet (document type \"{}\"; it needs \"{}\")",
                                   name, command->name, board.sheet.documentType, LQ_DOCTYPE_LAYOUT));
    if (options.pictures)
        outcome.svgBefore = RenderBoardSvg(board, BoardPicture{FiguresLine(name + " before", outcome.run.before),
                                                               {}, PaintGateMarkers(session, sheet)},
                                           airwiresBefore);
    if (CBackAnnotationManager* manager = sheet.Sheet()->GetBackAnnotationManager())
        manager->ClearRecords();

    UINT result = 1;
    if (!options.refine.skipPass) {
        ElapsedTicker ticker(name);
        result = session.Execute(*command);
        outcome.run.seconds = ticker.Seconds();
    }
    if (result == 0)
        throw JobError(fmt::format("{}: the plug-in refused the command {}", name, command->name));

    outcome.after = sheet.ReadBack();
    if (const auto problem = CheckBoard(outcome.after))
        throw JobError(fmt::format("{}: the plug-in left a board that breaks the board rules at {}: {}", name,
                                   problem->place, problem->message));
    std::optional<Board> afterPass;
    if (options.refine.enabled)
        afterPass = RunRefineStage(session, sheet, name, options.refine, outcome);
    const std::vector<Airwire> airwiresAfter = ComputeAirwires(outcome.after);
    outcome.run.after = MeasureAirwires(airwiresAfter);
    outcome.run.changes = NetChanges(board, outcome.after);
    if (afterPass)
        outcome.run.refine->stages = ChangeStages(outcome.run.changes, board, *afterPass, outcome.after);
    outcome.run.records = BackAnnotationEntries(sheet.Sheet()->GetBackAnnotationManager());

    if (options.pictures) {
        BoardPicture picture{FiguresLine(name + " after", outcome.run.after), {},
                             PaintGateMarkers(session, sheet)};
        for (const PinChange& c : outcome.run.changes)
            picture.highlighted.insert(c.index);
        outcome.svgAfter = RenderBoardSvg(outcome.after, picture, airwiresAfter);
    }
    LQSetDrwSubSheet(nullptr);
    return outcome;
}

}  // namespace lq
