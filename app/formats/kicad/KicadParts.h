// The mapping of a KiCad project onto Board parts, pins and nets: footprints and the placed units
// of the same reference, units as gates, swap rules as gate and pin groups.
#pragma once
#include "app/formats/kicad/KicadDesign.h"
#include "app/model/Board.h"

namespace lq::kicad {

// Fills board.parts and board.nets, design.parts, design.units, design.exchange and
// design.gateOf from design.board, design.project (may be null), design.nets and design.rules.
// Throws ParseError at the place of a footprint whose reference no schematic part has, a
// reference that two different symbols carry, a unit placed twice, and the like.
void MapParts(KicadDesign& design, Board& board);

// KiCad's name of a unit: 1 is A, 26 is Z, 27 is AA.
std::string UnitLetter(int unit);

}  // namespace lq::kicad
