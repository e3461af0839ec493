// Reading the board file. Writing is in BoardJsonWriter.cpp.
#include "app/formats/BoardJson.h"

#include <fmt/core.h>

#include <initializer_list>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "app/core/Errors.h"
#include "app/io/InputFile.h"
#include "app/model/BoardCheck.h"

namespace lq {

namespace {

using Json = nlohmann::json;

// nlohmann keeps the last of two equal keys without a word and has no depth limit; both are
// checked while parsing, with the place of the offence. The parser copies its callback, so the
// frames are shared with the caller, who asks for the place of a number the parser rejected.
class ParseGuard {
public:
    explicit ParseGuard(const std::string& file) : m_file(file), m_frames(std::make_shared<std::vector<Frame>>()) {}

    bool operator()(int, Json::parse_event_t event, Json& parsed)
    {
        std::vector<Frame>& frames = *m_frames;
        switch (event) {
        case Json::parse_event_t::object_start:
        case Json::parse_event_t::array_start:
            if (frames.size() >= BoardLimits::kDepth)
                throw ParseError(m_file, PathOf(frames.size() - 1),
                                 fmt::format("nested deeper than {} levels of arrays and objects", BoardLimits::kDepth));
            frames.push_back(Frame{event == Json::parse_event_t::array_start, 0, {}, {}});
            break;
        case Json::parse_event_t::key: {
            Frame& top = frames.back();
            std::string key = parsed.get<std::string>();
            if (!top.keys.insert(key).second)
                throw ParseError(m_file, PathOf(frames.size() - 1), fmt::format("the key \"{}\" appears twice", key));
            top.key = std::move(key);
            break;
        }
        case Json::parse_event_t::object_end:
        case Json::parse_event_t::array_end:
            frames.pop_back();
            Advance();
            break;
        case Json::parse_event_t::value:
            Advance();
            break;
        }
        return true;
    }

    // The path of the value the parser is reading now.
    std::string ValuePath() const { return PathOf(m_frames->size()); }

private:
    struct Frame {
        bool array;
        std::size_t count;
        std::string key;
        std::set<std::string> keys;
    };

    void Advance()
    {
        if (!m_frames->empty() && m_frames->back().array)
            ++m_frames->back().count;
    }

    // All frames: the value being read; all but the last: the innermost open container.
    std::string PathOf(std::size_t nFrames) const
    {
        std::string path;
        for (std::size_t i = 0; i < nFrames; ++i)
            path += "/" + ((*m_frames)[i].array ? std::to_string((*m_frames)[i].count) : (*m_frames)[i].key);
        return path.empty() ? "/" : path;
    }

    const std::string& m_file;
    std::shared_ptr<std::vector<Frame>> m_frames;
};

// Line and column (from 1) of a byte offset, for syntax errors.
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

// nlohmann's message without its prefix and position.
std::string SyntaxReason(const std::string& what)
{
    const std::size_t at = what.find("column ");
    if (at != std::string::npos) {
        const std::size_t colon = what.find(": ", at);
        if (colon != std::string::npos)
            return what.substr(colon + 2);
    }
    const std::size_t bracket = what.find("] ");
    return bracket == std::string::npos ? what : what.substr(bracket + 2);
}

class Reader {
public:
    explicit Reader(const std::string& file) : m_file(file) {}

    Board Read(const Json& root)
    {
        ExpectObject(root, "", {"format", "version", "parts", "nets"}, {"sheet", "copper"});
        ReadHeader(root);
        Board board;
        if (const Json* sheet = Field(root, "sheet"))
            board.sheet = ReadSheet(*sheet, "/sheet");
        const Json& parts = Array(root["parts"], "/parts", BoardLimits::kParts, "parts");
        for (std::size_t i = 0; i < parts.size(); ++i)
            board.parts.push_back(ReadPart(parts[i], fmt::format("/parts/{}", i)));
        const Json& nets = Array(root["nets"], "/nets", BoardLimits::kNets, "nets");
        for (std::size_t i = 0; i < nets.size(); ++i)
            board.nets.push_back(ReadNet(nets[i], fmt::format("/nets/{}", i)));
        if (const Json* copper = Field(root, "copper"))
            ReadCopper(*copper, "/copper", board);
        return board;
    }

private:
    [[noreturn]] void Fail(const std::string& path, const std::string& message) const
    {
        throw ParseError(m_file, path.empty() ? "/" : path, message);
    }

    static const Json* Field(const Json& object, const char* key)
    {
        const auto it = object.find(key);
        return it == object.end() ? nullptr : &*it;
    }

