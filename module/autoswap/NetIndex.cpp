#include "module/autoswap/NetIndex.h"

#include "host/LayoutPin.h"
#include "host/Net.h"
#include "module/swap/SwapItemPin.h"

std::int32_t CNetIndex::Register(CLayoutPin* pPin, std::int32_t owner)
{
    const auto slot = static_cast<std::int32_t>(m_slotPins.size());
    if (!m_slotOf.emplace(pPin, slot).second) {
        m_bUsable = false;
        return m_slotOf[pPin];
    }
    const CLQPoint at = pPin->GetLocation();
    m_slotLayoutPins.push_back(pPin);
    m_slotPins.push_back(Pin{at.x, at.y, owner, slot});
    m_slotNet.push_back(-1);
    return slot;
}

std::int32_t CNetIndex::FindNet(CNet* pNet) const
{
    auto it = m_netOf.find(pNet);
    return it != m_netOf.end() ? it->second : -1;
}

std::int32_t CNetIndex::IndexNet(CNet* pNet)
{
    const auto id = static_cast<std::int32_t>(m_nets.size());
    m_netOf.emplace(pNet, id);
    Net net{pNet, m_clock, {}};
    for (CNetPin* pNetPin : pNet->GetNetPins()) {
        auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pNetPin->GetDrawObject());
        if (pPin == nullptr)
            continue;
        auto it = m_slotOf.find(pPin);
        if (it == m_slotOf.end()) {
            const CLQPoint at = pPin->GetLocation();
            net.pins.push_back(Pin{at.x, at.y, -1, -1});
            continue;
        }
        // A group's pin counts as its gate's only through its own net pin.
        if (static_cast<CNetPin*>(pPin->GetNetConnection()->GetNetPin()) != pNetPin)
            m_bUsable = false;
        net.pins.push_back(m_slotPins[static_cast<std::size_t>(it->second)]);
    }
    m_nets.push_back(std::move(net));
    return id;
}

bool CNetIndex::Build()
{
    for (std::size_t s = 0; s < m_slotLayoutPins.size(); ++s) {
        CNetConnection* pFacet = m_slotLayoutPins[s]->GetNetConnection();
        CNet* pNet = pFacet->GetNet();
        if (pNet == nullptr)
            continue;
        std::int32_t id = FindNet(pNet);
        if (id < 0)
            id = IndexNet(pNet);
        m_slotNet[s] = id;
    }
    // Nets are rarely met after this (exchanges move pins between nets already here), and the
    // records are large enough for the room left by growth to count.
    m_nets.shrink_to_fit();
    return m_bUsable;
}

std::uint64_t CNetIndex::Refresh(const std::int32_t* slots, std::size_t nSlots)
{
    const std::uint64_t stamp = ++m_clock;
    // An exchange moves pins between the nets these slots were on: those are found among them
    // first, where a lookup in the map would read memory spread over the whole index.
    m_recentNets.clear();
    for (std::size_t k = 0; k < nSlots; ++k)
        if (const std::int32_t net = m_slotNet[static_cast<std::size_t>(slots[k])]; net >= 0)
            m_recentNets.push_back(net);
    for (std::size_t k = 0; k < nSlots; ++k) {
        const std::int32_t slot = slots[k];
        CNet* pLive = m_slotLayoutPins[static_cast<std::size_t>(slot)]->GetNetConnection()->GetNet();
        const std::int32_t old = m_slotNet[static_cast<std::size_t>(slot)];
        if (old >= 0 && m_nets[static_cast<std::size_t>(old)].pNet == pLive)
            continue;
        if (old < 0 && pLive == nullptr)
            continue;
        if (old >= 0) {
            Net& net = m_nets[static_cast<std::size_t>(old)];
            for (std::size_t e = 0; e < net.pins.size(); ++e)
                if (net.pins[e].slot == slot) {
                    net.pins[e] = net.pins.back();
                    net.pins.pop_back();
                    break;
                }
            net.version = stamp;
        }
        std::int32_t id = -1;
        if (pLive != nullptr) {
            for (const std::int32_t net : m_recentNets)
                if (m_nets[static_cast<std::size_t>(net)].pNet == pLive) {
                    id = net;
                    break;
                }
            if (id < 0)
                id = FindNet(pLive);
            if (id < 0) {
                // A net first reached now: it lists the pins that are on it at this moment.
                id = IndexNet(pLive);
            } else {
                Net& net = m_nets[static_cast<std::size_t>(id)];
                bool bListed = false;
                for (const Pin& p : net.pins)
                    bListed = bListed || p.slot == slot;
                if (!bListed)
                    net.pins.push_back(m_slotPins[static_cast<std::size_t>(slot)]);
            }
            m_nets[static_cast<std::size_t>(id)].version = stamp;
        }
        m_slotNet[static_cast<std::size_t>(slot)] = id;
    }
    return stamp;
}

namespace {
// The distance to the nearest pin of the net as LQIndexedPinDistance picks it, with squared
// distances kept in Square; false when one of them would not fit (only then does the 64-bit form
// need 128 bits).
template <class Square>
bool NearestDistance(const CNetIndex::Pins& pins, std::int32_t x, std::int32_t y, std::int32_t rowGate,
                     std::int32_t colGate, std::int64_t& distance)
{
    constexpr Square kFar = ~static_cast<Square>(0);
    Square foreign = kFar, other = kFar, own = kFar;
    for (const CNetIndex::Pin& p : pins) {
        const std::int64_t dx = static_cast<std::int64_t>(x) - p.x;
        const std::int64_t dy = static_cast<std::int64_t>(y) - p.y;
        const auto ux = static_cast<std::uint64_t>(dx < 0 ? -dx : dx);
        const auto uy = static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
        // Below 2^31 each, the sum of squares stays below 2^63.
        if constexpr (sizeof(Square) == sizeof(std::uint64_t))
            if ((ux | uy) >> 31 != 0)
                return false;
        const Square d = static_cast<Square>(ux * ux) + static_cast<Square>(uy * uy);
        Square& best = p.owner == rowGate ? own : (rowGate != colGate && p.owner == colGate) ? other : foreign;
        if (d < best)
            best = d;
    }
    const Square nearest = foreign != kFar ? foreign : other != kFar ? other : own;
    distance = nearest != kFar ? LQDistanceFromSquare(nearest) : INT64_MAX;
    return true;
}
}  // namespace

std::int64_t LQIndexedPinDistance(const CNetIndex& index, std::int32_t row, std::int32_t col, std::int32_t rowGate,
                                  std::int32_t colGate)
{
    const std::int32_t net = index.NetOf(col);
    if (net < 0)
        return 0;
    const std::int32_t x = index.X(row), y = index.Y(row);
    std::int64_t distance = 0;
    if (!NearestDistance<std::uint64_t>(index.PinsOf(net), x, y, rowGate, colGate, distance))
        NearestDistance<unsigned __int128>(index.PinsOf(net), x, y, rowGate, colGate, distance);
    return distance;
}
