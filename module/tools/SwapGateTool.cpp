#include "module/tools/SwapGateTool.h"

#include "host/HostApp.h"
#include "host/LayoutPin.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/Gate.h"
#include "module/gates/GateStore.h"
#include "module/resources/ResourceIDs.h"
#include "module/swap/SwapItemGate.h"
#include "module/tools/ToolSupport.h"

IMPLEMENT_DYNAMIC(CSwapGateTool, CDrawTool)

CSwapGateTool g_swapGateTool;

CSwapGateTool::CSwapGateTool() = default;
CSwapGateTool::~CSwapGateTool() = default;

int CSwapGateTool::IsToolAvailable() { return 1; }

CGateStore* CSwapGateTool::CurrentStore() const
{
    CLayoutSubSheet* pSheet = LQCurrentLayoutSheet();
    CPlugInInterface* pPlugIn = GetPlugInInterface();
    if (pSheet == nullptr || pPlugIn == nullptr)
        return nullptr;
    return pPlugIn->GetGateStore(pSheet);
}

void CSwapGateTool::DropStalePick()
{
    if (m_pFirstGate == nullptr)
        return;
    bool bAlive = false;
    if (CGateStore::IsAlive(m_nPickStore) && GetPlugInInterface() != nullptr) {
        for (CGateStore* pStore : GetPlugInInterface()->GetGateStores())
            if (pStore->GetSerial() == m_nPickStore)
                bAlive = pStore->GetKey() == GetDrwSubSheet() && LQCurrentLayoutSheet() != nullptr;
    }
    if (bAlive)
        return;
    // A pick made on this sheet is undone here as usual; one made on another sheet is only
    // forgotten, since this sheet's selection is not the pick's.
    if (m_pPickSheet == GetDrwSubSheet())
        ResetPick();
    else
        ForgetPick();
}

bool CSwapGateTool::LButtonDown(UINT nFlags, const CLQPoint& point)
{
    CDrawTool::LButtonDown(nFlags, point);
    if (!LQModuleActive())
        return true;
    DropStalePick();
    CGateStore* pStore = CurrentStore();
    if (pStore == nullptr)
        return true;
    CGate* pGate = pStore->GetGateAt(point.x, point.y, false, false);
    if (pGate == nullptr)
        return true;
    if (m_pFirstGate == nullptr) {
        m_pFirstGate = pGate;
        m_nPickStore = pStore->GetSerial();
        m_pPickSheet = GetDrwSubSheet();
        m_candidates = FindSwapCandidates(pGate);
        for (CLayoutPin* pPin : pGate->GetPins())
            pPin->SetSelected(true, true);
        if (CDrwSubSheet* pSheet = GetDrwSubSheet()) {
            pSheet->SetPickMode(true);
            pSheet->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
        }
        if (CDrwSubSheet* pSheet = GetDrwSubSheet())
            pSheet->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
        return true;
    }
    if (pGate == m_pFirstGate) {
        ResetPick();
        return true;
    }
    CSwapItemGate first(m_pFirstGate, true);
    CSwapItemGate second(pGate, true);
    if (first.Swap(&second)) {
        if (CLayoutSubSheet* pSheet = LQCurrentLayoutSheet())
            pSheet->GetNetlist()->UpdateNetlist(0x40000000, reinterpret_cast<LONG_PTR>(pSheet));
        ResetPick();
    } else {
        LQShowMessage(IDS_GATE_CANNOT_SWAP);
    }
    return true;
}

bool CSwapGateTool::LButtonDblClk(UINT, const CLQPoint& point, HWND)
{
    if (!LQModuleActive())
        return true;
    DropStalePick();
    CGateStore* pStore = CurrentStore();
    if (pStore == nullptr)
        return true;
    CGate* pGate = pStore->GetGateAt(point.x, point.y, true, false);
    if (CLayoutSubSheet* pSheet = LQCurrentLayoutSheet(); pGate != nullptr && pSheet != nullptr)
        pGate->AutoPinSwap(pSheet);
    return true;
}

int CSwapGateTool::CancelTool(UINT_PTR, LONG_PTR) { return LQRaiseCancel(); }

void CSwapGateTool::DrawToolOverlay()
{
    CDrawContext* pDC = GetDrawContext();
    if (pDC == nullptr || !LQModuleActive())
        return;
    DropStalePick();
    pDC->PrepareDraw(0, 0, true);
    const bool bFlag = pDC->GetDrawFlag();
    pDC->SetDrawFlag(false);
    if (m_pFirstGate != nullptr) {
        for (CGate* pGate : m_candidates)
            for (CLayoutPin* pPin : pGate->GetPins())
                pPin->DrawObject(pDC, 0x1FF);
    }
    pDC->SetDrawFlag(bFlag);
    DrawGates(pDC);
    pDC->FinishDraw(true, false);
}

void CSwapGateTool::DrawGates(CDrawContext* dc)
{
    CGateStore* pStore = CurrentStore();
    if (pStore == nullptr)
        return;
    const std::vector<CGate*> gates = pStore->GetGates(false, false);
    if (m_pFirstGate != nullptr) {
        for (CGate* pGate : gates)
            pGate->Draw(dc, false, true);
        for (CGate* pGate : m_candidates)
            pGate->Draw(dc, false, false);
        m_pFirstGate->Draw(dc, true, false);
    } else {
        for (CGate* pGate : gates)
            pGate->Draw(dc, false, false);
    }
}

bool CSwapGateTool::InitTool(const PREV_DRAWTOOL_INFO* pInfo)
{
    CDrawTool::InitTool(pInfo);
    ResetPick();
    if (CDrwSubSheet* pSheet = GetDrwSubSheet(); pSheet != nullptr && LQModuleActive())
        pSheet->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
    return true;
}

void CSwapGateTool::EndTool()
{
    ResetPick();
    CDrawTool::EndTool();
}

void CSwapGateTool::OnToolNotify(UINT_PTR) {}

bool CSwapGateTool::SetToolCursor() { return LQSetModuleCursor(IDC_SWAPGATE); }

int CSwapGateTool::RestoreDefaultTool() { return LQRaiseRestoreDefaultTool(m_bReturnToDefault); }

std::vector<CGate*> CSwapGateTool::FindSwapCandidates(CGate* gate)
{
    std::vector<CGate*> candidates;
    CGateStore* pStore = CurrentStore();
    if (pStore == nullptr)
        return candidates;
    for (CGate* pGate : pStore->GetGates(true, false))
        if (pGate->CanSwap(gate))
            candidates.push_back(pGate);
    return candidates;
}

void CSwapGateTool::ForgetPick()
{
    m_candidates.clear();
    m_pFirstGate = nullptr;
    m_nPickStore = 0;
    m_pPickSheet = nullptr;
}

void CSwapGateTool::ResetPick()
{
    ForgetPick();
    if (!LQModuleActive())
        return;
    if (CDrwSubSheet* pSheet = GetDrwSubSheet()) {
        pSheet->SetPickMode(false);
        pSheet->GetDrawingStore()->ClearSelection(GetDrawContext(), true);
        pSheet->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
    }
}
