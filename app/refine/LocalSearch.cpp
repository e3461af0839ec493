#include "app/refine/LocalSearch.h"

#include <algorithm>
#include <cassert>


namespace lq {

LocalSearch::LocalSearch(WireModel& model, SwapSpace& space)
    : m_model(model),
      m_space(space),
      m_exchanges(model, space),
      m_queued(space.PinGroups().size() + space.Gates().size(), 0),
      m_neighbours(space.Gates().size()),
      m_candidates(model, space, kNearest),
      m_changed(space.Gates().size(), 0),
      m_checked(space.Gates().size(), 0)
{
    MakeNeighbours();
}

void LocalSearch::MakeNeighbours()
{
    for (const std::vector<int>& group : m_space.GateGroups())
        if (group.size() <= kWholeGroup)
            for (int g : group)
                for (int h : group)
                    if (h != g)
                        m_neighbours[static_cast<std::size_t>(g)].push_back(h);
}

const std::vector<int>& LocalSearch::Partners(int gate)
{
    const GateEntry& g = m_space.Gates()[static_cast<std::size_t>(gate)];
    if (m_space.GateGroups()[static_cast<std::size_t>(g.gateGroup)].size() <= kWholeGroup)
        return m_neighbours[static_cast<std::size_t>(gate)];
    return m_candidates.Of(gate);
}

void LocalSearch::Push(int item)
{
    if (item < 0 || m_queued[static_cast<std::size_t>(item)])
        return;
    m_queued[static_cast<std::size_t>(item)] = 1;
    m_queue.push_back(item);
}

void LocalSearch::Requeue(const std::vector<int>& pins)
{
    const int gatesFrom = static_cast<int>(m_space.PinGroups().size());
    ++m_step;
    auto touch = [&](int pin) {
        Push(m_space.PinGroupOf(pin));
        const int gate = m_space.GateOf(pin);
        if (gate >= 0) {
            Push(gatesFrom + gate);
            m_changed[static_cast<std::size_t>(gate)] = m_step;
        }
    };
    for (int pin : pins)
        touch(pin);
    for (int net : m_model.Touched())
        for (int pin : m_model.Members(net))
            touch(pin);
}

void LocalSearch::Forget(const ExchangeCounts& counts)
{
    for (int item : m_queue)
        m_queued[static_cast<std::size_t>(item)] = 0;
    m_queue.clear();
    m_counts = counts;
}

void LocalSearch::Perform(const Exchange& e)
{
    // The quick measure of gate exchanges must agree with measuring the moves as a whole.
    assert(m_model.Delta(e.moves) == e.delta);
    m_model.Apply(e.moves);
    ++(e.gates ? m_counts.gates : m_counts.pins);
    std::vector<int> pins;
    for (const PinMove& m : e.moves)
        pins.push_back(m.pin);
    Requeue(pins);
}

bool LocalSearch::BestPins(const PinGroup& group, Exchange& best)
{
    bool found = false;
    for (std::size_t i = 0; i < group.pins.size(); ++i)
        for (std::size_t j = i + 1; j < group.pins.size(); ++j) {
            const int p = group.pins[i], q = group.pins[j];
            if (!m_exchanges.Pins(p, q, m_scratch, found ? best.delta : 0) || m_scratch.delta >= (found ? best.delta : 0))
                continue;
            if (!m_space.ConfirmPins(p, q))
                continue;
            best = m_scratch;
            found = true;
        }
    return found;
}

bool LocalSearch::BestGate(int gate, const std::vector<int>& partners, Exchange& best)
{
    bool found = false;
    for (int other : partners) {
        if (!m_exchanges.Gates(gate, other, m_scratch, found ? best.delta : 0) || m_scratch.delta >= (found ? best.delta : 0))
            continue;
        if (!m_space.ConfirmGates(gate, other))
            continue;
        best = m_scratch;
        found = true;
    }
    return found;
}

void LocalSearch::Visit(int item)
{
    const int pinGroups = static_cast<int>(m_space.PinGroups().size());
    Exchange best;
    const bool found = item < pinGroups
                           ? BestPins(m_space.PinGroups()[static_cast<std::size_t>(item)], best)
                           : BestGate(item - pinGroups, Partners(item - pinGroups), best);
    if (!found)
        return;
    Perform(best);
    Push(item);
}

bool LocalSearch::Settle(std::uint64_t workLimit)
{
    while (!m_queue.empty()) {
        if (m_model.Work() >= workLimit)
            return false;
        const int item = m_queue.front();
        m_queue.pop_front();
        m_queued[static_cast<std::size_t>(item)] = 0;
        Visit(item);
    }
    return true;
}

bool LocalSearch::CheckWholeGroups(std::uint64_t workLimit)
{
    std::vector<int> check;
    for (const std::vector<int>& group : m_space.GateGroups())
        if (group.size() > kWholeGroup)
            check.insert(check.end(), group.begin(), group.end());
    bool firstRound = true;
    std::vector<std::size_t> rank(m_space.Gates().size(), 0);
    while (!check.empty()) {
        // Gates whose nets could shorten most come first: their exchanges change other gates
        // before those are checked rather than after, which would mean checking them again.
        std::vector<std::pair<std::int64_t, int>> order;
        for (int gate : check)
            order.emplace_back(-m_exchanges.Potential(gate), gate);
        std::sort(order.begin(), order.end());
        for (std::size_t i = 0; i < order.size(); ++i) {
            check[i] = order[i].second;
            rank[static_cast<std::size_t>(check[i])] = i;
        }
        // A gate's pairs hold from when they were last measured: the first round measures each pair
        // once, when the first of its two gates is checked.
        const std::uint64_t start = m_step;
        for (int gate : check) {
            if (m_model.Work() >= workLimit)
                return false;
            const auto& group = m_space.GateGroups()[static_cast<std::size_t>(m_space.Gates()[static_cast<std::size_t>(gate)].gateGroup)];
            // In the first round each pair once; later, the changed gates against all.
            std::vector<int> partners;
            for (int other : group)
                if (other != gate && (!firstRound || rank[static_cast<std::size_t>(other)] > rank[static_cast<std::size_t>(gate)]))
                    partners.push_back(other);
            Exchange best;
            const bool found = BestGate(gate, partners, best);
            m_checked[static_cast<std::size_t>(gate)] = firstRound ? start : m_step;
            if (found) {
                Perform(best);
                // What the exchange opens up is taken at once, so that the gates it changes that
                // come later in this round are checked as they are then.
                if (!Settle(workLimit))
                    return false;
            }
        }
        if (!Settle(workLimit))
            return false;
        check.clear();
        for (const std::vector<int>& group : m_space.GateGroups())
            if (group.size() > kWholeGroup)
                for (int gate : group)
                    if (m_changed[static_cast<std::size_t>(gate)] > m_checked[static_cast<std::size_t>(gate)])
                        check.push_back(gate);
        firstRound = false;
    }
    return true;
}

bool LocalSearch::Run(std::uint64_t workLimit)
{
    const int pinGroups = static_cast<int>(m_space.PinGroups().size());
    for (std::size_t g = 0; g < m_space.Gates().size(); ++g)
        if (m_space.Gates()[g].gateGroup >= 0)
            Push(pinGroups + static_cast<int>(g));
    for (int p = 0; p < pinGroups; ++p)
        Push(p);
    return Settle(workLimit) && CheckWholeGroups(workLimit);
}

}  // namespace lq
