// Exact rectangular assignment with a deterministic tie-break.
#pragma once
#include <cstdint>
#include <vector>

// cost[r][k] >= 0 is the cost of giving column k the row r; -1 forbids the pair. Every column must
// get its own row (columns <= rows). Among all pairings of least total, the result is the first in
// column order: the lowest possible row for column 0, then for column 1, and so on. Returns false
// when no pairing exists; the total saturates at INT64_MAX.
bool LQSolveAssignment(const std::vector<std::vector<std::int64_t>>& cost, std::vector<std::int32_t>& colToRow,
                       std::int64_t& total);
