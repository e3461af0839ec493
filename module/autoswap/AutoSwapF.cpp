#include "module/autoswap/AutoSwapF.h"

#include <limits>

#include "module/swap/ConnectionData.h"
#include "module/swap/ExchangeCheck.h"

namespace {
LQGroupEngine g_engine = nullptr;

constexpr std::int64_t kNothing = std::numeric_limits<std::int64_t>::max();

bool Measurable(std::int64_t d) { return d >= 0 && d < kNothing; }

std::int64_t Measure(CSwapItem* a, CSwapItem* b, CObject**& data)
{
    data = nullptr;
    return a->GetDistance(b, data, 0);
}
}  // namespace

CAutoSwapF::CAutoSwapF(std::vector<CSwapItem*> items) : m_items(std::move(items)), m_nItems(static_cast<std::int32_t>(m_items.size())) {}

CAutoSwapF::~CAutoSwapF() = default;

void LQSetGroupEngine(LQGroupEngine engine) { g_engine = engine; }

void CAutoSwapF::Run()
{
    if (g_engine != nullptr) {
        g_engine(m_items);
        return;
    }
    // One item has no partner to exchange with.
    if (m_nItems < 2)
        return;
    int nPasses = 0;
    bool bImproved = false;
    do {
        bImproved = false;
        for (std::int32_t i = 0; i < m_nItems; ++i) {
            CSwapItem* pI = m_items[static_cast<std::size_t>(i)];
            CObject** pSelfList = nullptr;
            const std::int64_t dii = Measure(pI, pI, pSelfList);
            ReleaseConnectionData(pSelfList);

            __int128 bestGain = 0;
            std::int32_t partner = -1;
            CObject** pBestIP = nullptr;
            CObject** pBestPI = nullptr;
            for (std::int32_t j = 0; j < m_nItems; ++j) {
                if (j == i)
                    continue;
                CSwapItem* pJ = m_items[static_cast<std::size_t>(j)];
                CObject** pListJJ = nullptr;
                CObject** pListIJ = nullptr;
                CObject** pListJI = nullptr;
                const std::int64_t djj = Measure(pJ, pJ, pListJJ);
                const std::int64_t dij = Measure(pI, pJ, pListIJ);
                const std::int64_t dji = Measure(pJ, pI, pListJI);
                ReleaseConnectionData(pListJJ);
                // A value that measured nothing, or a pairing that cannot be applied whole, never wins.
                bool bUsable = Measurable(dii) && Measurable(djj) && Measurable(dij) && Measurable(dji);
                const __int128 gain = static_cast<__int128>(dii) + djj - (static_cast<__int128>(dij) + dji);
                if (bUsable && gain > bestGain)
                    bUsable = LQCanApplyExchange(pI, pJ, pListIJ, pListJI);
                if (bUsable && gain > bestGain) {
                    bestGain = gain;
                    partner = j;
                    ReleaseConnectionData(pBestIP);
                    ReleaseConnectionData(pBestPI);
                    pBestIP = pListIJ;
                    pBestPI = pListJI;
                } else {
                    ReleaseConnectionData(pListIJ);
                    ReleaseConnectionData(pListJI);
                }
            }
            if (partner >= 0) {
                bImproved = true;
                CSwapItem* pP = m_items[static_cast<std::size_t>(partner)];
                pI->Unconnect();
                pP->Unconnect();
                pI->Connect(pP, pBestIP);
                pP->Connect(pI, pBestPI);
                pI->Refresh();
                pP->Refresh();
            }
            ReleaseConnectionData(pBestIP);
            ReleaseConnectionData(pBestPI);
        }
        ++nPasses;
    } while (bImproved && nPasses < kMaxPasses);
}
