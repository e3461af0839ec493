#include "module/autoswap/PairingTotal.h"

#include <limits>
#include <vector>

#include "module/autoswap/AssignmentSolver.h"
#include "module/autoswap/AutoSwapD.h"

namespace {
constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();

bool Allowed(std::int64_t d) { return d >= 0 && d < kNone; }

// Depth-first over the columns with the rows still free as a bit set, cut at the best total.
void Search(const std::int64_t* cost, std::int32_t nRows, std::int32_t nCols, std::int32_t col, std::uint32_t used,
            std::int64_t total, std::int64_t& best)
{
    if (col == nCols) {
        best = total;
        return;
    }
    for (std::int32_t r = 0; r < nRows; ++r) {
        const std::int64_t d = cost[r * nCols + col];
        if ((used >> r & 1u) != 0 || !Allowed(d))
            continue;
        const std::int64_t sum = LQAddDistances(total, d);
        if (sum < best)
            Search(cost, nRows, nCols, col + 1, used | 1u << r, sum, best);
    }
}
}  // namespace

std::int64_t LQLeastPairingTotal(const std::int64_t* cost, std::int32_t nRows, std::int32_t nCols)
{
    if (nCols <= 0)
        return 0;
    if (nRows < nCols)
        return kNone;
    if (nRows == 1)
        return Allowed(cost[0]) ? cost[0] : kNone;
    if (nRows <= CAutoSwapD::kSearchRowLimit) {
        std::int64_t best = kNone;
        Search(cost, nRows, nCols, 0, 0, 0, best);
        return best;
    }
    std::vector<std::vector<std::int64_t>> table(static_cast<std::size_t>(nRows),
                                                 std::vector<std::int64_t>(static_cast<std::size_t>(nCols)));
    for (std::int32_t r = 0; r < nRows; ++r)
        for (std::int32_t k = 0; k < nCols; ++k) {
            const std::int64_t d = cost[r * nCols + k];
            table[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = Allowed(d) ? d : -1;
        }
    std::vector<std::int32_t> colToRow;
    std::int64_t total = 0;
    if (!LQSolveAssignment(table, colToRow, total) || total >= kNone)
        return kNone;
    return total;
}
