#include "app/formats/eagle/EagleCopper.h"

#include <fmt/core.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_map>

#include "app/formats/eagle/EagleValues.h"

namespace lq::eagle {

namespace {

struct CopperPoint {
    Point at;
    std::uint32_t layers = 0;
};

struct SignalCopper {
    std::vector<CopperPoint> points;  // wire ends and vias, by x
    std::vector<std::pair<std::uint32_t, std::vector<Point>>> polygons;
};

bool Inside(const Rect& r, const Point& p)
{
    return p.x >= std::min(r.x1, r.x2) && p.x <= std::max(r.x1, r.x2) && p.y >= std::min(r.y1, r.y2) &&
           p.y <= std::max(r.y1, r.y2);
}

// "1-16": the layers a via goes through.
std::uint32_t ViaLayers(const XmlFile& file, const pugi::xml_node& node)
{
    const std::string extent = Text(file, node, "extent");
    int from = 0, to = 0;
    const char* end = extent.data() + extent.size();
    const auto a = std::from_chars(extent.data(), end, from);
    const bool ok = a.ec == std::errc() && a.ptr != end && *a.ptr == '-' &&
                    std::from_chars(a.ptr + 1, end, to).ptr == end && from >= 1 && from <= 16 && to >= 1 && to <= 16;
    if (!ok)
        file.Fail(node, fmt::format("extent=\"{}\" is not a layer range such as 1-16", extent));
    std::uint32_t bits = 0;
    for (int l = std::min(from, to); l <= std::max(from, to); ++l)
        bits |= CopperLayerBit(l);
    return bits;
}

SignalCopper ReadSignalCopper(const XmlFile& file, const pugi::xml_node& signal, std::size_t& total)
{
    SignalCopper copper;
    auto count = [&](const pugi::xml_node& node, std::size_t n) {
        total += n;
        if (total > EagleLimits::kCopper)
            file.Fail(node, fmt::format("more than {} wires, vias and polygon vertices in signals", EagleLimits::kCopper));
    };
    for (const pugi::xml_node node : signal.children()) {
        const char* tag = node.name();
        if (std::strcmp(tag, "wire") == 0) {
            count(node, 1);
            const std::uint32_t bit = CopperLayerBit(Layer(file, node));
            const Point a = PointAt(file, node, "x1", "y1"), b = PointAt(file, node, "x2", "y2");
            NonNegative(file, node, "width", 0.0);
            if (bit != 0)
                copper.points.push_back({a, bit}), copper.points.push_back({b, bit});
        } else if (std::strcmp(tag, "via") == 0) {
            count(node, 1);
            copper.points.push_back({PointAt(file, node), ViaLayers(file, node)});
            NonNegative(file, node, "drill", 0.0);
            NonNegative(file, node, "diameter", 0.0);
        } else if (std::strcmp(tag, "polygon") == 0) {
            const std::uint32_t bit = CopperLayerBit(Layer(file, node));
            NonNegative(file, node, "width", 0.0);
            std::vector<Point> points;
            for (const pugi::xml_node v : Children(node, "vertex")) {
                count(v, 1);
                if (points.size() >= EagleLimits::kVertices)
                    file.Fail(node, fmt::format("more than {} vertices", EagleLimits::kVertices));
                points.push_back(PointAt(file, v));
            }
            if (bit != 0 && points.size() >= 3)
                copper.polygons.emplace_back(bit, std::move(points));
        }
    }
    std::sort(copper.points.begin(), copper.points.end(), [](const CopperPoint& a, const CopperPoint& b) { return a.at.x < b.at.x; });
    return copper;
}

// A file may pile copper and pads on one spot; past this many steps the test is refused rather
// than left to run for hours.
constexpr std::size_t kCopperSteps = 500'000'000;

bool Reaches(const SignalCopper& copper, const Rect& pad, const Point& centre, std::uint32_t layers, std::size_t& steps)
{
    const std::int32_t lo = std::min(pad.x1, pad.x2), hi = std::max(pad.x1, pad.x2);
    auto it = std::lower_bound(copper.points.begin(), copper.points.end(), lo,
                               [](const CopperPoint& c, std::int32_t x) { return c.at.x < x; });
    for (; it != copper.points.end() && it->at.x <= hi; ++it, ++steps)
        if ((it->layers & layers) != 0 && Inside(pad, it->at))
            return true;
    for (const auto& [bit, points] : copper.polygons) {
        steps += points.size();
        if ((bit & layers) != 0 && PolygonCovers(points, centre))
            return true;
    }
    return false;
}

}  // namespace

std::set<PinIndex> PinsOnCopper(const EagleDesign& design, const Board& board, const BoardIndex& index)
{
    std::set<PinIndex> routed;
    std::size_t total = 0, steps = 0;
    for (std::size_t n = 0; n < board.nets.size(); ++n) {
        const SignalCopper copper = ReadSignalCopper(*design.board, design.signals[n], total);
        if (copper.points.empty() && copper.polygons.empty())
            continue;
        for (const PinRef& ref : board.nets[n].pins) {
            const PinIndex pin = *index.FindPin(ref);
            const Part& part = board.parts[pin.part];
            const Pin& p = part.pins[pin.pin];
            if (Reaches(copper, AbsolutePad(part, p), AbsolutePin(part, p), p.layers, steps))
                routed.insert(pin);
            if (steps > kCopperSteps)
                design.board->Fail(design.signals[n], fmt::format("telling which pads the copper of the signals reaches "
                                                                  "takes more than {} steps", kCopperSteps));
        }
    }
    return routed;
}

}  // namespace lq::eagle
