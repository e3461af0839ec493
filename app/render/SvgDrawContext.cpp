#include "app/render/SvgDrawContext.h"

#include <fmt/core.h>

#include <algorithm>

#include "app/core/Decimal.h"
#include "app/core/Printable.h"
#include "host/DrawObject.h"

namespace lq {

namespace {
constexpr const char* kFaint = "0.35";
// Alignment byte of the host's text format that centres the text on its point.
constexpr int kAlignCentre = 4;
}  // namespace

std::string SvgLength(std::int64_t nm) { return ShortDecimal(nm, 3); }

std::string SvgX(std::int64_t x) { return SvgLength(x); }
std::string SvgY(std::int64_t y) { return SvgLength(-y); }

std::string SvgColour(int index)
{
    switch (index) {
    case 8:
        return "#fff1a8";
    case 32:
        return "#ff8c1a";
    case 38:
        return "#1d3557";
    default:
        return "#808080";
    }
}

std::string XmlEscape(const std::string& text)
{
    std::string out;
    for (char c : Printable(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

void SvgDrawContext::Clear()
{
    m_elements.clear();
    ClearCalls();
}

std::int64_t SvgDrawContext::StrokeWidth(std::int64_t width) const { return std::max(width, GetZoom()); }

std::string SvgDrawContext::Opacity() const { return GetDrawFlag() ? fmt::format(" opacity=\"{}\"", kFaint) : ""; }

void SvgDrawContext::DrawLine(const CLQPoint& from, const CLQPoint& to)
{
    CDrawContext::DrawLine(from, to);
    m_elements += fmt::format("<line x1=\"{}\" y1=\"{}\" x2=\"{}\" y2=\"{}\" stroke=\"{}\" stroke-width=\"{}\" "
                              "stroke-linecap=\"round\"{}/>\n",
                              SvgX(from.x), SvgY(from.y), SvgX(to.x), SvgY(to.y), SvgColour(GetColor()),
                              SvgLength(StrokeWidth(GetLineWidth())), Opacity());
}

void SvgDrawContext::DrawCircle(CLQPoint centre, int nRadius)
{
    CDrawContext::DrawCircle(centre, nRadius);
    const std::string paint = GetFill() ? fmt::format("fill=\"{}\" stroke=\"none\"", SvgColour(GetColor()))
                                        : fmt::format("fill=\"none\" stroke=\"{}\" stroke-width=\"{}\"", SvgColour(GetColor()),
                                                      SvgLength(StrokeWidth(GetLineWidth())));
    m_elements += fmt::format("<circle cx=\"{}\" cy=\"{}\" r=\"{}\" {}{}/>\n", SvgX(centre.x), SvgY(centre.y),
                              SvgLength(std::max(nRadius, 0)), paint, Opacity());
}

void SvgDrawContext::DrawText(const CLQPoint& at, const CString& text)
{
    CDrawContext::DrawText(at, text);
    const LQ_TEXTFORMAT format = GetTextFormat();
    const std::int64_t size = std::max(format.m_nSizeY, GetZoom());
    const char* anchor = format.m_byAlign == kAlignCentre ? " text-anchor=\"middle\" dominant-baseline=\"central\"" : "";
    m_elements += fmt::format("<text x=\"{}\" y=\"{}\" font-family=\"sans-serif\" font-size=\"{}\" fill=\"{}\"{}{}>{}</text>\n",
                              SvgX(at.x), SvgY(at.y), SvgLength(size), SvgColour(GetColor()), anchor, Opacity(),
                              XmlEscape(text.str()));
}

void SvgDrawContext::DrawDrawObject(CDrawObject* pObject)
{
    CDrawContext::DrawDrawObject(pObject);
    if (pObject == nullptr)
        return;
    CLQRect r;
    pObject->GetBoundingRect(r, false);
    // Half a pixel of room so that a pad of no size still shows.
    const std::int64_t grow = GetZoom() / 2;
    const std::int64_t x = std::int64_t{r.MinX()} - grow, y = std::int64_t{r.MaxY()} + grow;
    const std::int64_t w = std::int64_t{r.MaxX()} - r.MinX() + 2 * grow, h = std::int64_t{r.MaxY()} - r.MinY() + 2 * grow;
    m_elements += fmt::format("<rect x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" fill=\"none\" stroke=\"{}\" "
                              "stroke-width=\"{}\"{}/>\n",
                              SvgX(x), SvgY(y), SvgLength(w), SvgLength(h), SvgColour(GetColor()),
                              SvgLength(StrokeWidth(2 * GetZoom())), Opacity());
}

}  // namespace lq
