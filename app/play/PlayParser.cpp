#include "app/play/PlayParser.h"

#include <fmt/core.h>

#include <filesystem>
#include <functional>
#include <map>

#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/io/InputFile.h"
#include "app/play/PlayTokens.h"

namespace lq::play {

namespace {

constexpr std::size_t kMaxScriptBytes = 16u << 20;

using Words = std::vector<Word>;

// What follows the keyword, for messages.
const std::map<std::string, std::string>& Usage()
{
    static const std::map<std::string, std::string> usage = {
        {"open", "open FILE"},
        {"moveswap", "moveswap MODE PINS GATES (e.g. moveswap 3 on 1), or moveswap off"},
        {"tool", "tool UIID (e.g. tool 0x703E8), or tool none"},
        {"click", "click X Y, click PART.PIN or click gate PART NAME"},
        {"rclick", "rclick X Y, rclick PART.PIN or rclick gate PART NAME"},
        {"dblclick", "dblclick X Y, dblclick PART.PIN or dblclick gate PART NAME"},
        {"overlay", "overlay, or overlay FILE.svg"},
        {"select", "select PART..."},
        {"deselect", "deselect PART..., or deselect all"},
        {"move", "move DX DY"},
        {"command", "command NAME"},
        {"database-changed", "database-changed"},
        {"netlist-changed", "netlist-changed"},
        {"save", "save FILE"},
        {"expect net", "expect net PART.PIN NET, or expect net PART.PIN none"},
        {"expect pins", "expect pins NET PART.PIN..., or expect pins NET none"},
        {"expect pincount", "expect pincount NET COUNT"},
        {"expect records", "expect records COUNT"},
        {"expect record", "expect record N KIND [undo ID] [TEXT...] (KIND: pin, gate or a number)"},
        {"expect message", "expect message ID or expect message \"TEXT\""},
        {"expect messages", "expect messages [ID or \"TEXT\"]..., or expect messages none"},
        {"expect tool", "expect tool UIID, or expect tool none"},
        {"expect pickmode", "expect pickmode on|off"},
        {"expect selected", "expect selected PART or PART.PIN..., or expect selected none"},
        {"expect command", "expect command NAME enabled|disabled [checked|unchecked]"},
        {"expect overlay", "expect overlay pins PART.PIN..., expect overlay pins none, or expect overlay markers COUNT"},
    };
    return usage;
}

[[noreturn]] void Malformed(const std::string& form)
{
    throw LineError("malformed line; write " + Usage().at(form));
}

void Count(const Words& w, std::size_t min, std::size_t max, const std::string& form)
{
    if (w.size() < min || w.size() > max)
        Malformed(form);
}

bool Is(const Word& w, const char* keyword) { return !w.quoted && w.text == keyword; }

// The word "none" alone (unquoted) stands for an empty list.
bool IsNoneList(const Words& w, std::size_t from) { return w.size() == from + 1 && Is(w[from], "none"); }

PinName Pin(const Word& w)
{
    const std::size_t dot = w.text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == w.text.size())
        throw LineError(fmt::format("\"{}\" is not a pin; write PART.PIN, e.g. U1.3", Excerpt(w.text)));
    return PinName{w.text, {}};
}

std::vector<PinName> Pins(const Words& w, std::size_t from)
{
    std::vector<PinName> pins;
    for (std::size_t i = from; i < w.size(); ++i)
        pins.push_back(Pin(w[i]));
    return pins;
}

std::string InDir(const std::string& dir, const std::string& path)
{
    if (path.empty())
        throw LineError("the file name is empty");
    const std::filesystem::path p(path);
    return p.is_absolute() || dir.empty() ? path : (std::filesystem::path(dir) / p).string();
}

Target ParseTarget(const Words& w, const std::string& form)
{
    Target t;
    if (w.size() == 4 && Is(w[1], "gate")) {
        t.kind = Target::Kind::Gate;
        t.gatePart.text = w[2].text;
        t.gateName = w[3].text;
    } else if (w.size() == 3) {
        t.kind = Target::Kind::Point;
        t.point = Point{ParseLength(w[1].text), ParseLength(w[2].text)};
    } else if (w.size() == 2) {
        t.kind = Target::Kind::Pin;
        t.pin = Pin(w[1]);
    } else {
        Malformed(form);
    }
    return t;
}

std::uint32_t UIID(const Word& w) { return ParseUnsigned32(w.text, "a UI ID"); }

Action ParseExpect(const Words& w)
{
    if (w.size() < 2)
        throw LineError("expect what? write expect net, pins, pincount, records, record, message, messages, tool, "
                        "pickmode, selected, command or overlay");
    const std::string what = w[1].quoted ? std::string() : w[1].text;
    const std::string form = "expect " + what;
    if (what == "net") {
        Count(w, 4, 4, form);
        ExpectNet e{Pin(w[2]), std::nullopt};
        if (!Is(w[3], "none"))
            e.net = w[3].text;
        return e;
    }
    if (what == "pins") {
        Count(w, 4, SIZE_MAX, form);
        return ExpectNetPins{w[2].text, IsNoneList(w, 3) ? std::vector<PinName>{} : Pins(w, 3)};
    }
    if (what == "pincount") {
        Count(w, 4, 4, form);
        return ExpectPinCount{w[2].text, ParseCount(w[3].text, "a pin count")};
    }
    if (what == "records") {
        Count(w, 3, 3, form);
        return ExpectRecordCount{ParseCount(w[2].text, "a record count")};
    }
    if (what == "record") {
        Count(w, 4, SIZE_MAX, form);
        ExpectRecord e;
        e.index = ParseCount(w[2].text, "a record number");
        if (e.index == 0)
            throw LineError("records are numbered from 1");
        if (Is(w[3], "pin"))
            e.kind = 13;
        else if (Is(w[3], "gate"))
            e.kind = 12;
        else if (!w[3].quoted)
            e.kind = ParseSigned32(w[3].text, "a record kind (pin, gate or a number)");
        else
            Malformed(form);
        std::size_t i = 4;
        if (i < w.size() && Is(w[i], "undo")) {
            if (i + 1 >= w.size())
                Malformed(form);
            e.undoId = Is(w[i + 1], "none") ? 0xFFFFFFFFu : ParseUnsigned32(w[i + 1].text, "an undo id");
            i += 2;
        }
        if (i < w.size()) {
            e.texts.emplace();
            for (; i < w.size(); ++i)
                e.texts->push_back(w[i].text);
        }
        return e;
    }
    if (what == "message" || what == "messages") {
        if (what == "message")
            Count(w, 3, 3, form);
        ExpectMessages e;
        if (IsNoneList(w, 2))
            return e;
        for (std::size_t i = 2; i < w.size(); ++i) {
            MessageItem item;
            if (w[i].quoted)
                item.text = w[i].text;
            else
                item.resourceId = ParseUnsigned32(w[i].text, "a string resource id (quote message texts)");
            e.items.push_back(std::move(item));
        }
        return e;
    }
    if (what == "tool") {
        Count(w, 3, 3, form);
        return ExpectTool{Is(w[2], "none") ? std::nullopt : std::optional<std::uint32_t>(UIID(w[2]))};
    }
    if (what == "pickmode") {
        Count(w, 3, 3, form);
        return ExpectPickMode{ParseSwitch(w[2].text, "a pick mode")};
    }
    if (what == "selected") {
        Count(w, 3, SIZE_MAX, form);
        ExpectSelected e;
        if (!IsNoneList(w, 2))
            for (std::size_t i = 2; i < w.size(); ++i)
                e.objects.push_back(ObjectName{w[i].text, false, 0, {}});
        return e;
    }
    if (what == "command") {
        Count(w, 4, 5, form);
        ExpectCommand e{w[2].text, true, std::nullopt};
        if (Is(w[3], "enabled") || Is(w[3], "disabled"))
            e.enabled = Is(w[3], "enabled");
        else
            Malformed(form);
        if (w.size() == 5) {
            if (!Is(w[4], "checked") && !Is(w[4], "unchecked"))
                Malformed(form);
            e.checked = Is(w[4], "checked");
        }
        return e;
    }
    if (what == "overlay") {
        Count(w, 4, SIZE_MAX, form);
        if (Is(w[2], "pins"))
            return ExpectOverlayPins{IsNoneList(w, 3) ? std::vector<PinName>{} : Pins(w, 3)};
        if (Is(w[2], "markers") && w.size() == 4)
            return ExpectOverlayMarkers{ParseCount(w[3].text, "a marker count")};
        Malformed(form);
    }
    throw LineError(fmt::format("cannot expect \"{}\"; write expect net, pins, pincount, records, record, message, "
                                "messages, tool, pickmode, selected, command or overlay",
                                Excerpt(w[1].text)));
}

Action ParseAction(const Words& w, const std::string& dir)
{
    const std::string keyword = w[0].quoted ? std::string() : w[0].text;
    if (keyword == "open") {
        Count(w, 2, 2, keyword);
        return OpenStep{w[1].text, InDir(dir, w[1].text), nullptr};
    }
    if (keyword == "moveswap") {
        if (w.size() == 2 && Is(w[1], "off"))
            return MoveSwapStep{MoveSwap{0, false, 0}};
        Count(w, 4, 4, keyword);
        const std::int32_t mode = ParseSigned32(w[1].text, "a move-swap mode");
        if (mode < 0 || mode > 3)
            throw LineError(fmt::format("move-swap mode {} is not 0 (off), 1 (pins) or 2 or 3 (pins and gates)", mode));
        return MoveSwapStep{MoveSwap{mode, ParseSwitch(w[2].text, "the pin-swap switch"),
                                     ParseSigned32(w[3].text, "the gate-swap value")}};
    }
    if (keyword == "tool") {
        Count(w, 2, 2, keyword);
        return ToolStep{Is(w[1], "none") ? std::nullopt : std::optional<std::uint32_t>(UIID(w[1]))};
    }
    if (keyword == "click" || keyword == "rclick" || keyword == "dblclick") {
        const Button b = keyword == "click" ? Button::Left : keyword == "rclick" ? Button::Right : Button::Double;
        return ClickStep{b, ParseTarget(w, keyword)};
    }
    if (keyword == "overlay") {
        Count(w, 1, 2, keyword);
        if (w.size() == 1)
            return OverlayStep{};
        const std::string& path = w[1].text;
        if (path.size() < 5 || !path.ends_with(".svg"))  // a bare ".svg" names no file
            throw LineError(fmt::format("\"{}\": overlay pictures are SVG files; give a name ending in .svg", Excerpt(path)));
        return OverlayStep{path, InDir(dir, path)};
    }
    if (keyword == "select" || keyword == "deselect") {
        Count(w, 2, SIZE_MAX, keyword);
        SelectStep s;
        s.select = keyword == "select";
        if (!s.select && w.size() == 2 && Is(w[1], "all")) {
            s.all = true;
            return s;
        }
        for (std::size_t i = 1; i < w.size(); ++i)
            s.parts.push_back(PartName{w[i].text, 0});
        return s;
    }
    if (keyword == "move") {
        Count(w, 3, 3, keyword);
        return MoveStep{ParseLength(w[1].text), ParseLength(w[2].text)};
    }
    if (keyword == "command") {
        Count(w, 2, 2, keyword);
        return CommandStep{w[1].text};
    }
    if (keyword == "database-changed" || keyword == "netlist-changed") {
        Count(w, 1, 1, keyword);
        return RaiseStep{keyword == "database-changed" ? RaiseStep::Event::DatabaseChanged : RaiseStep::Event::NetlistChanged};
    }
    if (keyword == "save") {
        Count(w, 2, 2, keyword);
        return SaveStep{w[1].text, InDir(dir, w[1].text)};
    }
    if (keyword == "expect")
        return ParseExpect(w);
    throw LineError(fmt::format("unknown line \"{}\"; a line starts with open, moveswap, tool, click, rclick, dblclick, "
                                "overlay, select, deselect, move, command, database-changed, netlist-changed, save or expect",
                                Excerpt(w[0].text)));
}

}  // namespace

Script ParsePlayScript(std::string_view text, const std::string& fileName, const std::string& dir)
{
    Script script{fileName, dir, {}};
    int line = 0;
    // A UTF-8 byte-order mark, as some editors write, is not part of the first line.
    std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        ++line;
        try {
            if (raw.find('\0') != std::string_view::npos)
                throw LineError("the line holds a NUL byte; a play script is text");
            const Words words = SplitWords(raw);
            if (words.empty())
                continue;
            script.steps.push_back(Step{line, StripComment(raw), ParseAction(words, dir)});
        } catch (const LineError& e) {
            throw ParseError(fileName, std::to_string(line), e.what());
        }
    }
    return script;
}

Script ReadPlayScript(const std::string& path)
{
    const std::string text = ReadInputFile(path, kMaxScriptBytes);
    return ParsePlayScript(text, path, std::filesystem::path(path).parent_path().string());
}

}  // namespace lq::play
