#include "module/autoswap/AutoSwapNoOpt.h"

IMPLEMENT_RUNTIMECLASS(CAutoSwapNoOpt, CAutoSwap, 0xFFFF)

std::int64_t CAutoSwapNoOpt::Run()
{
    // Only columns that have a row of the same index get one.
    for (std::int32_t k = 0; k < m_nRows && k < m_nCols; ++k)
        m_assignment[k] = k;
    return 1;
}
