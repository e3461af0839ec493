// Whether an exchange of two items can be carried out whole: every pin that leaves its net
// comes back onto one, and every net that loses a pin gets one back.
#pragma once
#include "module/swap/SwapItem.h"

class CGate;

// data pairs the pins of rowsGate with those of colsGate (a gate's connection-data list).
bool LQIsCompleteGatePairing(CGate* rowsGate, CGate* colsGate, CObject** data);
// Whether an automatic exchange of two items may go ahead: neither may be connected to copper
// now (groups can be older than the copper), and two gates must pair their pins completely.
bool LQCanApplyExchange(CSwapItem* a, CSwapItem* b, CObject** dataAB, CObject** dataBA);
