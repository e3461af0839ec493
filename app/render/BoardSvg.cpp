#include "app/render/BoardSvg.h"

#include <fmt/core.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "app/metrics/Airwires.h"
#include "app/render/SvgDrawContext.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "app/session/ToolIds.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "host/PlugInBase.h"

namespace lq {

namespace {

constexpr const char* kBackground = "#fbfaf5";
constexpr const char* kOutline = "#4a4a4a";
constexpr const char* kPad = "#b8b8b8";
constexpr const char* kPadEdge = "#6b6b6b";
constexpr const char* kCopper = "#c8743a";
constexpr const char* kAirwire = "#1c6dd0";
constexpr const char* kChanged = "#e63946";

struct Bounds {
    std::int64_t minX = std::numeric_limits<std::int64_t>::max(), minY = minX;
    std::int64_t maxX = std::numeric_limits<std::int64_t>::min(), maxY = maxX;
    void Add(std::int64_t x, std::int64_t y)
    {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    void Add(const Rect& r) { Add(r.x1, r.y1), Add(r.x2, r.y2); }
    void Add(const Point& p) { Add(p.x, p.y); }
    bool Empty() const { return minX > maxX; }
};

Bounds BoardBounds(const Board& board)
{
    Bounds b;
    for (const Part& part : board.parts) {
        b.Add(AbsoluteOutline(part));
        for (const Pin& pin : part.pins)
            b.Add(AbsolutePad(part, pin));
    }
    for (const Track& t : board.tracks)
        b.Add(t.from), b.Add(t.to);
    for (const Via& v : board.vias)
        b.Add(v.at);
    for (const Polygon& p : board.polygons)
        for (const Point& pt : p.points)
            b.Add(pt);
    if (b.Empty())
        b.Add(0, 0), b.Add(1000000, 1000000);
    return b;
}

std::string RectElement(const Rect& r, const std::string& style)
{
    const std::int64_t x = std::min(r.x1, r.x2), top = std::max(r.y1, r.y2);
    const std::int64_t w = std::int64_t{std::max(r.x1, r.x2)} - x, h = top - std::min(r.y1, r.y2);
    return fmt::format("<rect x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" {}/>\n", SvgX(x), SvgY(top), SvgLength(w),
                       SvgLength(h), style);
}

void DrawParts(std::string& out, const Board& board, std::int64_t px)
{
    out += fmt::format("<g id=\"parts\" fill=\"none\" stroke=\"{}\" stroke-width=\"{}\">\n", kOutline, SvgLength(px));
    for (const Part& part : board.parts)
        out += RectElement(AbsoluteOutline(part), "");
    out += "</g>\n";
}

// References go over pads and airwires, with a halo of the background, so that they stay readable.
void DrawReferences(std::string& out, const Board& board, std::int64_t px)
{
    out += fmt::format("<g id=\"references\" font-family=\"sans-serif\" fill=\"{}\" stroke=\"{}\" stroke-width=\"{}\" "
                       "paint-order=\"stroke\" text-anchor=\"middle\" dominant-baseline=\"central\">\n",
                       kOutline, kBackground, SvgLength(3 * px));
    for (const Part& part : board.parts) {
        const Rect o = AbsoluteOutline(part);
        const std::int64_t height = std::abs(std::int64_t{o.y2} - o.y1);
        const std::int64_t size = std::clamp(height / 4, 10 * px, 28 * px);
        const std::int64_t cx = (std::int64_t{o.x1} + o.x2) / 2, cy = (std::int64_t{o.y1} + o.y2) / 2;
        out += fmt::format("<text x=\"{}\" y=\"{}\" font-size=\"{}\">{}</text>\n", SvgX(cx), SvgY(cy), SvgLength(size),
                           XmlEscape(part.ref));
    }
    out += "</g>\n";
}

// What each colour means, and the figures, under the board.
void DrawLegend(std::string& out, std::int64_t x, std::int64_t y, const std::string& figures, std::int64_t px)
{
    const std::int64_t font = 12 * px, step = 110 * px;
    out += fmt::format("<g id=\"legend\" font-family=\"sans-serif\" font-size=\"{}\" fill=\"#222222\">\n", SvgLength(font));
    const std::int64_t mid = y + 4 * px;
    struct Key {
        std::string mark;
        const char* text;
    };
    const Key keys[] = {
        {fmt::format("<rect x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" fill=\"{}\" stroke=\"{}\"/>", SvgX(x), SvgY(mid + 5 * px),
                     SvgLength(10 * px), SvgLength(10 * px), kPad, kPadEdge),
         "pad"},
        {"", "airwire"},
        {"", "copper"},
        {"", "pin on a new net"},
        {"", "gate marker (plug-in)"},
    };
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        const std::int64_t kx = x + static_cast<std::int64_t>(i) * step;
        std::string mark = keys[i].mark;
        if (i == 1 || i == 2)
            mark = fmt::format("<line x1=\"{}\" y1=\"{}\" x2=\"{}\" y2=\"{}\" stroke=\"{}\" stroke-width=\"{}\"/>", SvgX(kx),
                               SvgY(mid), SvgX(kx + 14 * px), SvgY(mid), i == 1 ? kAirwire : kCopper, SvgLength(i == 1 ? 2 * px : 3 * px));
        else if (i == 3)
            mark = fmt::format("<circle cx=\"{}\" cy=\"{}\" r=\"{}\" fill=\"none\" stroke=\"{}\" stroke-width=\"{}\"/>",
                               SvgX(kx + 5 * px), SvgY(mid), SvgLength(5 * px), kChanged, SvgLength(2 * px));
        else if (i == 4)
            mark = fmt::format("<circle cx=\"{}\" cy=\"{}\" r=\"{}\" fill=\"{}\" stroke=\"{}\" stroke-width=\"{}\"/>",
                               SvgX(kx + 5 * px), SvgY(mid), SvgLength(5 * px), SvgColour(8), SvgColour(38), SvgLength(px));
        out += mark + fmt::format("<text x=\"{}\" y=\"{}\" dominant-baseline=\"central\">{}</text>\n", SvgX(kx + 18 * px),
                                  SvgY(mid), keys[i].text);
    }
    if (!figures.empty())
        out += fmt::format("<text x=\"{}\" y=\"{}\">{}</text>\n", SvgX(x), SvgY(y - 14 * px), XmlEscape(figures));
    out += "</g>\n";
}

void DrawCopper(std::string& out, const Board& board, std::int64_t px)
{
    out += fmt::format("<g id=\"copper\" fill=\"{0}\" stroke=\"{0}\" stroke-linecap=\"round\">\n", kCopper);
    for (const Polygon& p : board.polygons) {
        std::string points;
        for (const Point& pt : p.points)
            points += fmt::format("{}{},{}", points.empty() ? "" : " ", SvgX(pt.x), SvgY(pt.y));
        out += fmt::format("<polygon points=\"{}\" opacity=\"0.45\" stroke=\"none\"/>\n", points);
    }
    for (const Track& t : board.tracks)
        out += fmt::format("<line x1=\"{}\" y1=\"{}\" x2=\"{}\" y2=\"{}\" stroke-width=\"{}\"/>\n", SvgX(t.from.x),
                           SvgY(t.from.y), SvgX(t.to.x), SvgY(t.to.y), SvgLength(std::max<std::int64_t>(t.width, px)));
    for (const Via& v : board.vias)
        out += fmt::format("<circle cx=\"{}\" cy=\"{}\" r=\"{}\" stroke=\"none\"/>\n", SvgX(v.at.x), SvgY(v.at.y),
                           SvgLength(std::max<std::int64_t>(v.diameter / 2, px)));
    out += "</g>\n";
}

void DrawPads(std::string& out, const Board& board, const std::set<PinIndex>& changed, std::int64_t px)
{
    out += fmt::format("<g id=\"pads\" stroke-width=\"{}\">\n", SvgLength(px));
    for (std::size_t i = 0; i < board.parts.size(); ++i)
        for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
            const bool hot = changed.count(PinIndex{i, j}) != 0;
            out += RectElement(AbsolutePad(board.parts[i], board.parts[i].pins[j]),
                               fmt::format("fill=\"{}\" stroke=\"{}\"", hot ? kChanged : kPad, hot ? kChanged : kPadEdge));
        }
    out += "</g>\n";
}

void DrawAirwires(std::string& out, const std::vector<Airwire>& airwires, std::int64_t px)
{
    out += fmt::format("<g id=\"airwires\" stroke=\"{}\" stroke-width=\"{}\">\n", kAirwire, SvgLength(px + px / 2));
    for (const Airwire& a : airwires)
        out += fmt::format("<line x1=\"{}\" y1=\"{}\" x2=\"{}\" y2=\"{}\"/>\n", SvgX(a.from.x), SvgY(a.from.y), SvgX(a.to.x),
                           SvgY(a.to.y));
    out += "</g>\n";
}

void DrawChangedRings(std::string& out, const Board& board, const std::set<PinIndex>& changed, std::int64_t px)
{
    out += fmt::format("<g id=\"changed\" fill=\"none\" stroke=\"{}\" stroke-width=\"{}\">\n", kChanged, SvgLength(2 * px));
    for (const PinIndex& p : changed) {
        if (p.part >= board.parts.size() || p.pin >= board.parts[p.part].pins.size())
            continue;
        const Part& part = board.parts[p.part];
        const Pin& pin = part.pins[p.pin];
        const Point at = AbsolutePin(part, pin);
        const std::int64_t half = std::max(std::abs(std::int64_t{pin.pad.x2} - pin.pad.x1),
                                           std::abs(std::int64_t{pin.pad.y2} - pin.pad.y1)) / 2;
        out += fmt::format("<circle cx=\"{}\" cy=\"{}\" r=\"{}\"/>\n", SvgX(at.x), SvgY(at.y),
                           SvgLength(std::max(half, 4 * px) + 3 * px));
    }
    out += "</g>\n";
}

}  // namespace

