// Which pads the copper of a board already connects, and how the host is made to see exactly
// those pins as routed.
#pragma once
#include <set>
#include <vector>

#include "app/formats/RoutedMarkers.h"
#include "app/formats/eagle/EagleDesign.h"
#include "app/model/Board.h"

namespace lq::eagle {

// The pins that copper of their own signal reaches: a wire of the signal on a copper layer the
// pad has ends inside the pad's rectangle, a via of the signal (through a layer of the pad) sits
// inside it, or a polygon of the signal on such a layer covers the pad's centre. Airwires
// (layer 19) and other non-copper layers do not count. Reads and checks every wire, via and
// polygon of every signal; throws ParseError for bad values.
std::set<PinIndex> PinsOnCopper(const EagleDesign& design, const Board& board, const BoardIndex& index);

}  // namespace lq::eagle
