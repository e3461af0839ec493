// Reading the board file as it streams past the JSON parser: every value is checked against the
// file's fixed shape the moment it arrives, so an unknown field, a wrong type or one item too
// many is refused at once, time stays linear and memory is the board being built. Writing is in
// BoardJsonWriter.cpp.
#include "app/formats/BoardJson.h"

#include <fmt/core.h>

#include <array>
#include <limits>
#include <nlohmann/json.hpp>
#include <vector>

#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/io/InputFile.h"
#include "app/model/BoardCheck.h"

namespace lq {

namespace {

using Json = nlohmann::json;
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// What a place in the file holds. The first group are objects, then lists of items, then
// arrays of a fixed length, then single values.
enum class Slot : std::uint8_t {
    Root, Sheet, MoveSwap, Part, Pin, Net, Copper, Track, Via, Polygon,
    Parts, Pins, Nets, Attributes, Layers, NetPins, Tracks, Vias, Polygons, Points,
    Attribute, PinRef, Point, Rect,
    Format, Version, DocumentType, BackAnnotation, BackAnnotationManager, Mode, MovePinSwap, GateSwap, Zoom,
    Ref, PartPinSwap, NetName, CopperNet, Layer, PinLayer, Width, Diameter, PairText, Coordinate,
};

bool IsObject(Slot s) { return s <= Slot::Polygon; }
bool IsList(Slot s) { return s >= Slot::Parts && s <= Slot::Points; }
bool IsFixed(Slot s) { return s >= Slot::Attribute && s <= Slot::Rect; }

struct Field {
    const char* name;
    Slot slot;
    bool required;
};

// The fields of each object, in the order that required ones are reported missing.
const std::vector<Field>& FieldsOf(Slot object)
{
    static const std::vector<Field> kRoot{{"format", Slot::Format, true}, {"version", Slot::Version, true},
                                          {"parts", Slot::Parts, true},   {"nets", Slot::Nets, true},
                                          {"sheet", Slot::Sheet, false},  {"copper", Slot::Copper, false}};
    static const std::vector<Field> kSheet{{"documentType", Slot::DocumentType, false},
                                           {"backAnnotation", Slot::BackAnnotation, false},
                                           {"backAnnotationManager", Slot::BackAnnotationManager, false},
                                           {"moveSwap", Slot::MoveSwap, false},
                                           {"zoom", Slot::Zoom, false}};
    static const std::vector<Field> kMoveSwap{{"mode", Slot::Mode, false}, {"pinSwap", Slot::MovePinSwap, false},
                                              {"gateSwap", Slot::GateSwap, false}};
    static const std::vector<Field> kPart{{"ref", Slot::Ref, true},           {"at", Slot::Point, true},
                                          {"outline", Slot::Rect, false},     {"pinSwap", Slot::PartPinSwap, false},
                                          {"attributes", Slot::Attributes, false}, {"pins", Slot::Pins, false}};
    static const std::vector<Field> kPin{{"at", Slot::Point, true}, {"attributes", Slot::Attributes, true},
                                         {"pad", Slot::Rect, false}, {"layers", Slot::Layers, false}};
    static const std::vector<Field> kNet{{"name", Slot::NetName, true}, {"pins", Slot::NetPins, true}};
    static const std::vector<Field> kCopper{{"tracks", Slot::Tracks, false}, {"vias", Slot::Vias, false},
                                            {"polygons", Slot::Polygons, false}};
    static const std::vector<Field> kTrack{{"layer", Slot::Layer, true}, {"width", Slot::Width, true},
                                           {"from", Slot::Point, true},  {"to", Slot::Point, true},
                                           {"net", Slot::CopperNet, false}};
    static const std::vector<Field> kVia{{"at", Slot::Point, true}, {"diameter", Slot::Diameter, true}, {"net", Slot::CopperNet, false}};
    static const std::vector<Field> kPolygon{{"layer", Slot::Layer, true}, {"points", Slot::Points, true},
                                             {"net", Slot::CopperNet, false}};
    switch (object) {
    case Slot::Root: return kRoot;
    case Slot::Sheet: return kSheet;
    case Slot::MoveSwap: return kMoveSwap;
    case Slot::Part: return kPart;
    case Slot::Pin: return kPin;
    case Slot::Net: return kNet;
    case Slot::Copper: return kCopper;
    case Slot::Track: return kTrack;
    case Slot::Via: return kVia;
    default: return kPolygon;
    }
}

// The items of a list and how many it may hold.
struct ListRule {
    Slot item;
    std::size_t max;
    const char* what;
};

ListRule RuleOf(Slot list)
{
    switch (list) {
    case Slot::Parts: return {Slot::Part, BoardLimits::kParts, "parts"};
    case Slot::Pins: return {Slot::Pin, BoardLimits::kPinsPerPart, "pins in one part"};
    case Slot::Nets: return {Slot::Net, BoardLimits::kNets, "nets"};
    case Slot::Attributes: return {Slot::Attribute, BoardLimits::kAttributes, "attributes"};
    case Slot::Layers: return {Slot::PinLayer, 16, "layers"};
    case Slot::NetPins: return {Slot::PinRef, BoardLimits::kPins, "pins"};
    case Slot::Tracks: return {Slot::Track, BoardLimits::kCopper, "tracks"};
    case Slot::Vias: return {Slot::Via, BoardLimits::kCopper, "vias"};
    case Slot::Polygons: return {Slot::Polygon, BoardLimits::kCopper, "polygons"};
    default: return {Slot::Point, BoardLimits::kPolygonPoints, "points"};
    }
}

// What a value of the wrong kind is told, by the place it took.
std::string Expected(Slot s)
{
    if (IsObject(s))
        return "expected an object {...}";
    switch (s) {
    case Slot::Attribute: return "expected [name, value], two texts";
    case Slot::PinRef: return "expected [part, pin], two texts";
    case Slot::Point: return "expected [x, y] in nm";
    case Slot::Rect: return "expected [x1, y1, x2, y2] in nm";
    case Slot::Version: return "expected the version as a whole number";
    case Slot::Mode: return "expected the mode as a whole number";
    case Slot::GateSwap: return "expected the value as a whole number";
    case Slot::Zoom: return "expected nm per pixel as a whole number";
    case Slot::Layer:
    case Slot::PinLayer: return "expected a copper layer as a whole number";
    case Slot::Width: return "expected the width in nm as a whole number";
    case Slot::Diameter: return "expected the diameter in nm as a whole number";
    case Slot::Coordinate: return "expected a coordinate in nm as a whole number";
    case Slot::BackAnnotation:
    case Slot::BackAnnotationManager:
    case Slot::MovePinSwap:
    case Slot::PartPinSwap: return "expected true or false";
    case Slot::Format: return fmt::format("not a Quillon board file (expected \"{}\")", kBoardFormatName);
    default: return IsList(s) ? "expected an array [...]" : "expected a text \"...\"";
    }
}

// A whole number as the parser gave it: signed, or unsigned beyond the signed range.
struct Number {
    bool big = false;  // beyond int64
    std::uint64_t u = 0;
    std::int64_t i = 0;
    std::string Text() const { return big ? std::to_string(u) : std::to_string(i); }
    bool Within(std::int64_t lo, std::int64_t hi) const { return !big && i >= lo && i <= hi; }
};

// Line and column (from 1) of a byte, for errors in the text rather than in a value.
std::string LineColumn(std::string_view text, std::size_t byte)
{
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return fmt::format("{}:{}", line, column);
}

class BoardSax {
public:
    BoardSax(std::string_view text, const std::string& file) : m_text(text), m_file(file) {}

