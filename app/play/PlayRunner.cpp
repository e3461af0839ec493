#include "app/play/PlayRunner.h"

#include <fmt/core.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/model/BoardCheck.h"
#include "app/play/BoardSource.h"
#include "app/play/PlayTokens.h"
#include "app/probe/ToolDriver.h"
#include "app/render/BoardSvg.h"
#include "app/render/SvgDrawContext.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "app/session/ToolIds.h"
#include "host/BackAnnotation.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "host/PlugInBase.h"
#include "host/Window.h"

namespace lq::play {

namespace {

// A failure of the line being run.
class StepFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace

PlayRunner::PlayRunner(const PlugInSession& session, const Script& script, std::FILE* trace)
    : m_session(session), m_script(script), m_trace(trace)
{
    m_host.session = &m_session;
    m_host.messagesChecked = AfxGetHostLog().messageBoxes.size();
    m_tracedMessages = m_host.messagesChecked;
}

PlayRunner::~PlayRunner()
{
    EndTool();
    for (CDrawTool* tool : m_toolsUsed)
        tool->SetDrawContext(nullptr);
    m_sheet.reset();
    if (GetDrawContext() == &m_view)
        LQSetDrawContext(nullptr);
}

PlaySummary PlayRunner::Run()
{
    PlaySummary summary;
    for (const Step& step : m_script.steps) {
        RunStep(step);
        ++summary.steps;
        if (IsExpectation(step.action))
            ++summary.expectations;
    }
    summary.outputs = m_outputs.Paths();
    m_outputs.Commit();
    return summary;
}

void PlayRunner::RunStep(const Step& step)
{
    std::optional<std::string> failure;
    try {
        if (IsExpectation(step.action)) {
            m_host.sheet = m_sheet.get();
            failure = CheckExpectation(step.action, m_host);
        } else {
            std::visit(
                [&](const auto& action) {
                    if constexpr (requires { this->Do(action, step); })
                        Do(action, step);
                },
                step.action);
        }
    } catch (const StepFailure& e) {
        failure = e.what();
    } catch (const JobError& e) {
        failure = e.what();
    }
    if (failure)
        throw ParseError(m_script.file, std::to_string(step.line), *failure);
    Trace(step);
}

void PlayRunner::Trace(const Step& step)
{
    if (m_trace == nullptr)
        return;
    std::fprintf(m_trace, "%s:%d: %s\n", Printable(m_script.file).c_str(), step.line, Printable(step.text).c_str());
    const auto& boxes = AfxGetHostLog().messageBoxes;
    for (; m_tracedMessages < boxes.size(); ++m_tracedMessages)
        std::fprintf(m_trace, "    message box: \"%s\"\n", Printable(boxes[m_tracedMessages].strText.str()).c_str());
    if (m_sheet == nullptr)
        return;
    if (const CBackAnnotationManager* manager = m_sheet->Sheet()->GetBackAnnotationManager()) {
        const auto& records = manager->GetRecords();
        for (; m_tracedRecords < records.size(); ++m_tracedRecords) {
            const CBackAnnotationRecord& r = records[m_tracedRecords];
            std::string texts;
            for (const std::string& t : r.args)
                texts += " \"" + Printable(t) + "\"";
            std::fprintf(m_trace, "    back-annotation record %zu: kind %d, undo id %u,%s\n", m_tracedRecords + 1,
                         static_cast<int>(r.eKind), static_cast<unsigned>(r.dwUndoActionID), texts.c_str());
        }
    }
}

void PlayRunner::Do(const OpenStep& s, const Step&)
{
    const bool hadTool = m_tool != nullptr;
    CDrawTool* tool = m_tool;
    EndTool();
    m_sheet.reset();
    m_overlay = OverlayPainting{};
    m_host.overlay = nullptr;
    m_tracedRecords = 0;
    m_sheet = std::make_unique<HostSheet>(*s.board, s.path);
    m_sheet->MakeCurrent();
    m_view.SetZoom(s.board->sheet.zoom);
    LQSetDrawContext(&m_view);
    // The host keeps the tool the user picked when another document comes up.
    if (hadTool)
        ActivateTool(tool, tool->GetUIID());
}

void PlayRunner::Do(const MoveSwapStep& s, const Step&)
{
    m_sheet->Sheet()->GetMoveSwapState() = CMoveSwapState{s.state.mode, s.state.pinSwap, s.state.gateSwap};
}

void PlayRunner::Do(const ToolStep& s, const Step&)
{
    const UINT previous = m_tool != nullptr ? m_tool->GetUIID() : 0;
    EndTool();
    if (!s.uiId)
        return;
    CLQ_DrawObjectsInterface* drawObjects = m_session.DrawObjects();
    if (drawObjects == nullptr)
        throw StepFailure("the plug-in hands out no draw-objects interface, so it has no tools");
    CDrawTool* tool = drawObjects->GetToolByUIID(*s.uiId);
    AfxPumpEvents();
    if (tool == nullptr)
        throw StepFailure(fmt::format("the plug-in has no tool with the UI ID {}", FormatUIID(*s.uiId)));
    const int available = tool->IsToolAvailable();
    AfxPumpEvents();
    if (available == 0)
        throw StepFailure(fmt::format("the plug-in's tool {} says it is not available", FormatUIID(*s.uiId)));
    ActivateTool(tool, previous);
}

void PlayRunner::ActivateTool(CDrawTool* tool, UINT previousUIID)
{
    m_toolsUsed.insert(tool);
    tool->SetDrawContext(&m_view);
    LQSetDrawTool(tool);
    m_tool = tool;
    const PREV_DRAWTOOL_INFO info{previousUIID};
    tool->InitTool(&info);
    AfxPumpEvents();
    tool->SetToolCursor();
    AfxPumpEvents();
}

void PlayRunner::EndTool()
{
    if (m_tool == nullptr)
        return;
    CDrawTool* tool = m_tool;
    m_tool = nullptr;
    tool->EndTool();
    AfxPumpEvents();
    LQSetDrawTool(nullptr);
}

void PlayRunner::PaintOverlay()
{
    m_view.Clear();
    m_tool->DrawToolOverlay();
    AfxPumpEvents();
}

CLQPoint PlayRunner::TargetPoint(const Target& target, const Step&)
{
    switch (target.kind) {
    case Target::Kind::Point:
        return CLQPoint(target.point.x, target.point.y);
    case Target::Kind::Pin:
        return m_sheet->PinObject(target.pin.pin)->GetPadRect().CenterPoint();
    case Target::Kind::Gate:
        break;
    }
    // The gate's centre is the plug-in's own reckoning: read it off the marker the tool draws.
    PaintOverlay();
    const OverlayPainting painting = ReadOverlay(m_view.Events());
    const Part& part = m_sheet->Original().parts.at(target.gatePart.part);
    std::vector<CLQPoint> pinsOfPart;
    for (std::size_t j = 0; j < part.pins.size(); ++j)
        pinsOfPart.push_back(m_sheet->PinObject(PinIndex{target.gatePart.part, j})->GetLocation());
    for (const GateMarker& m : painting.markers) {
        const bool onPart = !m.pinEnds.empty() && std::all_of(m.pinEnds.begin(), m.pinEnds.end(), [&](const CLQPoint& p) {
            return std::find(pinsOfPart.begin(), pinsOfPart.end(), p) != pinsOfPart.end();
        });
        if (onPart && m.name == target.gateName)
            return m.centre;
    }
    throw StepFailure(fmt::format("the active tool draws no gate marker \"{}\" with lines to pins of {} (gate markers "
                                  "are drawn by the swap gate tool, {})",
                                  target.gateName, part.ref, FormatUIID(kSwapGateToolUIID)));
}

void PlayRunner::PushUndoStep(const Step& step)
{
    // Each user action is one undo step of the host, numbered by its script line, so that the
    // back-annotation records show which line made them.
    m_sheet->Sheet()->GetDrawingStore()->PushAction(static_cast<DWORD>(step.line));
}

void PlayRunner::Do(const ClickStep& s, const Step& step)
{
    const CLQPoint at = TargetPoint(s.target, step);
    PushUndoStep(step);
    CView* view = GetSheetView();
    const HWND hWnd = view != nullptr ? view->GetSafeHwnd() : nullptr;
    if (s.button == Button::Right) {
        RightClickTool(m_tool, at);
        return;
    }
    ClickTool(m_tool, at);
    if (s.button == Button::Double) {
        // The second press of a double click comes as the double-click message.
        m_tool->LButtonDblClk(kLeftButton, at, hWnd);
        AfxPumpEvents();
        m_tool->LButtonUp(0, at);
        AfxPumpEvents();
    }
}

void PlayRunner::Do(const OverlayStep& s, const Step& step)
{
    PaintOverlay();
    m_overlay = ReadOverlay(m_view.Events());
    m_host.overlay = &m_overlay;
    if (s.file.empty())
        return;
    SvgDrawContext svg;
    svg.SetZoom(m_view.GetZoom());
    m_tool->SetDrawContext(&svg);
    m_tool->DrawToolOverlay();
    AfxPumpEvents();
    m_tool->SetDrawContext(&m_view);
    BoardPicture picture;
    picture.title = fmt::format("{}:{}: {}", m_script.file, step.line, step.text);
    for (const CDrawObject* object : m_sheet->Sheet()->GetDrawingStore()->GetSelectedObjects())
        if (const auto pin = m_sheet->FindPin(object))
            picture.highlighted.insert(*pin);
    picture.markers = svg.Elements();
    m_outputs.Add(s.file, RenderBoardSvg(m_sheet->ReadBack(), picture));
}

void PlayRunner::Do(const SelectStep& s, const Step&)
{
    CDrawingStore* store = m_sheet->Sheet()->GetDrawingStore();
    if (s.all) {
        store->ClearSelection(&m_view, true);
        return;
    }
    for (const PartName& p : s.parts)
        m_sheet->Component(p.part)->SetSelected(s.select, true);
}

void PlayRunner::Do(const MoveStep& s, const Step& step)
{
    PushUndoStep(step);
    LQMoveSelection(s.dx, s.dy);
    AfxPumpEvents();
    m_sheet->ReadBack();  // a part pushed beyond the 32-bit range fails this line, not a later save
}

void PlayRunner::Do(const CommandStep& s, const Step& step)
{
    const auto command = m_session.FindCommand(s.name);
    if (!command)
        throw StepFailure(fmt::format("the plug-in has no command \"{}\"", Excerpt(s.name)));
    const CCmdUI ui = m_session.QueryState(*command);
    if (ui.m_nEnabled != 1)
        throw StepFailure(fmt::format("the command {} is disabled here", command->name));
    if (m_sheet != nullptr)
        PushUndoStep(step);
    const UINT result = m_session.Execute(*command);
    if (result == 0)
        throw StepFailure(fmt::format("the plug-in did not execute the command {} (tools are picked with 'tool UIID')",
                                      command->name));
}

void PlayRunner::Do(const RaiseStep& s, const Step&)
{
    CDrwSubSheet* sheet = m_sheet->Sheet();
    if (s.event == RaiseStep::Event::DatabaseChanged)
        AfxPostEvent(&EventDatabaseChanged, 0, reinterpret_cast<LONG_PTR>(sheet));
    else
        AfxPostEvent(&EventNetListChanged, reinterpret_cast<UINT_PTR>(sheet), 0);
    AfxPumpEvents();
}

void PlayRunner::Do(const SaveStep& s, const Step&)
{
    const Board board = m_sheet->ReadBack();
    if (const auto problem = CheckBoard(board))
        throw StepFailure(fmt::format("the board breaks the board rules at {}: {}; not saved", problem->place, problem->message));
    m_outputs.Add(s.file, BoardFileText(board, s.file));
}

}  // namespace lq::play
