// The board-wide automatic pin and gate swap: gates first, then pins, then one update.
#include "host/HostApp.h"
#include "module/autoswap/AutoSwapF.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/Gate.h"
#include "module/gates/GateStore.h"

void CPlugInInterface::RunAutoSwap()
{
    auto* pSheet = DYNAMIC_DOWNCAST(CLayoutSubSheet, GetDrwSubSheet());
    if (pSheet == nullptr)
        return;
    CGateStore* pStore = GetGateStore(pSheet);
    const std::vector<CGate*> realGates = pStore->GetGates(true, false);
    const std::list<std::vector<CSwapItem*>> groups = pStore->GetGateSwapGroups();
    for (const auto& group : groups) {
        CAutoSwapF optimiser(group);
        optimiser.Run();
    }
    for (CGate* pGate : realGates)
        pGate->AutoPinSwap(nullptr);
    pSheet->GetNetlist()->UpdateNetlist(0x40000000, reinterpret_cast<LONG_PTR>(pSheet));
    pSheet->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
}
