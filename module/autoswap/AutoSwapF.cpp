#include "module/autoswap/AutoSwapF.h"

#include "module/autoswap/ExchangeSearch.h"

namespace {
LQGroupEngine g_engine = nullptr;
}  // namespace

CAutoSwapF::CAutoSwapF(std::vector<CSwapItem*> items)
    : m_items(std::move(items)), m_nItems(static_cast<std::int32_t>(m_items.size()))
{
}

CAutoSwapF::~CAutoSwapF() = default;

void LQSetGroupEngine(LQGroupEngine engine) { g_engine = engine; }

void CAutoSwapF::Run()
{
    if (g_engine != nullptr)
        g_engine(m_items);
    else
        LQRunGroup(m_items);
}
