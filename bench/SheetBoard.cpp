#include "bench/SheetBoard.h"

#include <map>

#include "host/AttributeNames.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/Net.h"
#include "host/SubSheet.h"

namespace lqbench {

namespace {

lq::Attributes AttributesOf(const CDrawObject* pObject)
{
    std::vector<CDrawObject*> list;
    pObject->GetAttributes()->GetAttributeList(list, DOK_ALL, 0, 0);
    lq::Attributes out;
    for (CDrawObject* o : list) {
        const auto* a = static_cast<const CDrawAttribute*>(o);
        if (a->GetName().str() != LQ_REFDES)
            out.push_back(lq::Attribute{a->GetName().str(), a->GetValueText().str()});
    }
    return out;
}

lq::Rect Relative(const CLQRect& r, const CLQPoint& to) { return lq::Rect{r.left - to.x, r.top - to.y, r.right - to.x, r.bottom - to.y}; }

}  // namespace

lq::Board BoardFromSheet(const CLayoutSubSheet* pSheet)
{
    lq::Board board;
    std::map<const CLayoutPin*, lq::PinRef> refOf;
    std::vector<CDrawObject*> objects;
    pSheet->GetDrawingStore()->GetObjectList(objects, DOK_ALL, 0, 0);
    for (CDrawObject* pObject : objects) {
        const auto* pPart = DYNAMIC_DOWNCAST(CLayoutComponent, pObject);
        if (pPart == nullptr)
            continue;
        lq::Part& part = board.parts.emplace_back();
        part.ref = pPart->GetAttributeWithTag(LQ_REFDES)->GetValueText().str();
        part.outline = Relative(pPart->GetRect(), CLQPoint());
        part.pinSwap = pPart->AllowPinSwapping() != FALSE;
        part.attributes = AttributesOf(pPart);
        for (CDrawObject* pChild : pPart->GetChildren()) {
            const auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pChild);
            if (pPin == nullptr)
                continue;
            lq::Pin& pin = part.pins.emplace_back();
            pin.at = lq::Point{pPin->GetLocation().x, pPin->GetLocation().y};
            pin.pad = Relative(pPin->GetPadRect(), pPin->GetLocation());
            pin.layers = pPin->GetLayers();
            pin.attributes = AttributesOf(pPin);
            refOf[pPin] = lq::PinRef{part.ref, lq::PinName(pin)};
        }
    }
    for (const auto& pNet : pSheet->GetNetlist()->GetNets()) {
        lq::Net& net = board.nets.emplace_back();
        net.name = pNet->GetName().str();
        for (const CNetPin* pNetPin : pNet->GetNetPins())
            net.pins.push_back(refOf.at(static_cast<const CLayoutPin*>(pNetPin->GetDrawObject())));
    }
    return board;
}

}  // namespace lqbench