    Board Take() { return std::move(m_board); }

    // nlohmann's SAX interface.
    bool null() { return Value(nullptr, nullptr, nullptr); }
    bool boolean(bool b) { return Value(&b, nullptr, nullptr); }
    bool number_integer(std::int64_t i) { return Whole(Number{false, 0, i}); }
    bool number_unsigned(std::uint64_t u)
    {
        return Whole(u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ? Number{true, u, 0}
                                                                                              : Number{false, 0, static_cast<std::int64_t>(u)});
    }
    bool number_float(double, const std::string&) { return Value(nullptr, nullptr, nullptr); }
    bool string(std::string& s) { return Value(nullptr, nullptr, &s); }
    bool binary(Json::binary_t&) { return Value(nullptr, nullptr, nullptr); }
    bool start_object(std::size_t) { return Open(true); }
    bool start_array(std::size_t) { return Open(false); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool key(std::string& k);
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e);

private:
    struct Frame {
        Slot slot;
        std::string name;        // this value's step in the path
        std::size_t count = 0;   // items so far (lists and fixed arrays)
        const Field* field = nullptr;  // the field being read (objects)
        std::uint32_t seen = 0;  // fields given (objects)
    };

    [[noreturn]] void Fail(const std::string& path, const std::string& message) const
    {
        throw ParseError(m_file, path.empty() ? "/" : path, message);
    }

    std::string PathOf(std::size_t frames) const
    {
        std::string path;
        for (std::size_t i = 1; i < frames; ++i)
            path += "/" + m_frames[i].name;
        return path;
    }
    std::string Here() const { return PathOf(m_frames.size()); }

