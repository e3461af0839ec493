#include "module/tools/SwapPinTool.h"

#include "host/HostApp.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "module/resources/ResourceIDs.h"
#include "module/swap/SwapItemPin.h"
#include "module/tools/ToolSupport.h"

IMPLEMENT_DYNAMIC(CSwapPinTool, CDrawTool)

CSwapPinTool g_swapPinTool;

CSwapPinTool::CSwapPinTool() = default;
CSwapPinTool::~CSwapPinTool() = default;

int CSwapPinTool::IsToolAvailable() { return 1; }

void CSwapPinTool::DropStalePick()
{
    if (m_pFirstPin == nullptr)
        return;
    CLayoutSubSheet* pSheet = LQCurrentLayoutSheet();
    if (pSheet == nullptr || !pSheet->GetDrawingStore()->Contains(m_pFirstPin)) {
        m_pFirstPin = nullptr;
        m_candidates.clear();
    }
}

bool CSwapPinTool::LButtonDown(UINT nFlags, const CLQPoint& point)
{
    CDrawTool::LButtonDown(nFlags, point);
    if (!LQModuleActive())
        return true;
    CLayoutSubSheet* pSheet = LQCurrentLayoutSheet();
    if (pSheet == nullptr)
        return true;
    DropStalePick();

    std::vector<CDrawObject*> hits;
    pSheet->GetDrawingStore()->HitTest(hits, 0x1FF, CLQRect(point, point), 0);
    CLayoutPin* pPicked = nullptr;
    for (CDrawObject* pObject : hits) {
        auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pObject);
        if (pPin == nullptr)
            continue;
        CLQRect rect;
        pPin->GetBoundingRect(rect, false);
        if (rect.ContainsInclusive(point)) {
            pPicked = pPin;
            break;
        }
    }
    if (pPicked == nullptr)
        return true;
    if (CSwapItemPin::GetPinGroup(pPicked) < 1) {
        LQShowMessage(IDS_PIN_NO_PINGROUP);
        return true;
    }
    if (m_pFirstPin == nullptr) {
        m_pFirstPin = pPicked;
        m_candidates = FindSwapCandidates(pPicked);
        pPicked->SetSelected(true, true);
        if (CDrwSubSheet* pCurrent = GetDrwSubSheet()) {
            pCurrent->SetPickMode(true);
            pCurrent->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
        }
        return true;
    }
    if (pPicked == m_pFirstPin) {
        ResetPick();
        return true;
    }
    if (!CSwapItemPin::CanSwap(m_pFirstPin, pPicked, SWAP_PIN, false, true, true)) {
        LQShowMessage(IDS_PIN_CANNOT_SWAP);
        return true;
    }
    {
        CSwapItemPin first(m_pFirstPin, nullptr);
        CSwapItemPin second(pPicked, nullptr);
        first.Swap(&second);
        if (auto* pLayout = LQCurrentLayoutSheet())
            pLayout->GetNetlist()->UpdateNetlist(0x40000000, reinterpret_cast<LONG_PTR>(pLayout));
        ResetPick();
    }
    return true;
}

bool CSwapPinTool::RButtonDown(UINT, const CLQPoint&)
{
    if (LQModuleActive())
        ResetPick();
    return true;
}

int CSwapPinTool::CancelTool(UINT_PTR, LONG_PTR) { return LQRaiseCancel(); }

void CSwapPinTool::DrawToolOverlay()
{
    CDrawContext* pDC = GetDrawContext();
    if (pDC == nullptr || !LQModuleActive())
        return;
    DropStalePick();
    pDC->PrepareDraw(0, 0, true);
    const bool bFlag = pDC->GetDrawFlag();
    pDC->SetDrawFlag(false);
    for (CLayoutPin* pPin : m_candidates)
        pPin->DrawObject(pDC, 0x1FF);
    pDC->SetDrawFlag(bFlag);
    pDC->FinishDraw(true, false);
}

bool CSwapPinTool::InitTool(const PREV_DRAWTOOL_INFO* pInfo)
{
    CDrawTool::InitTool(pInfo);
    ResetPick();
    return true;
}

void CSwapPinTool::EndTool()
{
    ResetPick();
    CDrawTool::EndTool();
}

void CSwapPinTool::OnToolNotify(UINT_PTR) {}

bool CSwapPinTool::SetToolCursor() { return LQSetModuleCursor(IDC_SWAPPIN); }

int CSwapPinTool::RestoreDefaultTool() { return LQRaiseRestoreDefaultTool(m_bReturnToDefault); }

std::vector<CLayoutPin*> CSwapPinTool::FindSwapCandidates(CLayoutPin* pin)
{
    std::vector<CLayoutPin*> candidates;
    if (pin == nullptr || pin->GetOwnerComponent() == nullptr)
        return candidates;
    CZNDynArray<CDrawObject*> children(50);
    pin->GetOwnerComponent()->GetChildObjects(children, 0x1FF, LayoutPinsOnly, 0, 0);
    for (CDrawObject* pChild : children) {
        auto* pCandidate = DYNAMIC_DOWNCAST(CLayoutPin, pChild);
        if (pCandidate != nullptr && CSwapItemPin::CanSwap(pin, pCandidate, SWAP_PIN, false, true, true))
            candidates.push_back(pCandidate);
    }
    return candidates;
}

void CSwapPinTool::ResetPick()
{
    m_pFirstPin = nullptr;
    m_candidates.clear();
    if (!LQModuleActive())
        return;
    CDrwSubSheet* pSheet = GetDrwSubSheet();
    if (pSheet == nullptr)
        return;
    pSheet->SetPickMode(false);
    pSheet->GetDrawingStore()->ClearSelection(GetDrawContext(), true);
    pSheet->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
}
