#include "app/formats/eagle/EagleBoardReader.h"

#include <fmt/core.h>

#include <algorithm>
#include <set>

#include "app/formats/eagle/EagleValues.h"
#include "host/AttributeNames.h"

namespace lq::eagle {

namespace {

// A mirrored element puts its smds on the other side.
std::uint32_t PadLayers(const PadDef& pad, bool mirrored)
{
    if (!pad.smd)
        return kAllCopperLayers;
    return CopperLayerBit(mirrored ? 17 - pad.layer : pad.layer);
}

// Offsets from a point; a package may be so large that they leave 32 bits even when its pads do not.
Rect Bounds(const XmlFile& file, const pugi::xml_node& node, const std::vector<Point>& points, const Point& from)
{
    std::int64_t x1 = points[0].x, y1 = points[0].y, x2 = x1, y2 = y1;
    for (const Point& p : points) {
        x1 = std::min<std::int64_t>(x1, p.x), y1 = std::min<std::int64_t>(y1, p.y);
        x2 = std::max<std::int64_t>(x2, p.x), y2 = std::max<std::int64_t>(y2, p.y);
    }
    auto off = [&](std::int64_t v, std::int32_t base) { return Round(file, node, static_cast<double>(v - base), "the package's extent"); };
    return Rect{off(x1, from.x), off(y1, from.y), off(x2, from.x), off(y2, from.y)};
}

Part ReadElement(const XmlFile& file, const pugi::xml_node& node, const PackageDef& package, std::size_t& pinCount)
{
    Part part;
    part.ref = Text(file, node, "name");
    const Vec origin = VecAt(file, node);
    const Rotation rot = RotationOf(file, node);
    part.at = Point{Round(file, node, origin.x, "the element"), Round(file, node, origin.y, "the element")};
    const Placement placement(origin, rot);
    std::vector<Point> outline;
    for (const PadDef& pad : package.pads) {
        if (++pinCount > EagleLimits::kPins)
            file.Fail(node, fmt::format("more than {} pads on the board", EagleLimits::kPins));
        const Vec c = placement.Apply(pad.centre);
        const Point at{Round(file, node, c.x, "a pad"), Round(file, node, c.y, "a pad")};
        std::vector<Point> corners;
        for (const Vec& v : pad.corners) {
            const Vec p = placement.Apply(v);
            corners.push_back(Point{Round(file, node, p.x, "a pad"), Round(file, node, p.y, "a pad")});
            outline.push_back(corners.back());
        }
        Pin pin;
        const Rect offset = Bounds(file, node, {at}, part.at);
        pin.at = Point{offset.x1, offset.y1};
        pin.pad = Bounds(file, node, corners, at);
        pin.layers = PadLayers(pad, rot.mirror);
        pin.attributes.push_back(Attribute{LQ_PIN, pad.name});
        part.pins.push_back(std::move(pin));
    }
    if (!outline.empty())
        part.outline = Bounds(file, node, outline, part.at);
    return part;
}

void ReadElements(EagleDesign& design, const pugi::xml_node& boardNode, Board& board)
{
    const XmlFile& file = *design.board;
    std::map<std::string, pugi::xml_node> seen;
    std::size_t pinCount = 0;
    for (const pugi::xml_node node : Children(boardNode.child("elements"), "element")) {
        if (board.parts.size() >= EagleLimits::kElements)
            file.Fail(node, fmt::format("more than {} elements", EagleLimits::kElements));
        const std::string name = Text(file, node, "name");
        if (name.empty())
            file.Fail(node, "the element name is empty");
        if (const auto [it, fresh] = seen.emplace(name, node); !fresh)
            file.Fail(node, fmt::format("a second element named \"{}\" (the first is on line {})", name, file.Line(it->second)));
        const std::string libraryName = Text(file, node, "library");
        const std::string packageName = Text(file, node, "package");
        const LibraryDef* library = design.boardLibraries->Find(libraryName, TextOr(file, node, "library_urn", ""));
        if (library == nullptr)
            file.Fail(node, fmt::format("library \"{}\" is not in the board's libraries", libraryName));
        const auto package = library->packages.find(packageName);
        if (package == library->packages.end())
            file.Fail(node, fmt::format("package \"{}\" is not in library {}", packageName, libraryName));
        board.parts.push_back(ReadElement(file, node, package->second, pinCount));
        PartLink link;
        link.element = node;
        link.package = &package->second;
        design.parts.push_back(link);
    }
}

void ReadSignals(EagleDesign& design, const pugi::xml_node& boardNode, Board& board)
{
    const XmlFile& file = *design.board;
    const BoardIndex index(board);
    std::map<std::string, pugi::xml_node> names;
    std::map<PinIndex, std::string> signalOf;
    for (const pugi::xml_node node : Children(boardNode.child("signals"), "signal")) {
        if (board.nets.size() >= EagleLimits::kSignals)
            file.Fail(node, fmt::format("more than {} signals", EagleLimits::kSignals));
        Net net;
        net.name = Text(file, node, "name");
        if (net.name.empty())
            file.Fail(node, "the signal name is empty");
        if (const auto [it, fresh] = names.emplace(net.name, node); !fresh)
            file.Fail(node, fmt::format("a second signal named \"{}\" (the first is on line {})", net.name, file.Line(it->second)));
        for (const pugi::xml_node ref : Children(node, "contactref")) {
            const PinRef pinRef{Text(file, ref, "element"), Text(file, ref, "pad")};
            const auto part = index.FindPart(pinRef.part);
            if (!part)
                file.Fail(ref, fmt::format("signal {} names element \"{}\", which is not on the board", net.name, pinRef.part));
            const auto pin = index.FindPin(pinRef);
            if (!pin)
                file.Fail(ref, fmt::format("signal {} names pad \"{}\" of element {}, whose package {} has no such pad",
                                           net.name, pinRef.pin, pinRef.part, design.parts[*part].package->name));
            if (const auto [it, fresh] = signalOf.emplace(*pin, net.name); !fresh)
                file.Fail(ref, fmt::format("pad {}.{} is already in signal {}", pinRef.part, pinRef.pin, it->second));
            design.contacts.emplace(*pin, ref);
            net.pins.push_back(pinRef);
        }
        board.nets.push_back(std::move(net));
        design.signals.push_back(node);
    }
}

}  // namespace

void ReadBoardSide(EagleDesign& design, Board& board)
{
    const XmlFile& file = *design.board;
    const pugi::xml_node boardNode = file.Root().child("drawing").child("board");
    if (!boardNode)
        file.Fail(file.Root(), "not an Eagle board: there is no <drawing><board>");
    design.boardLibraries = std::make_unique<LibrarySet>(file, boardNode, ReadPadRules(file, boardNode));
    ReadElements(design, boardNode, board);
    ReadSignals(design, boardNode, board);
}

}  // namespace lq::eagle
