// Writing an Eagle board (and its schematic) back after the plug-in's run: only what the swaps
// change is rewritten; every other byte stays as it was read.
#pragma once
#include <cstddef>
#include <string>

#include "app/formats/eagle/EagleDesign.h"
#include "app/formats/eagle/EagleExchanges.h"
#include "app/model/Board.h"

namespace lq::eagle {

struct EagleOutput {
    std::string board;
    std::string schematic;  // empty when the board was read without one
    SchematicExchanges exchanges;
    std::size_t changedSignals = 0;
    std::size_t reroutedSignals = 0;  // with --unrouted: signals whose wires and vias were dropped
};

// The texts of the written pair for the run from before to after (the board as imported and as
// read back from the host). Edits the design's documents in place, so a design is written once.
// Throws JobError, before anything is edited, when the nets changed in a way Eagle exchanges
// cannot say, and after editing when the written pair would disagree where the input agreed.
EagleOutput WriteEagle(EagleDesign& design, const Board& before, const Board& after);

}  // namespace lq::eagle
