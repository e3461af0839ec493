#include "app/refine/EffortSearch.h"

#include <algorithm>
#include <limits>
#include <random>

namespace lq {

namespace {

constexpr std::int64_t kAny = std::numeric_limits<std::int64_t>::max();

// std::mt19937_64's numbers are fixed by the standard; the library's distributions are not.
std::size_t Below(std::mt19937_64& rng, std::size_t n) { return static_cast<std::size_t>(rng() % n); }

class Shaker {
public:
    Shaker(SwapSpace& space, LocalSearch& search, std::mt19937_64& rng) : m_space(space), m_search(search), m_rng(rng)
    {
        for (const auto& group : space.GateGroups())
            m_gates.insert(m_gates.end(), group.begin(), group.end());
    }

    // A few random exchanges around one gate or pin group; false when there is nothing to shake.
    bool Shake()
    {
        const std::size_t items = m_gates.size() + m_space.PinGroups().size();
        if (items == 0)
            return false;
        const std::size_t count = 1 + Below(m_rng, 3);
        std::size_t pick = Below(m_rng, items);
        for (std::size_t i = 0; i < count; ++i) {
            if (pick < m_gates.size()) {
                const int gate = m_gates[pick];
                const std::vector<int>& partners = m_search.Partners(gate);
                if (partners.empty())
                    return true;
                const int other = partners[Below(m_rng, partners.size())];
                if (m_search.Measure().Gates(gate, other, m_exchange, kAny) && m_space.ConfirmGates(gate, other))
                    m_search.Perform(m_exchange);
                // The next shake near this one: at the partner.
                pick = static_cast<std::size_t>(std::find(m_gates.begin(), m_gates.end(), other) - m_gates.begin());
            } else {
                const PinGroup& group = m_space.PinGroups()[pick - m_gates.size()];
                const int p = group.pins[Below(m_rng, group.pins.size())], q = group.pins[Below(m_rng, group.pins.size())];
                if (p != q && m_search.Measure().Pins(p, q, m_exchange, kAny) && m_space.ConfirmPins(p, q))
                    m_search.Perform(m_exchange);
            }
        }
        return true;
    }

private:
    SwapSpace& m_space;
    LocalSearch& m_search;
    std::mt19937_64& m_rng;
    std::vector<int> m_gates;
    Exchange m_exchange;
};

}  // namespace

EffortOutcome SearchHarder(WireModel& model, SwapSpace& space, LocalSearch& search, std::uint64_t work, std::uint64_t seed)
{
    EffortOutcome outcome;
    std::mt19937_64 rng(seed);
    Shaker shaker(space, search, rng);
    const std::uint64_t limit = model.Work() + work;
    std::uint64_t best = model.Total();
    ExchangeCounts kept = search.Counts();
    model.OpenLog();
    while (model.Work() < limit) {
        ++outcome.rounds;
        // Shakes that find nothing to measure (gates whose pins are all routed, say) cost time
        // too: without this a board with little to move would never use up its budget.
        model.WorkCounter() += kRoundWork;
        if (!shaker.Shake())
            break;
        const bool settled = search.Settle(limit);
        if (settled && model.Total() <= best) {
            outcome.improvements += model.Total() < best ? 1 : 0;
            best = model.Total();
            kept = search.Counts();
            model.OpenLog();
            continue;
        }
        model.Undo();
        search.Forget(kept);
        if (!settled)
            break;
    }
    model.CloseLog();
    return outcome;
}

}  // namespace lq
