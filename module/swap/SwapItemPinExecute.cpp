// Pin swap execution: taking pins off nets, putting them on nets, and the exchange.
#include "host/AttributeNames.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/Net.h"
#include "module/swap/BackAnnotate.h"
#include "module/swap/SwapItemPin.h"

void CSwapItemPin::Unconnect(CLayoutPin* pin)
{
    CNetConnection* pFacet = pin->GetNetConnection();
    CLayoutNetPin* pNetPin = pFacet->GetNetPin();
    CNet* pNet = pFacet->GetNet();
    if (pNetPin == nullptr || pNet == nullptr)
        return;
    CLayoutNet::m_bBackAnnotate = false;
    pNet->RemoveNetPin(pNetPin);
    CLayoutNet::m_bBackAnnotate = true;
    delete pNetPin;
    pFacet->SetNetPin(nullptr);
}

void CSwapItemPin::Connect(CLayoutPin* pin, CNet* net)
{
    CNetConnection* pFacet = pin->GetNetConnection();
    // A pin that is still on a net (a power pin that a gate keeps on its net) stays there:
    // a second net pin would put it on two nets at once.
    if (pFacet->GetNetPin() != nullptr)
        return;
    CPoolString refDes;
    CPoolString pinNumber;
    if (const CDrawAttribute* pRef = pin->GetOwnerComponent() != nullptr
                                         ? pin->GetOwnerComponent()->GetAttributeWithTag(LQ_REFDES, false)
                                         : nullptr)
        refDes = pRef->GetValue();
    if (const CDrawAttribute* pNumber = pin->GetAttributeWithTag(LQ_PIN, false))
        pinNumber = pNumber->GetValue();
    auto* pNetPin = new CLayoutNetPin(refDes, pinNumber);
    pNetPin->SetDrawObject(pin);
    pNetPin->SetNet(net);
    pFacet->SetNetPin(pNetPin);
    CLayoutNet::m_bBackAnnotate = false;
    net->AddNetPin(pNetPin);
    CLayoutNet::m_bBackAnnotate = true;
}

bool CSwapItemPin::IsConnected() { return m_pPin->GetNetConnection()->GetNet() != nullptr; }

void CSwapItemPin::Refresh() { m_pNet = m_pPin->GetNetConnection()->GetNet(); }

void CSwapItemPin::Swap(CSwapItem* other, CObject**)
{
    auto* pOther = DYNAMIC_DOWNCAST(CSwapItemPin, other);
    if (pOther == nullptr || pOther->m_pNet == nullptr)
        return;
    Unconnect(m_pPin);
    Connect(m_pPin, pOther->m_pNet);
}

bool CSwapItemPin::Swap(CSwapItem* other)
{
    if (!CanSwap(other, SWAP_PIN, false, true, true))
        return false;
    auto* pOther = static_cast<CSwapItemPin*>(other);
    Unconnect();
    pOther->Unconnect();
    Connect(pOther, nullptr);
    pOther->Connect(this, nullptr);
    SendBackAnnotation(BACKANNO_PINSWAP, AttributeText(m_pPin->GetOwnerComponent(), LQ_REFDES),
                       AttributeText(m_pPin, LQ_PIN), AttributeText(pOther->m_pPin->GetOwnerComponent(), LQ_REFDES),
                       AttributeText(pOther->m_pPin, LQ_PIN));
    return true;
}

void CSwapItemPin::Connect(CSwapItem* other, CObject**)
{
    auto* pOther = DYNAMIC_DOWNCAST(CSwapItemPin, other);
    if (pOther == nullptr || pOther->m_pNet == nullptr)
        return;
    Connect(m_pPin, pOther->m_pNet);
}

void CSwapItemPin::Unconnect() { Unconnect(m_pPin); }
