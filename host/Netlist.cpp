#include "host/Netlist.h"

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"

IMPLEMENT_DYNAMIC(CLayoutNetlist, CObject)

CLayoutNetlist::~CLayoutNetlist()
{
    // Net pins still on nets are deleted by the nets; nothing else may record into us meanwhile.
    for (auto& p : m_nets)
        p->SetNetlist(nullptr);
    m_nets.clear();
}

CLayoutNet* CLayoutNetlist::AddNet(const char* pszName)
{
    m_nets.push_back(std::make_unique<CLayoutNet>(pszName));
    m_nets.back()->SetNetlist(this);
    return m_nets.back().get();
}

void CLayoutNetlist::AttachPin(CLayoutPin* pPin, CNet* pNet)
{
    const CLayoutComponent* pOwner = pPin->GetOwnerComponent();
    const CDrawAttribute* pRef = pOwner != nullptr ? pOwner->GetAttributeWithTag(LQ_REFDES) : nullptr;
    const CDrawAttribute* pNumber = pPin->GetAttributeWithTag(LQ_PIN);
    auto* pNetPin = new CLayoutNetPin(pRef != nullptr ? pRef->GetValue() : CPoolString(),
                                      pNumber != nullptr ? pNumber->GetValue() : CPoolString());
    pNetPin->SetDrawObject(pPin);
    pNetPin->SetNet(pNet);
    pPin->GetNetConnection()->SetNetPin(pNetPin);
    pNet->AddNetPin(pNetPin);
}

CLayoutNet* CLayoutNetlist::FindNet(const char* pszName) const
{
    for (const auto& p : m_nets) {
        if (_mbscmp(p->GetName(), pszName) == 0)
            return p.get();
    }
    return nullptr;
}

int CLayoutNetlist::UpdateNetlist(UINT nCode, LONG_PTR nKey)
{
    m_updates.push_back(CNetlistUpdate{nCode, nKey});
    AfxPostEvent(&EventNetListChanged, static_cast<UINT_PTR>(nKey), 0);
    return 1;
}

void CLayoutNetlist::ClearRecords()
{
    m_updates.clear();
    m_edits.clear();
}
