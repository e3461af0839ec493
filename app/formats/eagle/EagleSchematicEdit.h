// The schematic's share of a write-back: gate exchanges relabel instances and pin references,
// pin exchanges rename pin references and move the net wire ends that sat on the pins.
#pragma once
#include "app/formats/eagle/EagleDesign.h"
#include "app/formats/eagle/EagleExchanges.h"
#include "app/model/Board.h"

namespace lq::eagle {

// Edits design.schematic in place. For a gate exchange (from, to) the instance of `from` and
// every pin reference to it name part and gate of `to`; for a pin exchange the pin reference
// names its new pin, and each wire end of its net segment that lay on the old pin's position is
// moved to the new pin's position on the same instance. board gives the part names.
void ApplyExchanges(EagleDesign& design, const Board& board, const SchematicExchanges& exchanges);

}  // namespace lq::eagle
