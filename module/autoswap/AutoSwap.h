// Pin pairing between two groups: cached distances, a strategy's assignment, and applying it.
#pragma once
#include <cstdint>
#include <vector>

#include "module/swap/SwapItem.h"

class CAutoSwap : public CObject {
    DECLARE_DYNAMIC(CAutoSwap)
public:
    static constexpr std::int64_t kNotEvaluated = -2;

    CAutoSwap(std::vector<CSwapItem*> rows, std::vector<CSwapItem*> cols);
    ~CAutoSwap() override;
    CAutoSwap(const CAutoSwap&) = delete;
    CAutoSwap& operator=(const CAutoSwap&) = delete;

    virtual std::int64_t Run() = 0;

    std::int64_t GetPairDistance(std::int32_t row, std::int32_t col);
    // Takes a pair's distance as measured elsewhere: Run then reads it instead of asking the row.
    void SetPairDistance(std::int32_t row, std::int32_t col, std::int64_t d)
    {
        m_distances[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = d;
    }
    void SwapPairs();
    void ConnectPairs();

    std::int32_t GetRowCount() const { return m_nRows; }
    std::int32_t GetColCount() const { return m_nCols; }
    const std::vector<CSwapItem*>& GetRows() const { return m_rows; }
    const std::vector<CSwapItem*>& GetCols() const { return m_cols; }
    // The row that takes column k's place, or -1 when the strategy gave it none.
    std::int32_t GetAssignedRow(std::int32_t col) const;

protected:
    std::int32_t m_nRows;
    std::int32_t m_nCols;
    std::vector<CSwapItem*> m_rows;
    std::vector<CSwapItem*> m_cols;
    std::vector<std::vector<std::int64_t>> m_distances;
    std::vector<std::vector<CObject**>> m_connectionData;
    // Entries start at -1 so that a column without a row is never applied.
    std::int32_t* m_assignment;

private:
    void ApplyPairs(bool bUnconnectFirst);
};
