// Whether a KiCad board and its schematic agree: every pad of a part carries the net the
// schematic gives its pin (compared by which pins share a net, since KiCad names some nets after
// a pad), and every footprint's link leads to a symbol of its own reference.
#pragma once
#include <string>
#include <vector>

#include "app/formats/kicad/KicadDesign.h"

namespace lq::kicad {

// One line per disagreement, sorted; empty when they agree or there is no schematic.
std::vector<std::string> ConsistencyProblems(const KicadDesign& design);

}  // namespace lq::kicad
