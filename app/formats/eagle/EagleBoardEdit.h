// The board file's share of a write-back: contact references follow the nets.
#pragma once
#include <cstddef>

#include "app/formats/eagle/EagleDesign.h"
#include "app/model/Board.h"

namespace lq::eagle {

struct SignalEdits {
    std::size_t changed = 0;   // signals whose contact references were rewritten
    std::size_t rerouted = 0;  // of those, signals whose wires and vias were dropped (--unrouted)
};

// Edits design.board in place so that each signal holds the pads of its net in after (before
// and after: the same parts, pins and net names). Only signals whose pads changed are touched:
// pads that stay keep their contactref, a pad that arrives brings its contactref (with its route
// and routetag) from the signal it left, and the signal's stored airwires (layer 19) go. With
// design.unrouted the signal's wires and vias go too, since they were laid for other pads.
SignalEdits RewriteSignals(EagleDesign& design, const Board& before, const Board& after);

}  // namespace lq::eagle
