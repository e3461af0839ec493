// Identity pairing: row k takes column k's place; nothing is measured.
#pragma once
#include "module/autoswap/AutoSwap.h"

class CAutoSwapNoOpt : public CAutoSwap {
    DECLARE_DYNAMIC(CAutoSwapNoOpt)
public:
    using CAutoSwap::CAutoSwap;
    std::int64_t Run() override;
};
