#include "module/autoswap/AutoSwapD.h"

#include <limits>
#include <memory>

#include "module/autoswap/AssignmentSolver.h"

IMPLEMENT_RUNTIMECLASS(CAutoSwapD, CAutoSwap, 0xFFFF)

namespace {
constexpr std::int64_t kNoPairing = std::numeric_limits<std::int64_t>::max();
}

std::int64_t LQAddDistances(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return (a < 0) == (b < 0) && a < 0 ? std::numeric_limits<std::int64_t>::min() : kNoPairing;
    return sum;
}

std::int64_t CAutoSwapD::Run()
{
    if (m_nCols <= 0)
        return m_bestTotal = 0;
    // Fewer rows than columns never pair every column.
    if (m_nRows < m_nCols)
        return m_bestTotal = kNoPairing;
    return m_nRows <= kSearchRowLimit ? RunSearch() : RunAssignment();
}

std::int64_t CAutoSwapD::RunSearch()
{
    std::unique_ptr<unsigned char[]> rowFree;
    if (m_nRows >= 1) {
        rowFree = std::make_unique<unsigned char[]>(static_cast<std::size_t>(m_nRows));
        for (std::int32_t r = 0; r < m_nRows; ++r)
            rowFree[r] = 1;
    }
    std::unique_ptr<std::int32_t[]> pairing;
    if (m_nCols >= 1)
        pairing = std::make_unique<std::int32_t[]>(static_cast<std::size_t>(m_nCols));
    m_bestTotal = kNoPairing;
    Search(0, rowFree.get(), 0, pairing.get());
    return m_bestTotal;
}

void CAutoSwapD::Search(std::int32_t col, unsigned char* rowFree, std::int64_t total, std::int32_t* pairing)
{
    if (col >= m_nCols) {
        if (total < m_bestTotal) {
            m_bestTotal = total;
            for (std::int32_t k = 0; k < m_nCols; ++k)
                m_assignment[k] = pairing[k];
        }
        return;
    }
    for (std::int32_t r = 0; r < m_nRows; ++r) {
        const std::int64_t d = GetPairDistance(r, col);
        if (rowFree[r] && d >= 0 && LQAddDistances(total, d) < m_bestTotal) {
            rowFree[r] = 0;
            pairing[col] = r;
            Search(col + 1, rowFree, LQAddDistances(total, d), pairing);
            rowFree[r] = 1;
        }
    }
}

std::int64_t CAutoSwapD::RunAssignment()
{
    m_bestTotal = kNoPairing;
    if (m_nCols <= 0)
        return m_bestTotal = 0;
    // Fewer rows than columns never pair every column (and a table without rows could not tell
    // the solver how many columns it has).
    if (m_nRows < m_nCols)
        return m_bestTotal;
    std::vector<std::vector<std::int64_t>> cost(static_cast<std::size_t>(m_nRows),
                                                std::vector<std::int64_t>(static_cast<std::size_t>(m_nCols)));
    for (std::int32_t k = 0; k < m_nCols; ++k)
        for (std::int32_t r = 0; r < m_nRows; ++r) {
            const std::int64_t d = GetPairDistance(r, k);
            // A pair the search would never take: negative, or nothing measurable.
            cost[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = (d >= 0 && d < kNoPairing) ? d : -1;
        }
    std::vector<std::int32_t> colToRow;
    std::int64_t total = 0;
    if (!LQSolveAssignment(cost, colToRow, total) || total >= kNoPairing)
        return m_bestTotal;
    m_bestTotal = total;
    for (std::int32_t k = 0; k < m_nCols; ++k)
        m_assignment[k] = colToRow[static_cast<std::size_t>(k)];
    return m_bestTotal;
}
