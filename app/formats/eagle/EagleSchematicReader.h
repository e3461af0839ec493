// The schematic's side of an import: what each board element is (part, device set, device), and
// for each pad the gate, pin, direction and swap levels that decide what may be exchanged.
#pragma once
#include "app/formats/eagle/EagleDesign.h"
#include "app/model/Board.h"

namespace lq::eagle {

// Gives every part its attributes and, through the schematic's connect tables, every pad of a
// part the schematic describes its gate and pin attributes; fills design's schematic libraries,
// part links, gates and owners. Without a schematic every part is described by the board alone.
// Throws ParseError for a part naming an unknown library, device set or device, an instance or
// pin reference that leads nowhere, duplicate names, a hierarchical schematic, or a board and
// schematic that do not belong together (an element whose package differs from its part's
// device, a packaged part without an element).
void ReadSchematicSide(EagleDesign& design, Board& board);

// The gate group of a gate: gates of one symbol and one non-zero swap level share it across
// parts; a gate of level 0 gets one of its own.
std::string GateGroupName(const LibraryDef& library, const GateDef& gate, const std::string& part);

}  // namespace lq::eagle
