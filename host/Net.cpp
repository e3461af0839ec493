#include "host/Net.h"

#include <algorithm>

#include "host/LayoutPin.h"
#include "host/Netlist.h"

IMPLEMENT_DYNAMIC(CNetPin, CObject)
IMPLEMENT_DYNAMIC(CLayoutNetPin, CNetPin)
IMPLEMENT_DYNAMIC(CNet, CObject)
IMPLEMENT_DYNAMIC(CLayoutNet, CNet)

bool CLayoutNet::m_bBackAnnotate = true;

namespace {
std::uint32_t g_nNextNetSerial = 1;
}

CNetPin::~CNetPin()
{
    if (m_pNet != nullptr) {
        CNet* pNet = m_pNet;
        m_pNet = nullptr;
        pNet->RemoveNetPin(this);
    }
    if (auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, m_pDrawObject)) {
        if (pPin->GetNetConnection()->GetNetPin() == this)
            pPin->GetNetConnection()->SetNetPin(nullptr);
    }
}

CNet::CNet(const char* pszName) : m_strName(pszName), m_nSerial(g_nNextNetSerial++) {}

CNet::~CNet()
{
    std::vector<CNetPin*> pins;
    pins.swap(m_netPins);
    for (CNetPin* p : pins) {
        p->SetNet(nullptr);
        delete p;
    }
}

void CNet::AddNetPin(CNetPin* pNetPin)
{
    if (pNetPin == nullptr || std::find(m_netPins.begin(), m_netPins.end(), pNetPin) != m_netPins.end())
        return;
    m_netPins.push_back(pNetPin);
    if (m_pNetlist != nullptr)
        m_pNetlist->RecordEdit(CNetEdit{true, this, pNetPin->GetDrawObject(), CLayoutNet::m_bBackAnnotate});
}

bool CNet::RemoveNetPin(CNetPin* pNetPin)
{
    auto it = std::find(m_netPins.begin(), m_netPins.end(), pNetPin);
    if (it == m_netPins.end())
        return false;
    m_netPins.erase(it);
    if (pNetPin->GetNet() == this)
        pNetPin->SetNet(nullptr);
    if (m_pNetlist != nullptr)
        m_pNetlist->RecordEdit(CNetEdit{false, this, pNetPin->GetDrawObject(), CLayoutNet::m_bBackAnnotate});
    return true;
}
