// The least total of a pin pairing, as the minimum-total strategy finds it, from a table of
// distances: no allocation for the small groups of gates.
#pragma once
#include <cstdint>

// cost[r * nCols + k] is the distance of row r in column k's place; a negative distance or
// INT64_MAX forbids the pair. Answers the least total over all ways of giving every column its
// own row, INT64_MAX when there is none or it would reach INT64_MAX, and 0 without columns.
std::int64_t LQLeastPairingTotal(const std::int64_t* cost, std::int32_t nRows, std::int32_t nCols);
