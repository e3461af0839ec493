#include "module/autoswap/AssignmentSolver.h"

#include <limits>

namespace {
using Wide = __int128;

// Forbidden pairs cost more than any pairing of allowed ones can.
constexpr Wide kForbidden = static_cast<Wide>(1) << 100;
constexpr Wide kInfinity = static_cast<Wide>(1) << 120;

struct Solver {
    int n = 0;                       // square size: real columns plus zero-cost dummy columns
    std::vector<std::vector<Wide>> a;  // a[i][j]: column i (1-based) given row j (1-based)
    std::vector<Wide> u, v;
    std::vector<int> rowOf;  // rowOf[j]: the column holding row j
    std::vector<int> colOf;  // colOf[i]: the row held by column i

    bool Tight(int i, int j) const { return a[i][j] < kForbidden && a[i][j] - u[i] - v[j] == 0; }

    void Hungarian()
    {
        u.assign(n + 1, 0);
        v.assign(n + 1, 0);
        std::vector<int> p(n + 1, 0), way(n + 1, 0);
        for (int i = 1; i <= n; ++i) {
            p[0] = i;
            int j0 = 0;
            std::vector<Wide> minv(n + 1, kInfinity);
            std::vector<char> used(n + 1, 0);
            do {
                used[j0] = 1;
                const int i0 = p[j0];
                Wide delta = kInfinity;
                int j1 = 0;
                for (int j = 1; j <= n; ++j) {
                    if (used[j])
                        continue;
                    const Wide cur = a[i0][j] - u[i0] - v[j];
                    if (cur < minv[j]) {
                        minv[j] = cur;
                        way[j] = j0;
                    }
                    if (minv[j] < delta) {
                        delta = minv[j];
                        j1 = j;
                    }
                }
                for (int j = 0; j <= n; ++j) {
                    if (used[j]) {
                        u[p[j]] += delta;
                        v[j] -= delta;
                    } else {
                        minv[j] -= delta;
                    }
                }
                j0 = j1;
            } while (p[j0] != 0);
            do {
                const int j1 = way[j0];
                p[j0] = p[j1];
                j0 = j1;
            } while (j0 != 0);
        }
        rowOf.assign(n + 1, 0);
        colOf.assign(n + 1, 0);
        for (int j = 1; j <= n; ++j) {
            rowOf[j] = p[j];
            colOf[p[j]] = j;
        }
    }

    // Finds a new tight row for column i, avoiding fixed columns and rows already visited,
    // ending at the freed row 'target'. Rewires the matching along the path when found.
    bool Reroute(int i, int target, const std::vector<char>& fixed, std::vector<char>& visited)
    {
        for (int j = 1; j <= n; ++j) {
            if (visited[j] || !Tight(i, j))
                continue;
            visited[j] = 1;
            if (j == target || (!fixed[rowOf[j]] && Reroute(rowOf[j], target, fixed, visited))) {
                rowOf[j] = i;
                colOf[i] = j;
                return true;
            }
        }
        return false;
    }

    // Makes column i hold row j if an optimal matching with the fixed columns allows it.
    bool TryFix(int i, int j, const std::vector<char>& fixed)
    {
        if (colOf[i] == j)
            return true;
        const int holder = rowOf[j];
        if (fixed[holder])
            return false;
        const int freed = colOf[i];
        std::vector<char> visited(n + 1, 0);
        visited[j] = 1;
        const std::vector<int> saveRow = rowOf, saveCol = colOf;
        if (!Reroute(holder, freed, fixed, visited)) {
            rowOf = saveRow;
            colOf = saveCol;
            return false;
        }
        rowOf[j] = i;
        colOf[i] = j;
        return true;
    }
};
}  // namespace

bool LQSolveAssignment(const std::vector<std::vector<std::int64_t>>& cost, std::vector<std::int32_t>& colToRow,
                       std::int64_t& total)
{
    const int nRows = static_cast<int>(cost.size());
    const int nCols = nRows > 0 ? static_cast<int>(cost[0].size()) : 0;
    colToRow.assign(static_cast<std::size_t>(nCols), -1);
    total = 0;
    if (nCols == 0)
        return true;
    if (nRows < nCols)
        return false;

    Solver s;
    s.n = nRows;
    s.a.assign(s.n + 1, std::vector<Wide>(s.n + 1, 0));
    for (int k = 0; k < nCols; ++k)
        for (int r = 0; r < nRows; ++r) {
            const std::int64_t c = cost[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
            s.a[k + 1][r + 1] = c < 0 ? kForbidden : static_cast<Wide>(c);
        }
    s.Hungarian();

    for (int k = 1; k <= nCols; ++k)
        if (s.a[k][s.colOf[k]] >= kForbidden)
            return false;

    // Every optimal pairing uses only tight pairs; take the first one in column order.
    std::vector<char> fixed(s.n + 1, 0);
    for (int k = 1; k <= nCols; ++k) {
        for (int j = 1; j <= s.n; ++j) {
            if (s.Tight(k, j) && s.TryFix(k, j, fixed))
                break;
        }
        fixed[k] = 1;
    }

    Wide sum = 0;
    for (int k = 1; k <= nCols; ++k) {
        colToRow[static_cast<std::size_t>(k - 1)] = s.colOf[k] - 1;
        sum += s.a[k][s.colOf[k]];
    }
    const Wide kMax = std::numeric_limits<std::int64_t>::max();
    total = static_cast<std::int64_t>(sum < kMax ? sum : kMax);
    return true;
}