    void ExpectObject(const Json& v, const std::string& path, std::initializer_list<const char*> required,
                      std::initializer_list<const char*> optional) const
    {
        if (!v.is_object())
            Fail(path, "expected an object {...}");
        for (const auto& [key, value] : v.items()) {
            bool known = false;
            for (const char* k : required)
                known = known || key == k;
            for (const char* k : optional)
                known = known || key == k;
            if (!known)
                Fail(path + "/" + key, fmt::format("unknown field \"{}\"", key));
        }
        for (const char* k : required)
            if (!v.contains(k))
                Fail(path + "/" + k, "required field is missing");
    }

    const Json& Array(const Json& v, const std::string& path, std::size_t maxCount, const char* what) const
    {
        if (!v.is_array())
            Fail(path, "expected an array [...]");
        if (v.size() > maxCount)
            Fail(path, fmt::format("{} {} is more than the {} allowed", v.size(), what, maxCount));
        return v;
    }

    std::int64_t Integer(const Json& v, const std::string& path, std::int64_t lo, std::int64_t hi, const char* what) const
    {
        if (!v.is_number_integer())
            Fail(path, fmt::format("expected {} as a whole number", what));
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > static_cast<std::uint64_t>(hi))
            Fail(path, fmt::format("{} is out of range ({} to {})", v.get<std::uint64_t>(), lo, hi));
        const std::int64_t n = v.get<std::int64_t>();
        if (n < lo || n > hi)
            Fail(path, fmt::format("{} is out of range ({} to {})", n, lo, hi));
        return n;
    }

    std::int32_t Coordinate(const Json& v, const std::string& path) const
    {
        if (!v.is_number_integer())
            Fail(path, "expected a coordinate in nm as a whole number");
        const bool big = v.is_number_unsigned() ? v.get<std::uint64_t>() > std::numeric_limits<std::int32_t>::max()
                                                : (v.get<std::int64_t>() < std::numeric_limits<std::int32_t>::min() ||
                                                   v.get<std::int64_t>() > std::numeric_limits<std::int32_t>::max());
        if (big)
            Fail(path, fmt::format("{} nm is outside the 32-bit coordinate range", v.dump()));
        return static_cast<std::int32_t>(v.get<std::int64_t>());
    }

    bool Boolean(const Json& v, const std::string& path) const
    {
        if (!v.is_boolean())
            Fail(path, "expected true or false");
        return v.get<bool>();
    }

    std::string Text(const Json& v, const std::string& path) const
    {
        if (!v.is_string())
            Fail(path, "expected a text \"...\"");
        const std::string& s = v.get_ref<const std::string&>();
        if (s.size() > BoardLimits::kTextBytes)
            Fail(path, fmt::format("text of {} bytes is longer than the {} allowed", s.size(), BoardLimits::kTextBytes));
        if (s.find('\0') != std::string::npos)
            Fail(path, "text contains a NUL character");
        return s;
    }

    Point ReadPoint(const Json& v, const std::string& path) const
    {
        if (!v.is_array() || v.size() != 2)
            Fail(path, "expected [x, y] in nm");
        return Point{Coordinate(v[0], path + "/0"), Coordinate(v[1], path + "/1")};
    }

    Rect ReadRect(const Json& v, const std::string& path) const
    {
        if (!v.is_array() || v.size() != 4)
            Fail(path, "expected [x1, y1, x2, y2] in nm");
        return Rect{Coordinate(v[0], path + "/0"), Coordinate(v[1], path + "/1"), Coordinate(v[2], path + "/2"),
                    Coordinate(v[3], path + "/3")};
    }

    std::pair<std::string, std::string> TextPair(const Json& v, const std::string& path, const char* shape) const
    {
        if (!v.is_array() || v.size() != 2)
            Fail(path, fmt::format("expected {}, two texts", shape));
        return {Text(v[0], path + "/0"), Text(v[1], path + "/1")};
    }

    Attributes ReadAttributes(const Json& v, const std::string& path) const
    {
        const Json& list = Array(v, path, BoardLimits::kAttributes, "attributes");
        Attributes attributes;
        for (std::size_t k = 0; k < list.size(); ++k) {
            auto [name, value] = TextPair(list[k], fmt::format("{}/{}", path, k), "[name, value]");
            attributes.push_back(Attribute{std::move(name), std::move(value)});
        }
        return attributes;
    }

    void ReadHeader(const Json& root) const
    {
        const Json& format = root["format"];
        if (!format.is_string() || format.get<std::string>() != kBoardFormatName)
            Fail("/format", fmt::format("not a Quillon board file (expected \"{}\")", kBoardFormatName));
        const std::int64_t version = Integer(root["version"], "/version", 0, std::numeric_limits<std::int32_t>::max(), "the version");
        if (version != kBoardFormatVersion)
            Fail("/version", fmt::format("version {} is not supported; this lqhost reads version {}", version,
                                         kBoardFormatVersion));
    }

