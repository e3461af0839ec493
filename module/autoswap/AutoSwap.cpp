#include "module/autoswap/AutoSwap.h"

#include "module/swap/ConnectionData.h"

IMPLEMENT_RUNTIMECLASS(CAutoSwap, CObject, 0xFFFF)

CAutoSwap::CAutoSwap(std::vector<CSwapItem*> rows, std::vector<CSwapItem*> cols)
    : m_nRows(static_cast<std::int32_t>(rows.size())),
      m_nCols(static_cast<std::int32_t>(cols.size())),
      m_rows(std::move(rows)),
      m_cols(std::move(cols)),
      m_distances(static_cast<std::size_t>(m_nRows),
                  std::vector<std::int64_t>(static_cast<std::size_t>(m_nCols), kNotEvaluated)),
      m_connectionData(static_cast<std::size_t>(m_nRows),
                       std::vector<CObject**>(static_cast<std::size_t>(m_nCols), nullptr)),
      m_assignment(m_nCols > 0 ? new std::int32_t[static_cast<std::size_t>(m_nCols)] : nullptr)
{
    for (std::int32_t k = 0; k < m_nCols; ++k)
        m_assignment[k] = -1;
}

CAutoSwap::~CAutoSwap()
{
    for (auto& row : m_connectionData)
        for (CObject** data : row)
            ReleaseConnectionData(data);
    delete[] m_assignment;
}

std::int64_t CAutoSwap::GetPairDistance(std::int32_t row, std::int32_t col)
{
    std::int64_t& cached = m_distances[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (cached != kNotEvaluated)
        return cached;
    CObject**& list = m_connectionData[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    ReleaseConnectionData(list);  // a distance of exactly -2 is measured again; keep no orphan list
    list = nullptr;
    cached = m_rows[static_cast<std::size_t>(row)]->GetDistance(m_cols[static_cast<std::size_t>(col)], list, 0);
    return cached;
}

std::int32_t CAutoSwap::GetAssignedRow(std::int32_t col) const
{
    if (m_assignment == nullptr || col < 0 || col >= m_nCols)
        return -1;
    const std::int32_t r = m_assignment[col];
    return (r >= 0 && r < m_nRows) ? r : -1;
}

void CAutoSwap::ApplyPairs(bool bUnconnectFirst)
{
    if (m_assignment == nullptr)
        return;
    for (std::int32_t k = 0; k < m_nCols; ++k) {
        const std::int32_t r = GetAssignedRow(k);
        if (r < 0)
            continue;
        CSwapItem* pRow = m_rows[static_cast<std::size_t>(r)];
        if (bUnconnectFirst)
            pRow->Unconnect();
        pRow->Connect(m_cols[static_cast<std::size_t>(k)],
                      m_connectionData[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]);
    }
}

void CAutoSwap::SwapPairs() { ApplyPairs(true); }
void CAutoSwap::ConnectPairs() { ApplyPairs(false); }
