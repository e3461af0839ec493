#include "app/serve/PageSession.h"

#include <fmt/core.h>

#include <algorithm>
#include <limits>

#include "app/core/Errors.h"
#include "app/model/BoardCheck.h"
#include "app/probe/ToolDriver.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/BackAnnotation.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/HostApp.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/PlugInBase.h"
#include "host/Window.h"

namespace lq {

namespace {

// The low 16 bits of a tool's UI ID are its command's ID.
constexpr std::uint32_t kToolUIIDBase = 0x70000;
constexpr WORD kFirstToolCommand = 1000;
constexpr UINT kAllKinds = 0x1FF;

std::pair<Point, Point> Segment(const Airwire& a)
{
    auto key = [](const Point& p) { return std::pair(p.x, p.y); };
    return key(a.from) <= key(a.to) ? std::pair(a.from, a.to) : std::pair(a.to, a.from);
}

bool SegmentLess(const std::pair<Point, Point>& a, const std::pair<Point, Point>& b)
{
    return std::tie(a.first.x, a.first.y, a.second.x, a.second.y) < std::tie(b.first.x, b.first.y, b.second.x, b.second.y);
}

bool InRange(std::int64_t v) { return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max(); }

// Whether everything of the part stays within 32-bit coordinates when offset.
bool OffsetFits(const Part& part, std::int64_t dx, std::int64_t dy)
{
    std::vector<Rect> rects{AbsoluteOutline(part), Rect{part.at.x, part.at.y, part.at.x, part.at.y}};
    for (const Pin& pin : part.pins)
        rects.push_back(AbsolutePad(part, pin));
    return std::all_of(rects.begin(), rects.end(), [&](const Rect& r) {
        return InRange(r.x1 + dx) && InRange(r.x2 + dx) && InRange(r.y1 + dy) && InRange(r.y2 + dy);
    });
}

std::string SignedMillimetres(std::int64_t nm)
{
    return (nm < 0 ? "-" : "") + Millimetres(static_cast<std::uint64_t>(nm < 0 ? -nm : nm));
}

bool SamePlaces(const Board& a, const Board& b)
{
    if (a.parts.size() != b.parts.size())
        return false;
    for (std::size_t i = 0; i < a.parts.size(); ++i)
        if (!(a.parts[i].at == b.parts[i].at))
            return false;
    return true;
}

}  // namespace

PageSession::PageSession(const PlugInSession& plugIn) : m_plugIn(plugIn), m_commands(plugIn.Commands())
{
    // Tool commands are the ones the draw-objects interface hands a tool out for.
    for (const CommandDescription& c : m_commands) {
        CLQ_DrawObjectsInterface* drawObjects = m_plugIn.DrawObjects();
        const std::uint32_t uiId = kToolUIIDBase | c.commandId;
        const bool tool = c.commandId >= kFirstToolCommand && drawObjects != nullptr && drawObjects->GetToolByUIID(uiId) != nullptr;
        AfxPumpEvents();
        m_toolIds.push_back(tool ? std::optional(uiId) : std::nullopt);
    }
    m_messagesSeen = AfxGetHostLog().messageBoxes.size();
}

PageSession::~PageSession()
{
    EndTool();
    for (CDrawTool* tool : m_toolsUsed)
        tool->SetDrawContext(nullptr);
    m_sheet.reset();
    if (GetDrawContext() == &m_view)
        LQSetDrawContext(nullptr);
}

void PageSession::RequireBoard() const
{
    if (m_sheet == nullptr)
        throw JobError("no board is open; open one first");
}

void PageSession::Open(LoadedBoard loaded, std::string name, std::vector<std::string> inputs)
{
    auto sheet = std::make_unique<HostSheet>(loaded.board, name);
    CDrawTool* tool = m_tool;
    const UINT toolId = tool != nullptr ? tool->GetUIID() : 0;
    EndTool();
    m_sheet = std::move(sheet);
    m_loaded = std::make_unique<LoadedBoard>(std::move(loaded));
    m_name = std::move(name);
    m_inputs = std::move(inputs);
    m_moveSwap = m_loaded->board.sheet.moveSwap;
    m_sheet->MakeCurrent();
    LQSetDrawContext(&m_view);
    m_view.SetSheet(m_sheet.get());
    m_changes.clear();
    m_applied = 0;
    m_recordsSeen = 0;
    m_moving = false;
    m_airwires = ComputeAirwires(m_loaded->board);
    m_figuresBefore = MeasureAirwires(m_airwires);
    m_originalAirwires.clear();
    for (const Airwire& a : m_airwires)
        m_originalAirwires.push_back(Segment(a));
    std::sort(m_originalAirwires.begin(), m_originalAirwires.end(), SegmentLess);
    m_current = m_loaded->board;
    m_notice.clear();
    m_figuresNow = m_figuresBefore;
    ++m_revision;
    ++m_geometryRevision;
    // The host keeps the tool the user picked when another document comes up.
    if (tool != nullptr)
        ActivateTool(tool, toolId);
}

void PageSession::SetZoom(std::int64_t nmPerPixel)
{
    m_view.SetZoom(std::clamp<std::int64_t>(nmPerPixel, 1, 1'000'000'000));
}

void PageSession::ActivateTool(CDrawTool* tool, UINT previousUIID)
{
    if (std::find(m_toolsUsed.begin(), m_toolsUsed.end(), tool) == m_toolsUsed.end())
        m_toolsUsed.push_back(tool);
    tool->SetDrawContext(&m_view);
    LQSetDrawTool(tool);
    m_tool = tool;
    const PREV_DRAWTOOL_INFO info{previousUIID};
    tool->InitTool(&info);
    AfxPumpEvents();
    const std::size_t cursors = AfxGetHostLog().cursors.size();
    tool->SetToolCursor();
    AfxPumpEvents();
    m_cursor.reset();
    const auto& set = AfxGetHostLog().cursors;
    LQ_IMAGEINFO info2;
    if (set.size() > cursors && LQGetCursorInfo(set.back(), &info2))
        m_cursor = CursorShape{info2.nID, info2.nHotSpotX, info2.nHotSpotY};
    CollectMessages();
}

void PageSession::EndTool()
{
    if (m_tool == nullptr)
        return;
    CDrawTool* tool = m_tool;
    m_tool = nullptr;
    m_cursor.reset();
    tool->EndTool();
    AfxPumpEvents();
    LQSetDrawTool(nullptr);
}

void PageSession::RestartTool()
{
    CDrawTool* tool = m_tool;
    if (tool == nullptr)
        return;
    const UINT toolId = tool->GetUIID();
    EndTool();
    ActivateTool(tool, toolId);
}

void PageSession::UseTool(std::optional<std::uint32_t> uiId)
{
    RequireBoard();
    const UINT previous = m_tool != nullptr ? m_tool->GetUIID() : 0;
    if (!uiId) {
        EndTool();
        ++m_revision;
        return;
    }
    CLQ_DrawObjectsInterface* drawObjects = m_plugIn.DrawObjects();
    CDrawTool* tool = drawObjects != nullptr ? drawObjects->GetToolByUIID(*uiId) : nullptr;
    AfxPumpEvents();
    if (tool == nullptr)
        throw JobError(fmt::format("the plug-in has no tool with the UI ID 0x{:X}", *uiId));
    const int available = tool->IsToolAvailable();
    AfxPumpEvents();
    if (available == 0)
        throw JobError(fmt::format("the plug-in's tool 0x{:X} says it is not available", *uiId));
    EndTool();
    ActivateTool(tool, previous);
    ++m_revision;
}

void PageSession::PushUndoStep()
{
    // Each user action is one undo step of the host; the plug-in's records carry its number.
    m_sheet->Sheet()->GetDrawingStore()->PushAction(++m_actionId);
}

void PageSession::SendMouse(const MouseEvent& e)
{
    CView* view = GetSheetView();
    const HWND hWnd = view != nullptr ? view->GetSafeHwnd() : nullptr;
    switch (e.kind) {
    case MouseKind::Down:
        PushUndoStep();
        m_tool->LButtonDown(kLeftButton, e.at);
        break;
    case MouseKind::Up:
        m_tool->LButtonUp(0, e.at);
        break;
    case MouseKind::DoubleClick:
        // The second press of a double click comes as the double-click message.
        PushUndoStep();
        m_tool->LButtonDblClk(kLeftButton, e.at, hWnd);
        break;
    case MouseKind::RightDown:
        PushUndoStep();
        m_tool->RButtonDown(kRightButton, e.at);
        break;
    case MouseKind::RightUp:
        m_tool->RButtonUp(0, e.at);
        break;
    case MouseKind::Move:
        m_tool->MouseMove(0, e.at);
        break;
    }
    AfxPumpEvents();
}

void PageSession::Mouse(const std::vector<MouseEvent>& events)
{
    RequireBoard();
    if (m_tool == nullptr)
        throw JobError("no tool is active: pick the swap pin tool or the swap gate tool first");
    bool clicked = false;
    bool doubleClick = false;
    const std::size_t invalidations = m_sheet->Sheet()->GetDrawingStore()->GetInvalidations().size();
    for (const MouseEvent& e : events) {
        SendMouse(e);
        clicked = clicked || e.kind != MouseKind::Move;
        doubleClick = doubleClick || e.kind == MouseKind::DoubleClick;
    }
    if (!clicked) {
        // The page paints again only where the host would: when the tool invalidated the view.
        CDrawingStore* store = m_sheet->Sheet()->GetDrawingStore();
        if (store->GetInvalidations().size() != invalidations) {
            store->ClearRecords();
            ++m_revision;
        }
        const std::uint64_t messages = m_messageSequence;
        CollectMessages();
        if (m_messageSequence != messages)
            ++m_revision;
        return;
    }
    std::string label = fmt::format("tool 0x{:X}", m_tool->GetUIID());
    for (const CommandDescription& c : m_commands)
        if (c.commandId == (m_tool->GetUIID() & 0xFFFF))
            label = c.name;
    Settle(doubleClick ? label + " (double click)" : label, false);
}

void PageSession::SelectAt(const CLQPoint& at, bool add)
{
    RequireBoard();
    CDrawingStore* store = m_sheet->Sheet()->GetDrawingStore();
    std::vector<CDrawObject*> hits;
    store->HitTest(hits, kAllKinds, CLQRect(at, at), 0);
    CLayoutComponent* hit = nullptr;
    for (CDrawObject* object : hits) {
        if (auto* component = DYNAMIC_DOWNCAST(CLayoutComponent, object)) {
            hit = component;
            break;
        }
        if (auto* pin = DYNAMIC_DOWNCAST(CLayoutPin, object); pin != nullptr && pin->GetOwnerComponent() != nullptr) {
            hit = pin->GetOwnerComponent();
            break;
        }
    }
    if (!add)
        store->ClearSelection(&m_view, true);
    if (hit != nullptr)
        hit->SetSelected(!(add && hit->IsSelected()), true);
    AfxPumpEvents();
    ++m_revision;
}

std::string PageSession::SelectedRefs() const
{
    std::vector<std::string> refs;
    for (std::size_t part : SelectedParts())
        refs.push_back(m_current.parts[part].ref);
    std::string out;
    for (const std::string& r : refs)
        out += (out.empty() ? "" : ", ") + r;
    return out;
}

void PageSession::BeginMove()
{
    RequireBoard();
    if (SelectedParts().empty())
        throw JobError("nothing is selected to move: click a part first");
    PushUndoStep();
    LQBeginMoveSelection();
    AfxPumpEvents();
    m_moving = true;
}

void PageSession::EndMove(std::int64_t dx, std::int64_t dy)
{
    RequireBoard();
    if (!m_moving)
        BeginMove();
    m_moving = false;
    // Refused before anything moves: a part would leave the host's 32-bit coordinates.
    bool fits = true;
    for (std::size_t part : SelectedParts())
        fits = fits && OffsetFits(m_current.parts[part], dx, dy);
    const std::string refs = SelectedRefs();
    if (!fits) {
        // The drag still ends, where it began.
        LQEndMoveSelection(0, 0);
        AfxPumpEvents();
        Settle(fmt::format("move {} (refused)", refs), true);
        throw JobError(fmt::format("moving {} by ({}, {}) nm would leave the board's 32-bit coordinate range", refs, dx, dy));
    }
    LQEndMoveSelection(static_cast<int>(dx), static_cast<int>(dy));
    AfxPumpEvents();
    Settle(fmt::format("move {} by ({}, {})", refs, SignedMillimetres(dx), SignedMillimetres(dy)), true);
}

void PageSession::Execute(const std::string& commandName)
{
    RequireBoard();
    const auto command = m_plugIn.FindCommand(commandName);
    if (!command)
        throw JobError(fmt::format("the plug-in has no command \"{}\"", commandName));
    const CCmdUI ui = m_plugIn.QueryState(*command);
    if (ui.m_nEnabled != 1)
        throw JobError(fmt::format("the command {} is disabled here", command->name));
    PushUndoStep();
    const UINT result = m_plugIn.Execute(*command);
    const bool changed = Settle(command->name, false);
    if (result == 0)
        throw JobError(fmt::format("the plug-in did not execute the command {}; its tools are picked from the toolbar",
                                   command->name));
    if (!changed)
        m_notice = fmt::format("{}: no pin changed its net", command->name);
}

int PageSession::MoveSwapMode() const
{
    if (m_moveSwap.mode == 1 && m_moveSwap.pinSwap)
        return 1;
    if (m_moveSwap.mode >= 2 && m_moveSwap.gateSwap != 0)
        return 2;
    return 0;
}

void PageSession::SetMoveSwap(int mode)
{
    RequireBoard();
    if (mode < 0 || mode > 2)
        throw JobError(fmt::format("swap while moving: mode {} is none of 0 (off), 1 (pins), 2 (pins and gates)", mode));
    m_moveSwap = mode == 0 ? MoveSwap{0, false, 0} : mode == 1 ? MoveSwap{1, true, 0} : MoveSwap{2, true, 1};
    m_sheet->Sheet()->GetMoveSwapState() = CMoveSwapState{m_moveSwap.mode, m_moveSwap.pinSwap, m_moveSwap.gateSwap};
    m_current.sheet.moveSwap = m_moveSwap;
    ++m_revision;
}

void PageSession::CollectMessages()
{
    const auto& boxes = AfxGetHostLog().messageBoxes;
    for (; m_messagesSeen < boxes.size(); ++m_messagesSeen)
        m_messages.push_back(PageMessage{++m_messageSequence, boxes[m_messagesSeen].strText.str()});
    constexpr std::size_t kKept = 50;
    if (m_messages.size() > kKept)
        m_messages.erase(m_messages.begin(), m_messages.end() - kKept);
}

bool PageSession::Settle(const std::string& label, bool moved)
{
    ++m_revision;
    CollectMessages();
    CLayoutNetlist* netlist = m_sheet->Sheet()->GetNetlist();
    std::vector<BackAnnotationEntry> records;
    if (const CBackAnnotationManager* manager = m_sheet->Sheet()->GetBackAnnotationManager()) {
        const auto all = BackAnnotationEntries(manager);
        records.assign(all.begin() + static_cast<std::ptrdiff_t>(std::min(m_recordsSeen, all.size())), all.end());
        m_recordsSeen = all.size();
    }
    const bool edited = !netlist->GetEdits().empty();
    netlist->ClearRecords();
    m_sheet->Sheet()->GetDrawingStore()->ClearRecords();
    if (!edited && !moved && records.empty())
        return false;
    Board after = m_sheet->ReadBack();
    after.sheet.moveSwap = m_moveSwap;
    if (const auto problem = CheckBoard(after))
        throw JobError(fmt::format("{}: the plug-in left a board that breaks the board rules at {}: {}", m_name,
                                   problem->place, problem->message));
    Change change;
    change.label = label;
    change.pins = NetChanges(m_current, after);
    change.records = std::move(records);
    if (change.pins.empty() && change.records.empty() && SamePlaces(m_current, after))
        return false;
    if (!SamePlaces(m_current, after))
        ++m_geometryRevision;
    change.before = std::move(m_current);
    change.after = after;
    m_changes.resize(m_applied);
    m_changes.push_back(std::move(change));
    m_applied = m_changes.size();
    SetCurrent(std::move(after), m_changes.back().before);
    return true;
}

void PageSession::SetCurrent(Board board, const Board& previous)
{
    m_notice.clear();
    std::vector<Airwire> airwires = ComputeAirwires(board);
    // A swap, an undo or a redo changes a few nets of the same list: on a board of a thousand
    // packages counting every crossing again would take most of a click's answer.
    const bool sameNets = std::equal(previous.nets.begin(), previous.nets.end(), board.nets.begin(),
                                     board.nets.end(), [](const Net& a, const Net& b) { return a.name == b.name; });
    m_figuresNow = sameNets ? MeasureAirwiresAfter(m_airwires, m_figuresNow, airwires) : MeasureAirwires(airwires);
    m_airwires = std::move(airwires);
    m_current = std::move(board);
}

void PageSession::Rebuild(const Board& board)
{
    auto sheet = std::make_unique<HostSheet>(board, m_name);
    CDrawTool* tool = m_tool;
    const UINT toolId = tool != nullptr ? tool->GetUIID() : 0;
    EndTool();
    m_view.SetSheet(nullptr);
    m_sheet = std::move(sheet);
    m_sheet->Sheet()->GetMoveSwapState() = CMoveSwapState{m_moveSwap.mode, m_moveSwap.pinSwap, m_moveSwap.gateSwap};
    m_sheet->MakeCurrent();
    LQSetDrawContext(&m_view);
    m_view.SetSheet(m_sheet.get());
    m_recordsSeen = 0;
    m_moving = false;
    if (!SamePlaces(m_current, board))
        ++m_geometryRevision;
    Board current = board;
    current.sheet.moveSwap = m_moveSwap;
    SetCurrent(std::move(current), m_current);
    if (tool != nullptr)
        ActivateTool(tool, toolId);
    ++m_revision;
}

bool PageSession::Undo()
{
    RequireBoard();
    if (m_applied == 0)
        return false;
    --m_applied;
    Rebuild(m_changes[m_applied].before);
    return true;
}

bool PageSession::Redo()
{
    RequireBoard();
    if (m_applied == m_changes.size())
        return false;
    Rebuild(m_changes[m_applied].after);
    ++m_applied;
    return true;
}

bool PageSession::IsNewAirwire(const Airwire& airwire) const
{
    return !std::binary_search(m_originalAirwires.begin(), m_originalAirwires.end(), Segment(airwire), SegmentLess);
}

std::vector<CommandState> PageSession::Commands() const
{
    std::vector<CommandState> states;
    for (std::size_t i = 0; i < m_commands.size(); ++i) {
        CommandState s;
        s.command = &m_commands[i];
        const CCmdUI ui = m_plugIn.QueryState(m_commands[i]);
        s.enabled = ui.m_nEnabled == 1;
        s.checked = ui.m_nChecked == 1;
        s.toolUIID = m_toolIds[i];
        states.push_back(s);
    }
    return states;
}

std::optional<std::uint32_t> PageSession::ToolUIID() const
{
    if (m_tool == nullptr)
        return std::nullopt;
    return m_tool->GetUIID();
}

bool PageSession::PickMode() const { return m_sheet != nullptr && m_sheet->Sheet()->GetPickMode(); }

std::vector<PinIndex> PageSession::SelectedPins() const
{
    std::vector<PinIndex> pins;
    if (m_sheet == nullptr)
        return pins;
    for (const CDrawObject* object : m_sheet->Sheet()->GetDrawingStore()->GetSelectedObjects())
        if (const auto pin = m_sheet->FindPin(object))
            pins.push_back(*pin);
    return pins;
}

std::vector<std::size_t> PageSession::SelectedParts() const
{
    std::vector<std::size_t> parts;
    if (m_sheet == nullptr)
        return parts;
    for (const CDrawObject* object : m_sheet->Sheet()->GetDrawingStore()->GetSelectedObjects())
        if (const auto part = m_sheet->FindPart(object))
            parts.push_back(*part);
    return parts;
}

PageSession::Overlay PageSession::PaintOverlay()
{
    Overlay overlay;
    if (m_tool == nullptr)
        return overlay;
    m_view.ClearPainting();
    m_tool->DrawToolOverlay();
    AfxPumpEvents();
    overlay.svg = m_view.Elements();
    overlay.pins = m_view.Pins();
    m_view.ClearPainting();
    return overlay;
}

namespace {
std::optional<std::string> ResourceFile(const std::vector<CommandDescription>& commands, UINT type, UINT id)
{
    for (const CommandDescription& c : commands)
        if (const LQ_RESOURCE* r = AfxFindResource(c.record.hInstance, type, id))
            return std::string(reinterpret_cast<const char*>(r->pData), r->nSize);
    return std::nullopt;
}
}  // namespace

std::optional<std::string> PageSession::Bitmap(UINT id) const { return ResourceFile(m_commands, RT_BITMAP, id); }

std::optional<std::string> PageSession::CursorFile(UINT id) const { return ResourceFile(m_commands, RT_GROUP_CURSOR, id); }

std::string PageSession::PlugInText(UINT id) const
{
    return m_commands.empty() ? std::string() : GetResourceString(m_commands.front().record.hInstance, id).str();
}

SavedBoard PageSession::Save(const std::string& output)
{
    RequireBoard();
    return SaveBoard(*m_loaded, m_current, output);
}

BoardRun PageSession::Report() const
{
    RequireBoard();
    BoardRun run;
    run.board = m_name;
    run.before = m_figuresBefore;
    run.after = m_figuresNow;
    run.changes = NetChanges(m_loaded->board, m_current);
    for (std::size_t i = 0; i < m_applied; ++i)
        run.records.insert(run.records.end(), m_changes[i].records.begin(), m_changes[i].records.end());
    return run;
}

}  // namespace lq