    SheetSettings ReadSheet(const Json& v, const std::string& path) const
    {
        ExpectObject(v, path, {}, {"documentType", "backAnnotation", "backAnnotationManager", "moveSwap", "zoom"});
        SheetSettings sheet;
        if (const Json* f = Field(v, "documentType"))
            sheet.documentType = Text(*f, path + "/documentType");
        if (const Json* f = Field(v, "backAnnotation"))
            sheet.backAnnotation = Boolean(*f, path + "/backAnnotation");
        if (const Json* f = Field(v, "backAnnotationManager"))
            sheet.backAnnotationManager = Boolean(*f, path + "/backAnnotationManager");
        if (const Json* f = Field(v, "moveSwap")) {
            const std::string at = path + "/moveSwap";
            ExpectObject(*f, at, {}, {"mode", "pinSwap", "gateSwap"});
            if (const Json* g = Field(*f, "mode"))
                sheet.moveSwap.mode = static_cast<int>(Integer(*g, at + "/mode", 0, 3, "the mode"));
            if (const Json* g = Field(*f, "pinSwap"))
                sheet.moveSwap.pinSwap = Boolean(*g, at + "/pinSwap");
            if (const Json* g = Field(*f, "gateSwap"))
                sheet.moveSwap.gateSwap = static_cast<int>(Integer(*g, at + "/gateSwap", std::numeric_limits<std::int32_t>::min(),
                                                                   std::numeric_limits<std::int32_t>::max(), "the value"));
        }
        if (const Json* f = Field(v, "zoom"))
            sheet.zoom = Integer(*f, path + "/zoom", 1, 1000000000, "nm per pixel");
        return sheet;
    }

    Part ReadPart(const Json& v, const std::string& path)
    {
        ExpectObject(v, path, {"ref", "at"}, {"outline", "pinSwap", "attributes", "pins"});
        Part part;
        part.ref = Text(v["ref"], path + "/ref");
        part.at = ReadPoint(v["at"], path + "/at");
        if (const Json* f = Field(v, "outline"))
            part.outline = ReadRect(*f, path + "/outline");
        if (const Json* f = Field(v, "pinSwap"))
            part.pinSwap = Boolean(*f, path + "/pinSwap");
        if (const Json* f = Field(v, "attributes"))
            part.attributes = ReadAttributes(*f, path + "/attributes");
        if (const Json* f = Field(v, "pins")) {
            const Json& pins = Array(*f, path + "/pins", BoardLimits::kPinsPerPart, "pins in one part");
            m_pins += pins.size();
            if (m_pins > BoardLimits::kPins)
                Fail(path + "/pins", fmt::format("more than the {} pins a board may have", BoardLimits::kPins));
            for (std::size_t j = 0; j < pins.size(); ++j)
                part.pins.push_back(ReadPin(pins[j], fmt::format("{}/pins/{}", path, j)));
        }
        return part;
    }

    Pin ReadPin(const Json& v, const std::string& path) const
    {
        ExpectObject(v, path, {"at", "attributes"}, {"pad", "layers"});
        Pin pin;
        pin.at = ReadPoint(v["at"], path + "/at");
        if (const Json* f = Field(v, "pad"))
            pin.pad = ReadRect(*f, path + "/pad");
        if (const Json* f = Field(v, "layers")) {
            const Json& layers = Array(*f, path + "/layers", 16, "layers");
            if (layers.empty())
                Fail(path + "/layers", "a pin is on at least one copper layer");
            pin.layers = 0;
            for (std::size_t k = 0; k < layers.size(); ++k) {
                const int layer = CopperLayer(layers[k], fmt::format("{}/layers/{}", path, k));
                const std::uint32_t bit = CopperLayerBit(layer);
                if ((pin.layers & bit) != 0)
                    Fail(fmt::format("{}/layers/{}", path, k), fmt::format("layer {} is listed twice", layer));
                pin.layers |= bit;
            }
        }
        pin.attributes = ReadAttributes(v["attributes"], path + "/attributes");
        return pin;
    }

    Net ReadNet(const Json& v, const std::string& path) const
    {
        ExpectObject(v, path, {"name", "pins"}, {});
        Net net;
        net.name = Text(v["name"], path + "/name");
        const Json& pins = Array(v["pins"], path + "/pins", BoardLimits::kPins, "pins");
        for (std::size_t k = 0; k < pins.size(); ++k) {
            auto [part, pin] = TextPair(pins[k], fmt::format("{}/pins/{}", path, k), "[part, pin]");
            net.pins.push_back(PinRef{std::move(part), std::move(pin)});
        }
        return net;
    }