    // Where the next value goes: its slot and its step in the path; counts list items.
    std::pair<Slot, std::string> Next();
    bool Whole(const Number& n) { return Value(nullptr, &n, nullptr); }
    // One value that is not an object or array; exactly one of b, n, s is given, or none for
    // null, a fraction or binary data.
    bool Value(const bool* b, const Number* n, std::string* s);
    bool Open(bool object);
    bool Close();
    void Store(Slot slot, const std::string& path, const bool* b, const Number* n, std::string* s);
    std::int64_t Integer(const Number& n, const std::string& path, std::int64_t lo, std::int64_t hi) const;
    std::string Text(std::string& s, const std::string& path) const;
    void Finish(const Frame& f, const std::string& path);

    std::string_view m_text;
    const std::string& m_file;
    std::vector<Frame> m_frames;
    bool m_done = false;
    Board m_board;
    Part m_part;
    Pin m_pin;
    Net m_net;
    Track m_track;
    Via m_via;
    Polygon m_polygon;
    std::array<std::string, 2> m_pair;
    std::array<std::int32_t, 4> m_coordinates{};
    std::size_t m_pins = 0;
    std::size_t m_copper = 0;
};

std::pair<Slot, std::string> BoardSax::Next()
{
    if (m_frames.empty()) {
        if (m_done)
            Fail("", "trailing data after the board");
        return {Slot::Root, ""};
    }
    Frame& top = m_frames.back();
    if (IsObject(top.slot))
        return {top.field->slot, top.field->name};
    const std::string index = std::to_string(top.count);
    ++top.count;
    if (IsList(top.slot)) {
        const ListRule rule = RuleOf(top.slot);
        if (top.count > rule.max)
            Fail(Here(), fmt::format("more than the {} {} allowed", rule.max, rule.what));
        if (top.slot == Slot::Pins && ++m_pins > BoardLimits::kPins)
            Fail(Here(), fmt::format("more than the {} pins a board may have", BoardLimits::kPins));
        if ((top.slot == Slot::Tracks || top.slot == Slot::Vias || top.slot == Slot::Polygons) && ++m_copper > BoardLimits::kCopper)
            Fail(Here(), fmt::format("more than the {} copper items a board may have", BoardLimits::kCopper));
        return {rule.item, index};
    }
    const std::size_t length = top.slot == Slot::Rect ? 4 : 2;
    if (top.count > length)
        Fail(Here(), Expected(top.slot));
    return {top.slot == Slot::Point || top.slot == Slot::Rect ? Slot::Coordinate : Slot::PairText, index};
}

bool BoardSax::key(std::string& k)
{
    Frame& top = m_frames.back();
    top.field = nullptr;
    const std::vector<Field>& fields = FieldsOf(top.slot);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (k == fields[i].name) {
            if ((top.seen & (1u << i)) != 0)
                Fail(Here(), fmt::format("the key \"{}\" appears twice", k));
            top.seen |= 1u << i;
            top.field = &fields[i];
        }
    if (top.field == nullptr)
        Fail(Here() + "/" + Excerpt(k), fmt::format("unknown field \"{}\"", Excerpt(k)));
    return true;
}

bool BoardSax::Open(bool object)
{
    auto [slot, name] = Next();
    const std::string path = Here() + (m_frames.empty() ? "" : "/" + name);
    if (object != IsObject(slot) || !(IsObject(slot) || IsList(slot) || IsFixed(slot)))
        Fail(path, Expected(slot));
    m_frames.push_back(Frame{slot, std::move(name)});
    switch (slot) {
    case Slot::Part: m_part = Part{}; break;
    case Slot::Pin: m_pin = Pin{}; break;
    case Slot::Net: m_net = Net{}; break;
    case Slot::Track: m_track = Track{}; break;
    case Slot::Via: m_via = Via{}; break;
    case Slot::Polygon: m_polygon = Polygon{}; break;
    case Slot::Layers: m_pin.layers = 0; break;
    default: break;
    }
    return true;
}

bool BoardSax::Value(const bool* b, const Number* n, std::string* s)
{
    auto [slot, name] = Next();
    const std::string path = Here() + (m_frames.empty() ? "" : "/" + name);
    const bool fits = IsObject(slot) || IsList(slot) || IsFixed(slot) ? false
                      : slot == Slot::BackAnnotation || slot == Slot::BackAnnotationManager || slot == Slot::MovePinSwap ||
                              slot == Slot::PartPinSwap
                          ? b != nullptr
                      : slot == Slot::Format || slot == Slot::DocumentType || slot == Slot::Ref || slot == Slot::NetName ||
                              slot == Slot::CopperNet || slot == Slot::PairText
                          ? s != nullptr
                          : n != nullptr;
    if (!fits)
        Fail(path, Expected(slot));
    Store(slot, path, b, n, s);
    if (m_frames.empty())
        m_done = true;
    return true;
}

std::int64_t BoardSax::Integer(const Number& n, const std::string& path, std::int64_t lo, std::int64_t hi) const
{
    if (!n.Within(lo, hi))
        Fail(path, fmt::format("{} is out of range ({} to {})", n.Text(), lo, hi));
    return n.i;
}

std::string BoardSax::Text(std::string& s, const std::string& path) const
{
    if (s.size() > BoardLimits::kTextBytes)
        Fail(path, fmt::format("text of {} bytes is longer than the {} allowed", s.size(), BoardLimits::kTextBytes));
    if (s.find('\0') != std::string::npos)
        Fail(path, "text contains a NUL character");
    return std::move(s);
}

void BoardSax::Store(Slot slot, const std::string& path, const bool* b, const Number* n, std::string* s)
{
    SheetSettings& sheet = m_board.sheet;
    switch (slot) {
    case Slot::Format:
        if (*s != kBoardFormatName)
            Fail(path, Expected(slot));
        break;
    case Slot::Version: {
        const std::int64_t version = Integer(*n, path, 0, kInt32Max);
        if (version != kBoardFormatVersion)
            Fail(path, fmt::format("version {} is not supported; this lqhost reads version {}", version, kBoardFormatVersion));
        break;
    }
    case Slot::DocumentType: sheet.documentType = Text(*s, path); break;
    case Slot::BackAnnotation: sheet.backAnnotation = *b; break;
    case Slot::BackAnnotationManager: sheet.backAnnotationManager = *b; break;
    case Slot::Mode: sheet.moveSwap.mode = static_cast<int>(Integer(*n, path, 0, 3)); break;
    case Slot::MovePinSwap: sheet.moveSwap.pinSwap = *b; break;
    case Slot::GateSwap: sheet.moveSwap.gateSwap = static_cast<int>(Integer(*n, path, kInt32Min, kInt32Max)); break;
    case Slot::Zoom: sheet.zoom = Integer(*n, path, 1, 1000000000); break;
    case Slot::Ref: m_part.ref = Text(*s, path); break;
    case Slot::PartPinSwap: m_part.pinSwap = *b; break;
    case Slot::NetName: m_net.name = Text(*s, path); break;
    case Slot::CopperNet: {
        const Slot item = m_frames.back().slot;
        (item == Slot::Track ? m_track.net : item == Slot::Via ? m_via.net : m_polygon.net) = Text(*s, path);
        break;
    }
    case Slot::Layer: {
        const int layer = static_cast<int>(Integer(*n, path, 1, 16));
        (m_frames.back().slot == Slot::Track ? m_track.layer : m_polygon.layer) = layer;
        break;
    }
    case Slot::PinLayer: {
        const std::uint32_t bit = CopperLayerBit(static_cast<int>(Integer(*n, path, 1, 16)));
        if ((m_pin.layers & bit) != 0)
            Fail(path, fmt::format("layer {} is listed twice", n->i));
        m_pin.layers |= bit;
        break;
    }
    case Slot::Width: m_track.width = static_cast<std::int32_t>(Integer(*n, path, 0, kInt32Max)); break;
    case Slot::Diameter: m_via.diameter = static_cast<std::int32_t>(Integer(*n, path, 0, kInt32Max)); break;
    case Slot::PairText: m_pair[m_frames.back().count - 1] = Text(*s, path); break;
    case Slot::Coordinate:
        if (!n->Within(kInt32Min, kInt32Max))
            Fail(path, fmt::format("{} nm is outside the 32-bit coordinate range", n->Text()));
        m_coordinates[m_frames.back().count - 1] = static_cast<std::int32_t>(n->i);
        break;
    default: break;
    }
}

bool BoardSax::Close()
{
    const std::string path = Here();
    const Frame f = std::move(m_frames.back());
    m_frames.pop_back();
    Finish(f, path);
    if (m_frames.empty())
        m_done = true;
    else if (IsObject(m_frames.back().slot))
        m_frames.back().field = nullptr;
    return true;
}

// A value is complete: check what only its end can tell, and put it where it belongs.
void BoardSax::Finish(const Frame& f, const std::string& path)
{
    if (IsObject(f.slot)) {
        const std::vector<Field>& fields = FieldsOf(f.slot);
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].required && (f.seen & (1u << i)) == 0)
                Fail(path + "/" + fields[i].name, "required field is missing");
    }
    const std::size_t length = f.slot == Slot::Rect ? 4 : 2;
    if (IsFixed(f.slot) && f.count != length)
        Fail(path, Expected(f.slot));
    // The place that asked for this value: the field of the object, or the list it is an item of.
    const Slot owner = m_frames.empty() ? Slot::Root : m_frames.back().slot;
    const char* field = !m_frames.empty() && m_frames.back().field != nullptr ? m_frames.back().field->name : "";
    const Point point{m_coordinates[0], m_coordinates[1]};
    const Rect rect{m_coordinates[0], m_coordinates[1], m_coordinates[2], m_coordinates[3]};
    switch (f.slot) {
    case Slot::Part: m_board.parts.push_back(std::move(m_part)); break;
    case Slot::Pin: m_part.pins.push_back(std::move(m_pin)); break;
    case Slot::Net: m_board.nets.push_back(std::move(m_net)); break;
    case Slot::Track: m_board.tracks.push_back(std::move(m_track)); break;
    case Slot::Via: m_board.vias.push_back(std::move(m_via)); break;
    case Slot::Polygon: m_board.polygons.push_back(std::move(m_polygon)); break;
    case Slot::Layers:
        if (f.count == 0)
            Fail(path, "a pin is on at least one copper layer");
        break;
    case Slot::Attribute: {
        Attributes& list = m_frames[m_frames.size() - 2].slot == Slot::Pin ? m_pin.attributes : m_part.attributes;
        list.push_back(Attribute{std::move(m_pair[0]), std::move(m_pair[1])});
        break;
    }
    case Slot::PinRef: m_net.pins.push_back(PinRef{std::move(m_pair[0]), std::move(m_pair[1])}); break;
    case Slot::Rect: (owner == Slot::Part ? m_part.outline : m_pin.pad) = rect; break;
    case Slot::Point:
        if (owner == Slot::Points)
            m_polygon.points.push_back(point);
        else if (owner == Slot::Part)
            m_part.at = point;
        else if (owner == Slot::Pin)
            m_pin.at = point;
        else if (owner == Slot::Via)
            m_via.at = point;
        else
            (std::string_view(field) == "from" ? m_track.from : m_track.to) = point;
        break;
    default: break;
    }
}

