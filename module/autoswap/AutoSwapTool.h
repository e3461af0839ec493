// Automatic swap while moving: the gates of the moved packages are collected when the move
// starts and optimised when it ends.
#pragma once
#include <cstdint>
#include <vector>

#include "module/swap/SwapItem.h"

class CAutoSwapF;
class CLayoutSubSheet;

class CAutoSwapTool : public CObject {
public:
    CAutoSwapTool();
    ~CAutoSwapTool() override;
    CAutoSwapTool(const CAutoSwapTool&) = delete;
    CAutoSwapTool& operator=(const CAutoSwapTool&) = delete;

    // The move event: phase 0 starts a move, phase 1 ends it. 0 when the sheet or its
    // move-swap state asks for nothing, else 1.
    int OnMove(UINT_PTR nPhase, LONG_PTR nUnused);
    void OnMoveStart(CLayoutSubSheet* sub);
    void OnMoveEnd(CLayoutSubSheet* sub);

    const std::vector<CSwapItem*>& GetGateItems() const { return m_gateItems; }
    const std::vector<CAutoSwapF*>& GetAutoSwapObjects() const { return m_autoSwapObjects; }

private:
    // The collected items belong to this store; once it is dropped they no longer exist.
    bool ItemsStillExist(CLayoutSubSheet* sub) const;

    std::vector<CSwapItem*> m_gateItems;
    std::vector<CAutoSwapF*> m_autoSwapObjects;
    std::uint64_t m_nStoreSerial = 0;
};
