// Whether an exchange of two items can be carried out whole: every pin that leaves its net
// comes back onto one, and every net that loses a pin gets one back.
#pragma once
#include <vector>

#include "module/swap/SwapItem.h"

class CGate;
class CLayoutPin;

// data pairs the pins of rowsGate with those of colsGate (a gate's connection-data list).
bool LQIsCompleteGatePairing(CGate* rowsGate, CGate* colsGate, CObject** data);
// The same, given the pins that each gate's UnConnect takes off their nets, sorted, each once.
bool LQIsCompletePairing(const std::vector<CLayoutPin*>& rows, const std::vector<CLayoutPin*>& cols, CObject** data);
// Whether the pin item's pin, or a pin of the gate item's gate, is connected to copper now.
bool LQIsOnCopper(CSwapItem* item);
// Whether an automatic exchange of two items may go ahead: neither may be connected to copper
// now (groups can be older than the copper), and two gates must pair their pins completely.
bool LQCanApplyExchange(CSwapItem* a, CSwapItem* b, CObject** dataAB, CObject** dataBA);
