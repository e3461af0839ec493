// The page's view: the host's draw context that the plug-in's tools paint their overlays into,
// as SVG elements, with each pin the tool asks to draw named on its element so that the page
// (and its tests) can tell which pins the plug-in emphasised.
#pragma once
#include <vector>

#include "app/model/Board.h"
#include "app/render/SvgDrawContext.h"

namespace lq {

class HostSheet;

class PageDrawContext : public SvgDrawContext {
public:
    void SetSheet(const HostSheet* sheet) { m_sheet = sheet; }
    // The pins drawn since the last Clear, in order.
    const std::vector<PinIndex>& Pins() const { return m_pins; }
    void ClearPainting();

protected:
    std::string ObjectAttributes(CDrawObject* object) const override;

private:
    const HostSheet* m_sheet = nullptr;
    mutable std::vector<PinIndex> m_pins;
};

}  // namespace lq
