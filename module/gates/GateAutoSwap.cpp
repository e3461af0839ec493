// The gate's own pin optimisation: one group optimiser per pin group.
#include "host/HostApp.h"
#include "module/autoswap/AutoSwapF.h"
#include "module/gates/Gate.h"

void CGate::InitAutoSwapObjects()
{
    if (!m_bGroupsBuilt)
        InitSwapPinItemGroups();
    const std::list<std::vector<CSwapItem*>> groups = m_swapPinItemGroups;
    for (const auto& group : groups)
        m_autoSwapObjects.push_back(new CAutoSwapF(group));
    m_bAutoSwapObjectsBuilt = true;
}

std::vector<CAutoSwapF*>& CGate::GetAutoSwapObjects()
{
    if (!m_bAutoSwapObjectsBuilt)
        InitAutoSwapObjects();
    return m_autoSwapObjects;
}

void CGate::AutoPinSwap(CLayoutSubSheet* sub)
{
    if (!m_bAutoSwapObjectsBuilt)
        InitAutoSwapObjects();
    const std::vector<CAutoSwapF*> objects = m_autoSwapObjects;
    for (CAutoSwapF* p : objects)
        p->Run();
    if (sub != nullptr) {
        sub->GetNetlist()->UpdateNetlist(0x40000000, reinterpret_cast<LONG_PTR>(sub));
        sub->GetDrawingStore()->InvalidateScreenArea(GetDrawContext(), true, false);
    }
}
