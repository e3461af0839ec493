// A play script as lqhost holds it once read: one step per line that does something, each with
// its line number for messages. The parser fills in what a line says; the resolver adds what the
// names lead to (the boards opened, parts and pins), so that the runner needs no lookups that
// could fail on a typing error half-way through a session. docs/play.md describes the lines.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/model/Board.h"

namespace lq::play {

struct PartName {
    std::string text;
    std::size_t part = 0;  // resolved
};

struct PinName {
    std::string text;  // "U1.3"
    PinIndex pin;      // resolved
};

// A part or a pin, as the selection may hold either.
struct ObjectName {
    std::string text;
    bool isPin = false;  // resolved
    std::size_t part = 0;
    PinIndex pin;
};

// Where a click lands: a board point, the centre of a pin's pad, or the centre of a gate's
// marker as the plug-in draws it.
struct Target {
    enum class Kind { Point, Pin, Gate } kind = Kind::Point;
    Point point;
    PinName pin;
    PartName gatePart;
    std::string gateName;
};

struct OpenStep {
    std::string path;  // as written
    std::string file;  // relative to the script's folder
    std::shared_ptr<const Board> board;  // resolved
};
struct MoveSwapStep {
    MoveSwap state;
};
struct ToolStep {
    std::optional<std::uint32_t> uiId;  // nothing: no tool
};
enum class Button { Left, Right, Double };
struct ClickStep {
    Button button = Button::Left;
    Target target;
};
struct OverlayStep {
    std::string path;  // optional picture
    std::string file;
};
struct SelectStep {
    bool select = true;
    bool all = false;  // deselect all
    std::vector<PartName> parts;
};
struct MoveStep {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};
struct CommandStep {
    std::string name;
};
struct RaiseStep {
    enum class Event { DatabaseChanged, NetlistChanged } event = Event::DatabaseChanged;
};
struct SaveStep {
    std::string path;
    std::string file;
};

struct ExpectNet {
    PinName pin;
    std::optional<std::string> net;  // nothing: on no net
};
struct ExpectNetPins {
    std::string net;
    std::vector<PinName> pins;  // in any order
};
struct ExpectPinCount {
    std::string net;
    std::size_t count = 0;
};
struct ExpectRecordCount {
    std::size_t count = 0;
};
struct ExpectRecord {
    std::size_t index = 1;  // from 1
    std::optional<int> kind;
    std::optional<std::uint32_t> undoId;
    std::optional<std::vector<std::string>> texts;
};
// A message box, by its text or by the plug-in's string resource id.
struct MessageItem {
    std::optional<std::uint32_t> resourceId;
    std::string text;
};
struct ExpectMessages {
    std::vector<MessageItem> items;  // exactly these since the last check; empty: none
};
struct ExpectTool {
    std::optional<std::uint32_t> uiId;
};
struct ExpectPickMode {
    bool on = false;
};
struct ExpectSelected {
    std::vector<ObjectName> objects;  // in any order; empty: nothing
};
struct ExpectCommand {
    std::string name;
    bool enabled = true;
    std::optional<bool> checked;
};
struct ExpectOverlayPins {
    std::vector<PinName> pins;  // in any order
};
struct ExpectOverlayMarkers {
    std::size_t count = 0;
};

using Action = std::variant<OpenStep, MoveSwapStep, ToolStep, ClickStep, OverlayStep, SelectStep, MoveStep, CommandStep,
                            RaiseStep, SaveStep, ExpectNet, ExpectNetPins, ExpectPinCount, ExpectRecordCount, ExpectRecord,
                            ExpectMessages, ExpectTool, ExpectPickMode, ExpectSelected, ExpectCommand, ExpectOverlayPins,
                            ExpectOverlayMarkers>;

struct Step {
    int line = 0;
    std::string text;  // the line as written, without its comment
    Action action;
};

struct Script {
    std::string file;  // names the script in messages
    std::string dir;   // relative paths in the script start here
    std::vector<Step> steps;
};

bool IsExpectation(const Action& action);

// "0x703E8"
std::string FormatUIID(std::uint32_t uiId);

}  // namespace lq::play
