// A generated layout sheet as an lqhost board, so that lqhost's own stages can run on the
// benchmark boards: parts from the components (placed at the origin, so pins keep their board
// positions), pins with their attributes, nets in the netlist's order.
#pragma once
#include "app/model/Board.h"

class CLayoutSubSheet;

namespace lqbench {

lq::Board BoardFromSheet(const CLayoutSubSheet* pSheet);

}  // namespace lqbench
