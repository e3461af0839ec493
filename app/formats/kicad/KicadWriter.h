// Writing a KiCad project back after the plug-in's run: only what the swaps change is rewritten
// (pads' net nodes on the board; units, references and label texts in the schematic); every
// other byte stays as it was read.
#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/GateExchanges.h"
#include "app/formats/kicad/KicadDesign.h"
#include "app/formats/kicad/KicadImport.h"
#include "app/model/Board.h"

namespace lq::kicad {

struct KicadOutput {
    std::string board;
    std::vector<std::pair<std::string, std::string>> schematics;  // the path each was read from, its new text
    SchematicExchanges exchanges;
    std::size_t changedNets = 0;
    std::size_t reroutedNets = 0;  // with --unrouted: nets whose tracks, arcs and vias were dropped
};

// The texts of the written project for the run from before to after (the board as imported and
// as read back from the host). The written texts are read again as the design was, and the run
// fails (JobError) when the written board and schematic disagree where the input agreed, or the
// board does not carry the nets of after. Throws JobError too when the nets changed in a way
// KiCad exchanges cannot say.
KicadOutput WriteKicad(const KicadDesign& design, const Board& before, const Board& after);

}  // namespace lq::kicad
