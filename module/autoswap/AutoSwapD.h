// Minimum-total pin pairing: every column gets its own row at the smallest total distance;
// among equal totals, the lowest row for column 0, then for column 1, and so on.
#pragma once
#include "module/autoswap/AutoSwap.h"

class CAutoSwapD : public CAutoSwap {
    DECLARE_DYNAMIC(CAutoSwapD)
public:
    // Above this many rows the depth-first search gives way to an exact assignment solver.
    static constexpr std::int32_t kSearchRowLimit = 7;

    using CAutoSwap::CAutoSwap;
    std::int64_t Run() override;

    // Both give the same result; Run picks by size.
    std::int64_t RunSearch();
    std::int64_t RunAssignment();

    std::int64_t GetBestTotal() const { return m_bestTotal; }

protected:
    void Search(std::int32_t col, unsigned char* rowFree, std::int64_t total, std::int32_t* pairing);

private:
    std::int64_t m_bestTotal = 0;
};

// Saturating sum of non-negative distances.
std::int64_t LQAddDistances(std::int64_t a, std::int64_t b);
