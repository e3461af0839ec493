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

std::string PageDrawContext::ObjectAttributes(CDrawObject* object) const
{
    if (m_sheet == nullptr)
        return {};
    const auto pin = m_sheet->FindPin(object);
    if (!pin)
        return {};
    m_pins.push_back(*pin);
    return fmt::format(" data-pin=\"{}\"", XmlEscape(PinLabel(m_sheet->Original(), *pin)));
}

}  // namespace lq
