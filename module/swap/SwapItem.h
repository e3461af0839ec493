// The abstract swap item and the grouping of items into sets of mutually swappable items.
#pragma once
#include <cstdint>
#include <list>
#include <vector>

#include "host/Object.h"
#include "host/String.h"
#include "module/frame/ModuleApi.h"

enum SWAPACTION : int {
    SWAP_GATE = 1,  // items compared as gates, or pins as members of gates
    SWAP_PIN = 2,   // pins exchanged within one gate or component
};

class QUILLON_API CSwapItem : public CObject {
    DECLARE_DYNAMIC(CSwapItem)
public:
    CSwapItem();
    ~CSwapItem() override;

    virtual bool CanSwap(CSwapItem* other, SWAPACTION action, bool bAcrossComponents, bool bCheckCopper,
                         bool bUsePinGroups) = 0;
    // Cost of connecting this item the way other is connected now; fallback when nothing can be
    // measured, -1 for an item of another kind. data may receive a connection-data list.
    virtual std::int64_t GetDistance(CSwapItem* other, CObject**& data, std::int64_t fallback) = 0;
    virtual CString GetSearchID() = 0;
    virtual bool IsConnected() = 0;
    virtual void Refresh() = 0;
    // One-sided: takes over what other remembers.
    virtual void Swap(CSwapItem* other, CObject** data) = 0;
    // Complete, checked, two-sided exchange.
    virtual bool Swap(CSwapItem* other) = 0;
    virtual void Connect(CSwapItem* other, CObject** data) = 0;
    virtual void Unconnect() = 0;

    // First fit against each group's representative, which is the object of the test.
    static std::list<std::vector<CSwapItem*>> Classify(std::vector<CSwapItem*> items, SWAPACTION action);
    static std::list<std::vector<CSwapItem*>> Classify(std::list<CSwapItem*> items, SWAPACTION action);
};
