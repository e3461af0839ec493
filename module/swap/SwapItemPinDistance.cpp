// Pin swap distance: the length of a pin's connection if it took another pin's net.
#include <cmath>
#include <limits>
#include <vector>

#include "host/LayoutPin.h"
#include "host/MathUtil.h"
#include "host/Net.h"
#include "module/gates/Gate.h"
#include "module/swap/DistanceCounter.h"
#include "module/swap/SwapItemPin.h"

namespace {
constexpr std::int64_t kNothing = std::numeric_limits<std::int64_t>::max();

std::int64_t Isqrt128(unsigned __int128 v)
{
    auto r = static_cast<unsigned __int128>(std::sqrt(static_cast<long double>(v)));
    while (r > 0 && r * r > v)
        --r;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return static_cast<std::int64_t>(r);
}

bool GateHoldsNetPin(const CGate* pGate, const CNetPin* pNetPin)
{
    if (pGate == nullptr)
        return false;
    for (CLayoutPin* pPin : const_cast<CGate*>(pGate)->GetPins()) {
        if (pPin->GetNetConnection()->GetNetPin() == pNetPin)
            return true;
    }
    return false;
}

std::int64_t Nearest(const CLQPoint& from, const std::vector<CLayoutPin*>& pins)
{
    std::int64_t best = kNothing;
    for (CLayoutPin* pPin : pins) {
        const std::int64_t d = LQPointDistance(from, pPin->GetLocation());
        if (d < best)
            best = d;
    }
    return best;
}
}  // namespace

std::int64_t LQDistanceFromSquare(unsigned __int128 sum)
{
    if (sum <= static_cast<unsigned __int128>(kNothing))
        return sqroot(static_cast<std::int64_t>(sum));
    return Isqrt128(sum);
}

std::int64_t LQPointDistance(const CLQPoint& a, const CLQPoint& b)
{
    const std::int64_t dx = static_cast<std::int64_t>(a.x) - b.x;
    const std::int64_t dy = static_cast<std::int64_t>(a.y) - b.y;
    // |dx| and |dy| stay below 2^32, so their squares fit unsigned 64-bit and the sum 128-bit.
    const std::uint64_t ax = static_cast<std::uint64_t>(dx < 0 ? -dx : dx);
    const std::uint64_t ay = static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
    return LQDistanceFromSquare(static_cast<unsigned __int128>(ax * ax) + static_cast<unsigned __int128>(ay * ay));
}

std::int64_t CSwapItemPin::GetDistance(CSwapItem* other, CObject**&, std::int64_t fallback)
{
    LQCountDistanceCall();
    auto* pOther = DYNAMIC_DOWNCAST(CSwapItemPin, other);
    if (pOther == nullptr)
        return -1;
    CNet* pNet = pOther->m_pPin->GetNetConnection()->GetNet();
    if (pNet == nullptr)
        return fallback;

    const CLQPoint from = m_pPin->GetLocation();
    std::int64_t best = kNothing;
    std::vector<CLayoutPin*> ownGate;
    std::vector<CLayoutPin*> otherGate;
    for (CNetPin* pNetPin : pNet->GetNetPins()) {
        auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pNetPin->GetDrawObject());
        if (pPin == nullptr)
            continue;
        if (GateHoldsNetPin(m_pGate, pNetPin)) {
            ownGate.push_back(pPin);
            continue;
        }
        if (m_pGate != pOther->m_pGate && GateHoldsNetPin(pOther->m_pGate, pNetPin)) {
            otherGate.push_back(pPin);
            continue;
        }
        const std::int64_t d = LQPointDistance(from, pPin->GetLocation());
        if (d < best)
            best = d;
    }
    if (best == kNothing)
        best = !otherGate.empty() ? Nearest(from, otherGate) : Nearest(from, ownGate);
    return best;
}
