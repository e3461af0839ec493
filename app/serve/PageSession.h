// The page host's session: one board open as the host's current layout sheet, the plug-in's
// tools driven by the page's mouse, the host's select tool and moves, the plug-in's commands, and
// the host's own undo and redo, which keep the board (nets and positions) before and after each
// change. Every call runs on the host thread (HostThread); nothing here is locked.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/formats/BoardFiles.h"
#include "app/metrics/Airwires.h"
#include "app/report/RunReport.h"
#include "app/serve/PageDrawContext.h"
#include "app/session/PlugInSession.h"

class CDrawTool;

namespace lq {

class HostSheet;
class PlugInSession;

enum class MouseKind { Down, Up, DoubleClick, RightDown, RightUp, Move };

struct MouseEvent {
    MouseKind kind = MouseKind::Move;
    CLQPoint at;
};

// One change of the board, as the changes list and undo see it.
struct Change {
    std::string label;  // what the user did: a tool's click, a move, a command
    Board before;
    Board after;
    std::vector<PinChange> pins;
    std::vector<BackAnnotationEntry> records;
};

struct PageMessage {
    std::uint64_t sequence = 0;
    std::string text;
};

struct CommandState {
    const CommandDescription* command = nullptr;
    std::optional<std::uint32_t> toolUIID;  // the tool a tool command stands for
    bool enabled = false;
    bool checked = false;
};

struct CursorShape {
    UINT id = 0;
    int hotX = 0;
    int hotY = 0;
};

class PageSession {
public:
    explicit PageSession(const PlugInSession& plugIn);
    ~PageSession();
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

    // Opens a board under the name the page shows; inputs are the files it was read from (never
    // saved over). When the board breaks a rule the error is thrown and the open board stays.
    void Open(LoadedBoard loaded, std::string name, std::vector<std::string> inputs);
    bool HasBoard() const { return m_sheet != nullptr; }

    // The view's scale for what follows: tools measure and paint in pixels of this size.
    void SetZoom(std::int64_t nmPerPixel);

    // The plug-in's tool with this UI ID, or the host's select tool with none. JobError when the
    // plug-in hands out no such tool or the tool says it is not available.
    void UseTool(std::optional<std::uint32_t> uiId);
    void Mouse(const std::vector<MouseEvent>& events);
    // The host's select tool: the part under the point becomes the selection (add: toggled in it).
    void SelectAt(const CLQPoint& at, bool add);
    // A drag of the selected parts: the host's move event at the start, the offset and the move
    // event at the end. An end without a start starts the move first.
    void BeginMove();
    void EndMove(std::int64_t dx, std::int64_t dy);
    // Executes the plug-in's command of this name, as its toolbar button does.
    void Execute(const std::string& commandName);
    // lqhost's refinement of the board as it is now (docs/refine.md); one change.
    void Refine();
    // The sheet's swap while moving: 0 off, 1 pins, 2 pins and gates.
    void SetMoveSwap(int mode);
    bool Undo();
    bool Redo();

    // Reading.
    std::uint64_t Revision() const { return m_revision; }
    std::uint64_t GeometryRevision() const { return m_geometryRevision; }
    const std::string& Name() const { return m_name; }
    const LoadedBoard& Loaded() const { return *m_loaded; }
    const std::vector<std::string>& Inputs() const { return m_inputs; }
    const Board& Current() const { return m_current; }
    const std::vector<Airwire>& Airwires() const { return m_airwires; }
    const AirwireFigures& FiguresBefore() const { return m_figuresBefore; }
    const AirwireFigures& FiguresNow() const { return m_figuresNow; }
    // Whether the airwire is not one of the board as it was opened.
    bool IsNewAirwire(const Airwire& airwire) const;
    const std::vector<Change>& Changes() const { return m_changes; }
    std::size_t ChangesApplied() const { return m_applied; }
    const std::vector<PageMessage>& Messages() const { return m_messages; }
    // What the last command or refinement did when it changed nothing (so that the user is not left
    // guessing), "" otherwise; cleared by the next change of the board.
    const std::string& Notice() const { return m_notice; }
    int MoveSwapMode() const;
    bool Moving() const { return m_moving; }

    std::vector<CommandState> Commands() const;
    std::optional<std::uint32_t> ToolUIID() const;
    std::optional<CursorShape> Cursor() const { return m_cursor; }
    bool PickMode() const;
    std::vector<PinIndex> SelectedPins() const;
    std::vector<std::size_t> SelectedParts() const;
    // The active tool's overlay as SVG elements, painted at the current zoom, and the pins it
    // emphasised.
    struct Overlay {
        std::string svg;
        std::vector<PinIndex> pins;
    };
    Overlay PaintOverlay();
    // The plug-in's resources that the page shows: toolbar bitmaps and cursors, as files.
    std::optional<std::string> Bitmap(UINT id) const;
    std::optional<std::string> CursorFile(UINT id) const;
    // A text of the plug-in's string table (the host shows some of them for its own settings).
    std::string PlugInText(UINT id) const;
    // The files that hold the board as it is now saved under output, through the writers of
    // autoswap -o (an Eagle board with its schematic).
    SavedBoard Save(const std::string& output);
    // The run as a report: the board as opened against the board now, the records of the
    // changes applied.
    BoardRun Report() const;

private:
    void RequireBoard() const;
    void ActivateTool(CDrawTool* tool, UINT previousUIID);
    void EndTool();
    // Starts the active tool again on the board as it is, as the host does when it brings up a
    // document: a change the tool did not make leaves its picks and markers stale.
    void RestartTool();
    void SendMouse(const MouseEvent& e);
    void PushUndoStep();
    // After a user action: when the board changed, records it as a change; answers whether it did.
    bool Settle(const std::string& label, bool moved);
    void Rebuild(const Board& board);
    // The airwires and figures kept are those of previous.
    void SetCurrent(Board board, const Board& previous);
    void CollectMessages();
    std::string SelectedRefs() const;

    const PlugInSession& m_plugIn;
    std::vector<CommandDescription> m_commands;
    std::vector<std::optional<std::uint32_t>> m_toolIds;  // per command: the tool it stands for
    PageDrawContext m_view;
    std::unique_ptr<LoadedBoard> m_loaded;
    std::string m_name;
    std::vector<std::string> m_inputs;
    std::unique_ptr<HostSheet> m_sheet;
    MoveSwap m_moveSwap;
    CDrawTool* m_tool = nullptr;
    std::vector<CDrawTool*> m_toolsUsed;
    std::optional<CursorShape> m_cursor;
    bool m_moving = false;
    DWORD m_actionId = 0;

    Board m_current;
    std::vector<Airwire> m_airwires;
    std::vector<std::pair<Point, Point>> m_originalAirwires;  // sorted
    AirwireFigures m_figuresBefore;
    AirwireFigures m_figuresNow;
    std::vector<Change> m_changes;
    std::size_t m_applied = 0;  // changes in effect; those after it can be redone
    std::size_t m_recordsSeen = 0;
    std::size_t m_messagesSeen = 0;
    std::uint64_t m_messageSequence = 0;
    std::vector<PageMessage> m_messages;
    std::string m_notice;
    std::uint64_t m_revision = 1;
    std::uint64_t m_geometryRevision = 1;
};

}  // namespace lq
