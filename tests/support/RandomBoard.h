// Random boards of mixed packages for property tests: quad gates with their supply pins outside
// the gates, buffers that hold their supply pins, resistors and connectors without gates, odd
// variants that share a gate group with the quads; random and local nets, unconnected pins,
// routed pins, packages spread over the whole 32-bit coordinate range if asked.
#pragma once
#include <random>
#include <vector>

#include "tests/support/BoardBuilder.h"

namespace lqtest {

struct RandomBoardShape {
    int nPackages = 8;
    int nValues = 2;           // distinct values per package type: more values, smaller gate groups
    bool bNearLimits = false;  // packages anywhere in the 32-bit range instead of on a small grid
    bool bQuadsOnly = false;   // quad gates only, all in one gate group: a large group of one kind
};

// The shape of board k of a series: mostly small boards, now and then a large one.
RandomBoardShape RandomShape(std::mt19937& rng);
// Builds the board and answers all its pins in creation order. The same generator state always
// gives the same board.
std::vector<CLayoutPin*> GenerateBoard(std::mt19937& rng, BoardBuilder& b, const RandomBoardShape& shape);

}  // namespace lqtest