std::string RenderBoardSvg(const Board& board, const BoardPicture& picture)
{
    return RenderBoardSvg(board, picture, ComputeAirwires(board));
}

std::string RenderBoardSvg(const Board& board, const BoardPicture& picture, const std::vector<Airwire>& airwires)
{
    constexpr double kMostPixelsAcross = 8000;
    const Bounds drawn = BoardBounds(board);
    auto marginFor = [&](std::int64_t px) {
        return std::max({(drawn.maxX - drawn.minX) / 20, (drawn.maxY - drawn.minY) / 20, 20 * px});
    };
    auto framed = [&](std::int64_t px) {
        Bounds b = drawn;
        const std::int64_t margin = marginFor(px);
        b.minX -= margin, b.maxX += margin, b.minY -= margin + 44 * px, b.maxY += margin;  // room for the legend
        return b;
    };
    // A pixel is the sheet's, unless the board would then be wider than the widest picture: drawn
    // smaller, its lines and texts would thin below a pixel, so they take the picture's pixel.
    std::int64_t px = board.sheet.zoom;
    Bounds b = framed(px);
    if (static_cast<double>(b.maxX - b.minX) / static_cast<double>(px) > kMostPixelsAcross) {
        px = static_cast<std::int64_t>(std::ceil(static_cast<double>(b.maxX - b.minX) / kMostPixelsAcross));
        b = framed(px);
    }
    const std::int64_t margin = marginFor(px);
    const std::int64_t w = b.maxX - b.minX, h = b.maxY - b.minY;
    const double pixelsAcross = std::clamp(static_cast<double>(w) / static_cast<double>(px), 200.0, kMostPixelsAcross);
    const double pixelsDown = pixelsAcross * static_cast<double>(h) / static_cast<double>(w);

    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += fmt::format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{:.0f}\" height=\"{:.0f}\" viewBox=\"{} {} {} {}\">\n",
                       pixelsAcross, pixelsDown, SvgX(b.minX), SvgY(b.maxY), SvgLength(w), SvgLength(h));
    out += fmt::format("<title>{}</title>\n", XmlEscape(picture.title));
    out += fmt::format("<rect x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" fill=\"{}\"/>\n", SvgX(b.minX), SvgY(b.maxY),
                       SvgLength(w), SvgLength(h), kBackground);
    DrawParts(out, board, px);
    DrawCopper(out, board, px);
    DrawPads(out, board, picture.highlighted, px);
    DrawAirwires(out, airwires, px);
    out += "<g id=\"gates\">\n" + picture.markers + "</g>\n";
    DrawChangedRings(out, board, picture.highlighted, px);
    DrawReferences(out, board, px);
    DrawLegend(out, b.minX + margin / 2, b.minY + 12 * px, picture.title, px);
    out += "</svg>\n";
    return out;
}

std::string PaintGateMarkers(const PlugInSession& session, HostSheet& sheet)
{
    CLQ_DrawObjectsInterface* drawObjects = session.DrawObjects();
    CDrawTool* tool = drawObjects != nullptr ? drawObjects->GetToolByUIID(kSwapGateToolUIID) : nullptr;
    if (tool == nullptr)
        return {};
    sheet.MakeCurrent();
    SvgDrawContext svg;
    svg.SetZoom(sheet.Original().sheet.zoom);
    CDrawTool* previousTool = GetDrawTool();
    CDrawContext* previousContext = GetDrawContext();
    LQSetDrawContext(&svg);
    tool->SetDrawContext(&svg);
    LQSetDrawTool(tool);
    tool->InitTool(nullptr);
    AfxPumpEvents();
    tool->DrawToolOverlay();
    AfxPumpEvents();
    tool->EndTool();
    AfxPumpEvents();
    tool->SetDrawContext(nullptr);
    LQSetDrawTool(previousTool);
    LQSetDrawContext(previousContext);
    return svg.Elements();
}

}  // namespace lq
