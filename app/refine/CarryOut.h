// Putting the model's nets onto the sheet through the plug-in's pin items, as the plug-in permutes
// connections itself: every pin that changes is taken off its net, then put on the net that
// another changing pin's item remembers, then every item is refreshed. The plug-in keeps the net
// pins; no back-annotation record is made, as in the plug-in's own automatic pass.
#pragma once
#include <cstddef>

namespace lq {

class HostSheet;
class SwapSpace;
class WireModel;

// Returns the number of pins that changed net. Throws JobError if the sheet does not end as the
// model says.
std::size_t CarryOut(const SwapSpace& space, const WireModel& model, HostSheet& sheet);

}  // namespace lq
