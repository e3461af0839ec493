#include "module/autoswap/AutoSwapTool.h"

#include "host/HostApp.h"
#include "host/LayoutComponent.h"
#include "module/autoswap/AutoSwapF.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/Gate.h"
#include "module/gates/GateStore.h"
#include "module/swap/SwapItemGate.h"

CAutoSwapTool::CAutoSwapTool() = default;

CAutoSwapTool::~CAutoSwapTool()
{
    for (CAutoSwapF* p : m_autoSwapObjects)
        delete p;
}

int CAutoSwapTool::OnMove(UINT_PTR nPhase, LONG_PTR)
{
    auto* pSheet = DYNAMIC_DOWNCAST(CLayoutSubSheet, GetDrwSubSheet());
    if (pSheet == nullptr)
        return 0;
    const CMoveSwapState& state = pSheet->GetMoveSwapState();
    if (state.m_nMode == 0 || (state.m_nMode == 1 && !state.m_bPinSwap) ||
        ((state.m_nMode == 2 || state.m_nMode == 3) && state.m_nGateSwap == 0))
        return 0;
    if (nPhase == 0)
        OnMoveStart(pSheet);
    else if (nPhase == 1)
        OnMoveEnd(pSheet);
    return 1;
}

void CAutoSwapTool::OnMoveStart(CLayoutSubSheet* sub)
{
    m_gateItems.clear();
    for (CAutoSwapF* p : m_autoSwapObjects)
        delete p;
    m_autoSwapObjects.clear();
    m_nStoreSerial = 0;
    CPlugInInterface* pPlugIn = GetPlugInInterface();
    if (pPlugIn == nullptr)
        return;
    const CZNDynArray<CDrawObject*>& selected = sub->GetDrawingStore()->GetSelectedObjects();
    for (int i = 0; i < selected.GetCount(); ++i) {
        auto* pComponent = DYNAMIC_DOWNCAST(CLayoutComponent, selected[i]);
        if (pComponent == nullptr)
            continue;
        CGateStore* pStore = pPlugIn->GetGateStore(sub);
        m_nStoreSerial = pStore->GetSerial();
        for (CSwapItem* pItem : pStore->GetGateSwapItemsOfComponent(pComponent))
            m_gateItems.push_back(pItem);
    }
    for (CSwapItem* pItem : m_gateItems)
        static_cast<CSwapItemGate*>(pItem)->GetGate()->ResetPinGroups();
    if (sub->GetMoveSwapState().m_nMode <= 1)
        return;
    for (const auto& group : CSwapItem::Classify(m_gateItems, SWAP_GATE))
        m_autoSwapObjects.push_back(new CAutoSwapF(group));
}

bool CAutoSwapTool::ItemsStillExist(CLayoutSubSheet* sub) const
{
    if (m_gateItems.empty())
        return false;
    if (!CGateStore::IsAlive(m_nStoreSerial))
        return false;
    CPlugInInterface* pPlugIn = GetPlugInInterface();
    if (pPlugIn == nullptr)
        return false;
    for (CGateStore* pStore : pPlugIn->GetGateStores())
        if (pStore->GetSerial() == m_nStoreSerial)
            return pStore->GetKey() == sub;
    return false;
}

void CAutoSwapTool::OnMoveEnd(CLayoutSubSheet* sub)
{
    if (ItemsStillExist(sub)) {
        for (CSwapItem* pItem : m_gateItems)
            static_cast<CSwapItemGate*>(pItem)->GetGate()->AutoPinSwap(nullptr);
        if (sub->GetMoveSwapState().m_nMode > 1)
            for (CAutoSwapF* p : m_autoSwapObjects)
                p->Run();
    } else if (!m_gateItems.empty()) {
        // Their store was dropped: the items and the optimisers' contents are gone.
        m_gateItems.clear();
        for (CAutoSwapF* p : m_autoSwapObjects)
            delete p;
        m_autoSwapObjects.clear();
    }
    sub->GetNetlist()->UpdateNetlist(0x40000000, reinterpret_cast<LONG_PTR>(sub));
    sub->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
}
