#include "app/formats/kicad/KicadCopper.h"

#include "app/formats/RoutedMarkers.h"

#include <fmt/core.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace lq::kicad {

namespace {

struct CopperPoint {
    Point at;
    LayerSet layers = 0;
};

struct NetCopper {
    std::vector<CopperPoint> points;  // track ends and vias, by x
    std::vector<const KicadFill*> fills;
};

// The point in the pad's own frame, from the copper's centre.
std::pair<double, double> Local(const KicadPad& pad, const Point& p)
{
    const double r = pad.degrees * M_PI / 180.0;
    const double c = std::cos(r), s = std::sin(r);
    const double ox = static_cast<double>(p.x) - pad.at.x, oy = static_cast<double>(p.y) - pad.at.y;
    return {ox * c - oy * s - pad.offset.x, ox * s + oy * c - pad.offset.y};
}

// A file may pile copper and pads on one spot; past this many steps the test is refused rather
// than left to run for hours.
constexpr std::size_t kCopperSteps = 500'000'000;

}  // namespace

bool PadContains(const KicadPad& pad, const Point& p)
{
    const auto [x, y] = Local(pad, p);
    const double w = pad.width / 2.0, h = pad.height / 2.0;
    constexpr double kSlack = 0.5;  // nanometres of rounding in the turn
    switch (pad.shape) {
    case PadShape::Circle:
        return std::hypot(x, y) <= w + kSlack;
    case PadShape::Oval: {
        const double r = std::min(w, h);
        const double dx = std::max(0.0, std::fabs(x) - (w - r)), dy = std::max(0.0, std::fabs(y) - (h - r));
        return std::hypot(dx, dy) <= r + kSlack;
    }
    default:
        return std::fabs(x) <= w + kSlack && std::fabs(y) <= h + kSlack;
    }
}

Rect PadBox(const KicadPad& pad)
{
    const double r = pad.degrees * M_PI / 180.0;
    const double c = std::fabs(std::cos(r)), s = std::fabs(std::sin(r));
    const double hw = (pad.width * c + pad.height * s) / 2.0, hh = (pad.width * s + pad.height * c) / 2.0;
    // The offset turns with the pad, the same way as a footprint's pads turn with it.
    const double rc = std::cos(r), rs = std::sin(r);
    const double cx = pad.offset.x * rc + pad.offset.y * rs, cy = -pad.offset.x * rs + pad.offset.y * rc;
    auto n = [](double v) { return static_cast<std::int32_t>(std::llround(v)); };
    return Rect{n(cx - hw), n(cy - hh), n(cx + hw), n(cy + hh)};
}

std::vector<std::vector<bool>> PadsOnCopper(const KicadBoard& board)
{
    std::map<std::string, NetCopper> nets;
    for (const KicadTrack& t : board.tracks)
        if (!t.net.empty() && t.layer != 0)
            nets[t.net].points.push_back({t.a, t.layer}), nets[t.net].points.push_back({t.b, t.layer});
    for (const KicadVia& v : board.vias)
        if (!v.net.empty())
            nets[v.net].points.push_back({v.at, v.layers});
    for (const KicadFill& f : board.fills)
        nets[f.net].fills.push_back(&f);
    for (auto& [name, copper] : nets)
        std::sort(copper.points.begin(), copper.points.end(),
                  [](const CopperPoint& a, const CopperPoint& b) { return a.at.x < b.at.x; });

    std::size_t steps = 0;
    std::vector<std::vector<bool>> routed;
    for (const KicadFootprint& fp : board.footprints) {
        std::vector<bool>& on = routed.emplace_back(fp.pads.size(), false);
        for (std::size_t k = 0; k < fp.pads.size(); ++k) {
            const KicadPad& pad = fp.pads[k];
            const auto it = pad.net.empty() || pad.layers == 0 ? nets.end() : nets.find(pad.net);
            if (it == nets.end())
                continue;
            const Rect box = PadBox(pad);
            const std::int64_t lo = std::int64_t{pad.at.x} + std::min(box.x1, box.x2) - 1;
            const std::int64_t hi = std::int64_t{pad.at.x} + std::max(box.x1, box.x2) + 1;
            const auto& points = it->second.points;
            auto p = std::lower_bound(points.begin(), points.end(), lo,
                                      [](const CopperPoint& c, std::int64_t x) { return c.at.x < x; });
            for (; p != points.end() && p->at.x <= hi && !on[k]; ++p, ++steps)
                on[k] = (p->layers & pad.layers) != 0 && PadContains(pad, p->at);
            for (const KicadFill* f : it->second.fills) {
                if (on[k])
                    break;
                steps += f->points.size();
                on[k] = (f->layer & pad.layers) != 0 && PolygonCovers(f->points, pad.at);
            }
            if (steps > kCopperSteps)
                board.file->Fail(pad.node, fmt::format("telling which pads the copper of their nets reaches takes more "
                                                       "than {} steps", kCopperSteps));
        }
    }
    return routed;
}

}  // namespace lq::kicad
