// A swap item that does nothing of its own; tests override what they observe.
#pragma once
#include "module/swap/SwapItem.h"

namespace lqtest {

class CStubItem : public CSwapItem {
public:
    bool CanSwap(CSwapItem*, SWAPACTION, bool, bool, bool) override { return false; }
    std::int64_t GetDistance(CSwapItem*, CObject**&, std::int64_t fallback) override { return fallback; }
    CString GetSearchID() override { return CString(); }
    bool IsConnected() override { return false; }
    void Refresh() override {}
    void Swap(CSwapItem*, CObject**) override {}
    bool Swap(CSwapItem*) override { return false; }
    void Connect(CSwapItem*, CObject**) override {}
    void Unconnect() override {}
};

}  // namespace lqtest
