// Whether a board and its schematic agree: every contact reference of a board signal, mapped
// through the schematic (element = part, pad -> connect -> gate and pin), lands on the schematic
// net of the same name, and every pin reference's pads are on the board signal of its net.
#pragma once
#include <string>
#include <vector>

#include "app/formats/eagle/EagleDesign.h"

namespace lq::eagle {

// The disagreements of the design's documents as they are now, one line each, in a stable
// order; empty without a schematic. A supply pin of a gate that the schematic never placed
// (connected by its name, without a pin reference) is not a disagreement.
std::vector<std::string> ConsistencyProblems(const EagleDesign& design);

}  // namespace lq::eagle