bool BoardSax::parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e)
{
    const std::string what = e.what();
    // nlohmann's message without its prefix and position; the token it quotes cut to an excerpt.
    std::string reason = what;
    if (const std::size_t at = what.find("column "); at != std::string::npos && what.find(": ", at) != std::string::npos)
        reason = what.substr(what.find(": ", at) + 2);
    else if (const std::size_t bracket = what.find("] "); bracket != std::string::npos)
        reason = what.substr(bracket + 2);
    if (const std::size_t read = reason.find("last read: '"); read != std::string::npos) {
        const std::size_t from = read + 12, to = reason.rfind('\'');
        if (to != std::string::npos && to >= from)
            reason = reason.substr(0, from) + Excerpt(reason.substr(from, to - from)) + reason.substr(to);
    }
    // A number beyond a double's range, such as 1e400: the place is the value's path.
    if (dynamic_cast<const Json::out_of_range*>(&e) != nullptr) {
        const auto [slot, name] = Next();
        (void)slot;
        Fail(Here() + (m_frames.empty() ? "" : "/" + name), reason);
    }
    const std::size_t byte = position == 0 ? 0 : position - 1;
    const bool nul = byte < m_text.size() && m_text[byte] == '\0';
    throw ParseError(m_file, LineColumn(m_text, byte),
                     m_done ? std::string("trailing data after the board") + (nul ? " (a NUL byte)" : "") : "malformed JSON: " + reason);
}

}  // namespace

Board ParseBoardJson(std::string_view text, const std::string& fileName)
{
    if (text.size() > BoardLimits::kFileBytes)
        throw ParseError(fileName, "", fmt::format("too large ({} bytes; the limit is {})", text.size(), BoardLimits::kFileBytes));
    BoardSax sax(text, fileName);
    Json::sax_parse(text.begin(), text.end(), &sax);
    // The parser takes a NUL byte for the end of the text; whatever follows it is not a board.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos)
        throw ParseError(fileName, LineColumn(text, nul), "trailing data after the board (a NUL byte)");
    Board board = sax.Take();
    if (const auto problem = CheckBoard(board))
        throw ParseError(fileName, problem->place, problem->message);
    return board;
}

Board ReadBoardFile(const std::string& path)
{
    return ParseBoardJson(ReadInputFile(path, BoardLimits::kFileBytes), path);
}

}  // namespace lq
