#include "tests/support/BoardBuilder.h"

#include "host/AttributeNames.h"
#include "host/Net.h"

namespace lqtest {

BoardBuilder::BoardBuilder(bool bWithBackAnnotationManager)
    : m_pSheet(std::make_unique<CLayoutSubSheet>(bWithBackAnnotationManager))
{
}

CLayoutComponent* BoardBuilder::Part(const std::string& refDes, int gateSwap, bool bPinSwap, const Attrs& attrs,
                                     const CLQRect& outline)
{
    auto* part = m_pSheet->GetDrawingStore()->Add(std::make_unique<CLayoutComponent>(outline));
    part->AddAttribute(LQ_REFDES, refDes.c_str());
    if (gateSwap >= 0)
        part->AddAttribute(LQ_GATESWAP, std::to_string(gateSwap).c_str());
    for (const auto& [name, value] : attrs)
        part->AddAttribute(name.c_str(), value.c_str());
    part->SetAllowPinSwapping(bPinSwap);
    return part;
}

CLayoutPin* BoardBuilder::Pin(CLayoutComponent* part, CLQPoint at, const Attrs& attrs, int halfPad)
{
    const CLQRect pad(at.x - halfPad, at.y - halfPad, at.x + halfPad, at.y + halfPad);
    auto* pin = m_pSheet->GetDrawingStore()->Add(std::make_unique<CLayoutPin>(at, pad));
    for (const auto& [name, value] : attrs)
        pin->AddAttribute(name.c_str(), value.c_str());
    if (part != nullptr)
        part->AddChild(pin);
    return pin;
}

CLayoutPin* BoardBuilder::GatePin(CLayoutComponent* part, CLQPoint at, const std::string& pin, const std::string& gate,
                                  const std::string& gateGroup, const std::string& pinGroup, const std::string& type)
{
    Attrs attrs{{LQ_PIN, pin}};
    if (!gate.empty())
        attrs.emplace_back(LQ_GATE, gate);
    if (!gateGroup.empty())
        attrs.emplace_back(LQ_GATEGROUP, gateGroup);
    if (!pinGroup.empty())
        attrs.emplace_back(LQ_PINGROUP, pinGroup);
    if (!type.empty())
        attrs.emplace_back(LQ_PINTYPE, type);
    return Pin(part, at, attrs);
}

CLayoutNet* BoardBuilder::Net(const std::string& name, std::initializer_list<CLayoutPin*> pins)
{
    CLayoutNet* net = m_pSheet->GetNetlist()->AddNet(name.c_str());
    for (CLayoutPin* pin : pins)
        CLayoutNetlist::AttachPin(pin, net);
    return net;
}

CLayoutNet* BoardBuilder::Wire(CLayoutPin* pin, CLQPoint farEnd, const std::string& name)
{
    if (m_pConnector == nullptr)
        m_pConnector = Part("J1", 0, false);
    return Net(name, {pin, Pin(m_pConnector, farEnd, {{LQ_PIN, std::to_string(++m_nConnectorPins)}})});
}

CLayoutTrack* BoardBuilder::Track(CLQPoint from, CLQPoint to, int layer, int width)
{
    return m_pSheet->GetDrawingStore()->Add(std::make_unique<CLayoutTrack>(layer, width, from, to));
}

CLayoutVia* BoardBuilder::Via(CLQPoint at, int diameter)
{
    return m_pSheet->GetDrawingStore()->Add(std::make_unique<CLayoutVia>(at, diameter));
}

std::string NetOf(const CLayoutPin* pin)
{
    const CNet* net = pin->GetNetConnection()->GetNet();
    return net != nullptr ? net->GetName().str() : std::string();
}

std::vector<std::string> NetsOf(const std::vector<CLayoutPin*>& pins)
{
    std::vector<std::string> out;
    for (const CLayoutPin* pin : pins)
        out.push_back(NetOf(pin));
    return out;
}

std::vector<std::string> PinsOf(const CNet* net)
{
    std::vector<std::string> out;
    for (const CNetPin* p : net->GetNetPins()) {
        const auto* lp = DYNAMIC_DOWNCAST(CLayoutNetPin, const_cast<CNetPin*>(p));
        out.push_back(lp ? std::string(lp->GetRefDes().GetString()) + "." + lp->GetPinNumber().GetString() : "?");
    }
    return out;
}

std::map<std::string, int> NetSizes(const CLayoutSubSheet* sheet)
{
    std::map<std::string, int> sizes;
    for (const auto& net : sheet->GetNetlist()->GetNets())
        sizes[net->GetName().str()] = net->GetNetPinCount();
    return sizes;
}

}  // namespace lqtest
