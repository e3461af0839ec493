// Writing the board file in its canonical layout: the sheet and every part field on its own
// line, one line per pin, net, track, via and polygon, fields in a fixed order, optional fields
// only where they differ from their defaults (pin layers, copper nets).
#include <fmt/core.h>

#include <nlohmann/json.hpp>

#include "app/formats/BoardJson.h"

namespace lq {

namespace {

std::string Quote(const std::string& s)
{
    return nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Bool(bool b) { return b ? "true" : "false"; }
std::string PointText(const Point& p) { return fmt::format("[{}, {}]", p.x, p.y); }
std::string RectText(const Rect& r) { return fmt::format("[{}, {}, {}, {}]", r.x1, r.y1, r.x2, r.y2); }

std::string AttributesText(const Attributes& attributes)
{
    std::string out = "[";
    for (std::size_t i = 0; i < attributes.size(); ++i)
        out += fmt::format("{}[{}, {}]", i == 0 ? "" : ", ", Quote(attributes[i].name), Quote(attributes[i].value));
    return out + "]";
}

std::string LayersText(std::uint32_t layers)
{
    std::string out = "[";
    for (int layer = 1; layer <= 16; ++layer)
        if ((layers & CopperLayerBit(layer)) != 0)
            out += fmt::format("{}{}", out.size() == 1 ? "" : ", ", layer);
    return out + "]";
}

std::string NetField(const std::string& net) { return net.empty() ? std::string() : "\"net\": " + Quote(net) + ", "; }

// Writes items one per line inside "[...]"; an empty list stays on one line.
template <class T, class F>
void List(std::string& out, const std::vector<T>& items, const char* indent, F line)
{
    if (items.empty()) {
        out += "[]";
        return;
    }
    out += "[\n";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += fmt::format("{}{}{}\n", indent, line(items[i]), i + 1 < items.size() ? "," : "");
    out += std::string(indent).substr(2) + "]";
}

std::string PinLine(const Pin& pin)
{
    std::string s = fmt::format("{{\"at\": {}, \"pad\": {}, ", PointText(pin.at), RectText(pin.pad));
    if (pin.layers != kAllCopperLayers)
        s += fmt::format("\"layers\": {}, ", LayersText(pin.layers));
    return s + fmt::format("\"attributes\": {}}}", AttributesText(pin.attributes));
}

void WritePart(std::string& out, const Part& part)
{
    out += "    {\n";
    out += fmt::format("      \"ref\": {},\n", Quote(part.ref));
    out += fmt::format("      \"at\": {},\n", PointText(part.at));
    out += fmt::format("      \"outline\": {},\n", RectText(part.outline));
    out += fmt::format("      \"pinSwap\": {},\n", Bool(part.pinSwap));
    out += fmt::format("      \"attributes\": {},\n", AttributesText(part.attributes));
    out += "      \"pins\": ";
    List(out, part.pins, "        ", PinLine);
    out += "\n    }";
}

std::string NetLine(const Net& net)
{
    std::string pins = "[";
    for (std::size_t i = 0; i < net.pins.size(); ++i)
        pins += fmt::format("{}[{}, {}]", i == 0 ? "" : ", ", Quote(net.pins[i].part), Quote(net.pins[i].pin));
    return fmt::format("{{\"name\": {}, \"pins\": {}]}}", Quote(net.name), pins);
}

std::string TrackLine(const Track& t)
{
    return fmt::format("{{{}\"layer\": {}, \"width\": {}, \"from\": {}, \"to\": {}}}", NetField(t.net), t.layer, t.width,
                       PointText(t.from), PointText(t.to));
}

std::string ViaLine(const Via& v)
{
    return fmt::format("{{{}\"at\": {}, \"diameter\": {}}}", NetField(v.net), PointText(v.at), v.diameter);
}

std::string PolygonLine(const Polygon& p)
{
    std::string points = "[";
    for (std::size_t i = 0; i < p.points.size(); ++i)
        points += (i == 0 ? "" : ", ") + PointText(p.points[i]);
    return fmt::format("{{{}\"layer\": {}, \"points\": {}]}}", NetField(p.net), p.layer, points);
}

}  // namespace

std::string WriteBoardJson(const Board& board)
{
    std::string out;
    out += "{\n";
    out += fmt::format("  \"format\": {},\n", Quote(kBoardFormatName));
    out += fmt::format("  \"version\": {},\n", kBoardFormatVersion);
    const SheetSettings& s = board.sheet;
    out += "  \"sheet\": {\n";
    out += fmt::format("    \"documentType\": {},\n", Quote(s.documentType));
    out += fmt::format("    \"backAnnotation\": {},\n", Bool(s.backAnnotation));
    out += fmt::format("    \"backAnnotationManager\": {},\n", Bool(s.backAnnotationManager));
    out += fmt::format("    \"moveSwap\": {{\"mode\": {}, \"pinSwap\": {}, \"gateSwap\": {}}},\n", s.moveSwap.mode,
                       Bool(s.moveSwap.pinSwap), s.moveSwap.gateSwap);
    out += fmt::format("    \"zoom\": {}\n", s.zoom);
    out += "  },\n";
    out += "  \"parts\": ";
    if (board.parts.empty()) {
        out += "[]";
    } else {
        out += "[\n";
        for (std::size_t i = 0; i < board.parts.size(); ++i) {
            WritePart(out, board.parts[i]);
            out += i + 1 < board.parts.size() ? ",\n" : "\n";
        }
        out += "  ]";
    }
    out += ",\n  \"nets\": ";
    List(out, board.nets, "    ", NetLine);
    out += ",\n  \"copper\": {\n    \"tracks\": ";
    List(out, board.tracks, "      ", TrackLine);
    out += ",\n    \"vias\": ";
    List(out, board.vias, "      ", ViaLine);
    out += ",\n    \"polygons\": ";
    List(out, board.polygons, "      ", PolygonLine);
    out += "\n  }\n}\n";
    return out;
}

}  // namespace lq
