// The plug-in's exported classes, reached from lqhost through the loaded module alone.
//
// lqhost does not link the plug-in. Its gate store hands out nothing that a host can call (the
// store's own operations are not exported), so lqhost makes the plug-in's objects itself with the
// exported constructors, sized by the plug-in's own run-time class records, and asks them through
// their virtual operations (declared in the exported class headers, called through each object's
// own table) and through the exported non-virtual operations, resolved by name from the loaded
// module. Every rule (which pins form a pin group, which gates may be exchanged, which pin may take
// which pin's place) is answered by the plug-in's code; lqhost only asks.
#pragma once
#include <list>
#include <string>
#include <vector>

#include "module/swap/SwapItem.h"

class CDrawContext;
class CGate;
class CLayoutComponent;
class CLayoutPin;
struct CLQPoint;

namespace lq {

class PlugInSession;

using ItemGroups = std::list<std::vector<CSwapItem*>>;

class PlugInItems {
public:
    // Resolves every operation used below; throws JobError naming the first one the plug-in does
    // not export.
    explicit PlugInItems(const PlugInSession& session);
    // Deletes what it made: gate items, then gate records (with the pin items they made), then
    // pin items.
    ~PlugInItems();
    PlugInItems(const PlugInItems&) = delete;
    PlugInItems& operator=(const PlugInItems&) = delete;

    // A pin item of no gate, as the swap pin tool makes them; it remembers the pin's net now.
    CSwapItem* MakePinItem(CLayoutPin* pin);
    // A gate record with its pins; the plug-in refuses a pin of another part (false).
    CGate* MakeGate(CLayoutComponent* part, const std::string& gateName, const std::string& groupName);
    bool AddPin(CGate* gate, CLayoutPin* pin);
    // A gate item that pairs pins by their lengths, as every gate item the plug-in makes.
    CSwapItem* MakeGateItem(CGate* gate);

    // The gate's pin items (one per pin, in the order the pins were added) and its pin groups.
    std::vector<CSwapItem*>& PinItemsOf(CGate* gate) const;
    ItemGroups& PinGroupsOf(CGate* gate) const;
    bool IsRealGate(CGate* gate) const;
    void Draw(CGate* gate, CDrawContext* dc) const;

    ItemGroups Classify(std::vector<CSwapItem*> items, SWAPACTION action) const;
    bool IsPowerPin(CLayoutPin* pin) const;

    // The items' own virtual operations, called through each item's table.
    bool CanSwap(CSwapItem* item, CSwapItem* other, SWAPACTION action, bool acrossComponents, bool checkCopper,
                 bool usePinGroups) const;
    void Unconnect(CSwapItem* item) const;
    // Puts the item on the net that other remembers.
    void Connect(CSwapItem* item, CSwapItem* other) const;
    void Refresh(CSwapItem* item) const;

private:
    struct Exports;
    Exports* m_exports;
    std::vector<CSwapItem*> m_pinItems;
    std::vector<CSwapItem*> m_gateItems;
    std::vector<CGate*> m_gates;
};

}  // namespace lq
