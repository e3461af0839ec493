// The board file's side of an import: elements placed as parts with one pin per pad, and
// signals as nets. Swap information comes from the schematic (EagleSchematicReader).
#pragma once
#include "app/formats/eagle/EagleDesign.h"
#include "app/model/Board.h"

namespace lq::eagle {

// Fills board.parts (pins named by their pads, part attributes value, library and package) and
// board.nets from design.board, and design's board libraries, parts, signals and contacts.
// Throws ParseError for an element without a library package, a signal naming an unknown
// element or pad, duplicate names, coordinates beyond 32 bits, or counts beyond the limits.
void ReadBoardSide(EagleDesign& design, Board& board);

}  // namespace lq::eagle
