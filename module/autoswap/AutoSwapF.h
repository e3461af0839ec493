// Group optimiser: exchanges the connections of two items of a group whenever that shortens
// them, pass after pass.
#pragma once
#include <cstdint>
#include <vector>

#include "module/swap/SwapItem.h"

class CAutoSwapF : public CObject {
public:
    static constexpr int kMaxPasses = 5;

    explicit CAutoSwapF(std::vector<CSwapItem*> items);
    ~CAutoSwapF() override;

    void Run();

    const std::vector<CSwapItem*>& GetItems() const { return m_items; }

private:
    std::vector<CSwapItem*> m_items;
    std::int32_t m_nItems;
};

// Runs the pairwise exchange of a group in place of the module's own engine, so that tests and
// benchmarks can compare engines on the same boards; null restores the module's engine.
using LQGroupEngine = void (*)(const std::vector<CSwapItem*>& items);
void LQSetGroupEngine(LQGroupEngine engine);
