// The page's view: the host's draw context that the plug-in's tools paint their overlays into,
// as SVG elements. An object the plug-in asks to draw itself is drawn as the host draws an
// emphasised pin, whatever pen was left set, and named on its element so that the page (and its
// tests) can tell which pins the plug-in emphasised.
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

    void DrawDrawObject(CDrawObject* pObject) override;

private:
    const HostSheet* m_sheet = nullptr;
    std::vector<PinIndex> m_pins;
};

}  // namespace lq
