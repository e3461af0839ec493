#include "module/swap/SwapItem.h"

IMPLEMENT_DYNAMIC(CSwapItem, CObject)

CSwapItem::CSwapItem() = default;
CSwapItem::~CSwapItem() = default;

namespace {
template <class Collection>
std::list<std::vector<CSwapItem*>> ClassifyItems(const Collection& items, SWAPACTION action)
{
    std::list<std::vector<CSwapItem*>> groups;
    for (CSwapItem* item : items) {
        bool placed = false;
        for (auto& group : groups) {
            if (group.front()->CanSwap(item, action, false, true, true)) {
                group.push_back(item);
                placed = true;
                break;
            }
        }
        if (!placed)
            groups.push_back(std::vector<CSwapItem*>{item});
    }
    return groups;
}
}  // namespace

std::list<std::vector<CSwapItem*>> CSwapItem::Classify(std::vector<CSwapItem*> items, SWAPACTION action)
{
    return ClassifyItems(items, action);
}

std::list<std::vector<CSwapItem*>> CSwapItem::Classify(std::list<CSwapItem*> items, SWAPACTION action)
{
    return ClassifyItems(items, action);
}
