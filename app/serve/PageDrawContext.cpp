#include "app/serve/PageDrawContext.h"

#include <fmt/core.h>

#include "app/report/Labels.h"
#include "app/session/HostSheet.h"

namespace lq {

void PageDrawContext::ClearPainting()
{
    Clear();
    m_pins.clear();
}

void PageDrawContext::DrawDrawObject(CDrawObject* pObject)
{
    CDrawContext::DrawDrawObject(pObject);
    if (pObject == nullptr)
        return;
    CLQRect r;
    pObject->GetBoundingRect(r, false);
    std::string name;
    if (const auto pin = m_sheet != nullptr ? m_sheet->FindPin(pObject) : std::nullopt) {
        m_pins.push_back(*pin);
        name = fmt::format(" data-pin=\"{}\"", XmlEscape(PinLabel(m_sheet->Original(), *pin)));
    }
    // Half a pixel of room so that a pad of no size still shows.
    const std::int64_t grow = GetZoom() / 2;
    const std::int64_t x = std::int64_t{r.MinX()} - grow, y = std::int64_t{r.MaxY()} + grow;
    const std::int64_t w = std::int64_t{r.MaxX()} - r.MinX() + 2 * grow, h = std::int64_t{r.MaxY()} - r.MinY() + 2 * grow;
    Append(fmt::format("<rect class=\"emphasis\" x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\"{}{}/>\n", SvgX(x), SvgY(y),
                       SvgLength(w), SvgLength(h), GetDrawFlag() ? " opacity=\"0.35\"" : "", name));
}

}  // namespace lq
