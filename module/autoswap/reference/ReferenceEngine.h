// The literal pairwise exchange of a group, kept as the reference that the plug-in's own engine
// must match exchange for exchange. Built into the tests and the benchmarks, never into the
// plug-in.
#pragma once
#include <vector>

#include "module/swap/SwapItem.h"

// Measures every partner of every item with GetDistance, in order, as the group optimiser was
// first written.
void LQReferenceRunGroup(const std::vector<CSwapItem*>& items);
// Makes every group optimiser of the module run the reference (true) or its own engine (false).
void LQUseReferenceEngine(bool bUse);
