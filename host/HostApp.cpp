#include "host/HostApp.h"

#include "host/Events.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"

IMPLEMENT_DYNAMIC(CViewContext, CObject)

namespace {
struct AppState {
    CDrwSubSheet* pSheet = nullptr;
    CDrawContext* pDC = nullptr;
    CDrawTool* pTool = nullptr;
    CView* pView = nullptr;
    CViewContext viewContext;
};

AppState& State()
{
    static AppState state;
    return state;
}
}  // namespace

CDrwSubSheet* GetDrwSubSheet() { return State().pSheet; }
CDrawContext* GetDrawContext() { return State().pDC; }
CDrawTool* GetDrawTool() { return State().pTool; }
CView* GetSheetView() { return State().pView; }
CViewContext* GetGlobalViewContext() { return &State().viewContext; }

void LQSetDrwSubSheet(CDrwSubSheet* pSheet) { State().pSheet = pSheet; }
void LQSetDrawContext(CDrawContext* pDC) { State().pDC = pDC; }
void LQSetDrawTool(CDrawTool* pTool) { State().pTool = pTool; }
void LQSetSheetView(CView* pView) { State().pView = pView; }

void LQCloseSubSheet(std::unique_ptr<CDrwSubSheet> pSheet)
{
    if (!pSheet)
        return;
    EventDatabaseChanged.Raise(0, reinterpret_cast<LONG_PTR>(pSheet.get()));
    if (State().pSheet == pSheet.get())
        State().pSheet = nullptr;
    pSheet.reset();
}

void LQMoveSelection(int dx, int dy)
{
    LQBeginMoveSelection();
    LQEndMoveSelection(dx, dy);
}

void LQBeginMoveSelection()
{
    if (DYNAMIC_DOWNCAST(CLayoutSubSheet, GetDrwSubSheet()) != nullptr)
        EventMove.Raise(0, 0);
}

void LQEndMoveSelection(int dx, int dy)
{
    auto* pSheet = DYNAMIC_DOWNCAST(CLayoutSubSheet, GetDrwSubSheet());
    if (pSheet == nullptr)
        return;
    const CZNDynArray<CDrawObject*> moved = pSheet->GetDrawingStore()->GetSelectedObjects();
    for (CDrawObject* p : moved) {
        // A selected pin of a selected package moves with its package, once.
        const auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, p);
        if (p == nullptr || (pPin != nullptr && pPin->GetOwnerComponent() != nullptr && pPin->GetOwnerComponent()->IsSelected()))
            continue;
        p->Offset(dx, dy);
    }
    EventMove.Raise(1, 0);
    AfxPostEvent(&EventDatabaseChanged, 0, reinterpret_cast<LONG_PTR>(pSheet));
}