    void CountCopper(std::size_t n, const std::string& path)
    {
        m_copper += n;
        if (m_copper > BoardLimits::kCopper)
            Fail(path, fmt::format("more than the {} copper items a board may have", BoardLimits::kCopper));
    }

    std::string OptionalNet(const Json& v, const std::string& path) const
    {
        const Json* f = Field(v, "net");
        return f != nullptr ? Text(*f, path + "/net") : std::string();
    }

    int CopperLayer(const Json& v, const std::string& at) const
    {
        return static_cast<int>(Integer(v, at, 1, 16, "a copper layer"));
    }

    // One list of copper items: the net is read first, then fields() reads the rest.
    template <class T, class F>
    void ReadCopperList(const Json& copper, const std::string& path, const char* key,
                        std::initializer_list<const char*> required, std::vector<T>& into, F fields)
    {
        const Json* f = Field(copper, key);
        if (f == nullptr)
            return;
        const std::string listPath = path + "/" + key;
        const Json& list = Array(*f, listPath, BoardLimits::kCopper, key);
        CountCopper(list.size(), listPath);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string at = fmt::format("{}/{}", listPath, i);
            ExpectObject(list[i], at, required, {"net"});
            T item;
            item.net = OptionalNet(list[i], at);
            fields(item, list[i], at);
            into.push_back(std::move(item));
        }
    }

    void ReadCopper(const Json& v, const std::string& path, Board& board)
    {
        ExpectObject(v, path, {}, {"tracks", "vias", "polygons"});
        ReadCopperList(v, path, "tracks", {"layer", "width", "from", "to"}, board.tracks,
                       [&](Track& t, const Json& item, const std::string& at) {
                           t.layer = CopperLayer(item["layer"], at + "/layer");
                           t.width = static_cast<std::int32_t>(Integer(item["width"], at + "/width", 0,
                                                                       std::numeric_limits<std::int32_t>::max(), "the width in nm"));
                           t.from = ReadPoint(item["from"], at + "/from");
                           t.to = ReadPoint(item["to"], at + "/to");
                       });
        ReadCopperList(v, path, "vias", {"at", "diameter"}, board.vias, [&](Via& via, const Json& item, const std::string& at) {
            via.at = ReadPoint(item["at"], at + "/at");
            via.diameter = static_cast<std::int32_t>(
                Integer(item["diameter"], at + "/diameter", 0, std::numeric_limits<std::int32_t>::max(), "the diameter in nm"));
        });
        ReadCopperList(v, path, "polygons", {"layer", "points"}, board.polygons,
                       [&](Polygon& polygon, const Json& item, const std::string& at) {
                           polygon.layer = CopperLayer(item["layer"], at + "/layer");
                           const Json& points = Array(item["points"], at + "/points", BoardLimits::kPolygonPoints, "points");
                           for (std::size_t k = 0; k < points.size(); ++k)
                               polygon.points.push_back(ReadPoint(points[k], fmt::format("{}/points/{}", at, k)));
                       });
    }

    const std::string& m_file;
    std::size_t m_pins = 0;
    std::size_t m_copper = 0;
};

}  // namespace

Board ParseBoardJson(std::string_view text, const std::string& fileName)
{
    if (text.size() > BoardLimits::kFileBytes)
        throw ParseError(fileName, "", fmt::format("too large ({} bytes; the limit is {})", text.size(), BoardLimits::kFileBytes));
    Json root;
    const ParseGuard guard(fileName);
    try {
        root = Json::parse(text.begin(), text.end(), guard);
    } catch (const Json::parse_error& e) {
        throw ParseError(fileName, LineColumn(text, e.byte == 0 ? 0 : e.byte - 1), "malformed JSON: " + SyntaxReason(e.what()));
    } catch (const Json::out_of_range& e) {
        // A number beyond a double's range, such as 1e400: the parser gives no byte, the guard the path.
        throw ParseError(fileName, guard.ValuePath(), SyntaxReason(e.what()));
    }
    // The parser takes a NUL byte for the end of the text; whatever follows it is not a board.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos)
        throw ParseError(fileName, LineColumn(text, nul), "trailing data after the board (a NUL byte)");
    Board board = Reader(fileName).Read(root);
    if (const auto problem = CheckBoard(board))
        throw ParseError(fileName, problem->place, problem->message);
    return board;
}

Board ReadBoardFile(const std::string& path)
{
    return ParseBoardJson(ReadInputFile(path, BoardLimits::kFileBytes), path);
}

}  // namespace lq
