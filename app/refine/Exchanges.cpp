#include "app/refine/Exchanges.h"

#include <algorithm>
#include <limits>

#include "app/metrics/Airwires.h"

namespace lq {

namespace {
// below + x without leaving the range: `below` may be the largest value, meaning "no limit".
std::int64_t SafeSum(std::int64_t below, std::int64_t x)
{
    if (below == std::numeric_limits<std::int64_t>::max())
        return below;
    return below + x;
}

// Up to this many pairings in all, every one is measured; beyond, each group's pairing is improved
// in turn while the others stay, until none improves.
constexpr std::size_t kExhaustive = 576;

std::size_t Arrangements(std::vector<int> nets)
{
    std::sort(nets.begin(), nets.end());
    std::size_t n = 0;
    do {
        if (++n > kExhaustive)
            break;
    } while (std::next_permutation(nets.begin(), nets.end()));
    return n;
}
}  // namespace

bool Exchanges::Pins(int p, int q, Exchange& out, std::int64_t)
{
    const int np = m_model.NetOf(p), nq = m_model.NetOf(q);
    if (np == nq)
        return false;
    out.gates = false;
    out.a = p;
    out.b = q;
    out.moves.assign({PinMove{p, nq}, PinMove{q, np}});
    out.delta = m_model.Delta(out.moves);
    return true;
}

std::int64_t Exchanges::Measure()
{
    m_moves.clear();
    for (const Factor& f : m_factors)
        for (std::size_t i = 0; i < f.pins.size(); ++i)
            m_moves.push_back(PinMove{f.pins[i], f.nets[i]});
    return m_model.Delta(m_moves);
}

const Exchanges::GateSlots& Exchanges::SlotsOf(int gate)
{
    GateSlots& s = m_slots[static_cast<std::size_t>(gate)];
    if (s.valid && s.checked == m_model.Changes())
        return s;
    if (s.valid) {
        for (const auto& group : s.groups)
            for (const Slot& slot : group)
                // A pin that had no net has no version to follow: its net is compared too.
                if (m_model.NetOf(slot.pin) != slot.net || (slot.net >= 0 && m_model.Version(slot.net) != slot.version))
                    s.valid = false;
        if (s.valid) {
            s.checked = m_model.Changes();
            return s;
        }
    }
    const GateEntry& g = m_space.Gates()[static_cast<std::size_t>(gate)];
    s.groups.assign(g.groups.size(), {});
    s.distinct = true;
    std::vector<int> nets;
    for (std::size_t k = 0; k < g.groups.size(); ++k) {
        if (g.power[k])
            continue;
        for (int pin : g.groups[k]) {
            Slot slot;
            slot.pin = pin;
            slot.net = m_model.NetOf(pin);
            if (slot.net >= 0) {
                if (std::find(nets.begin(), nets.end(), slot.net) != nets.end())
                    s.distinct = false;
                nets.push_back(slot.net);
                const std::vector<int>& members = m_model.Members(slot.net);
                slot.position = static_cast<int>(std::find(members.begin(), members.end(), pin) - members.begin());
                slot.length = m_model.NetLength(slot.net);
                slot.version = m_model.Version(slot.net);
                if (m_model.Tree(slot.net) == nullptr) {
                    m_points.clear();
                    for (int m : members)
                        if (m != pin)
                            m_points.push_back(m_model.At(m));
                    slot.rest.Reset(m_points, m_model.WorkCounter());
                }
            }
            s.groups[k].push_back(std::move(slot));
        }
    }
    s.mostSaved = 0;
    s.groupSaved.assign(s.groups.size(), 0);
    for (std::size_t k = 0; k < s.groups.size(); ++k)
        for (const Slot& slot : s.groups[k]) {
            if (slot.net < 0)
                continue;
            const auto rest = static_cast<std::int64_t>(slot.rest.Size());
            const auto kept = m_model.Tree(slot.net) != nullptr ? 0
                              : rest <= 2                      ? static_cast<std::int64_t>(slot.rest.Length())
                                                               : static_cast<std::int64_t>(slot.rest.Length() / 100 * 82);
            s.groupSaved[k] += static_cast<std::int64_t>(slot.length) - kept + rest;
            s.mostSaved += static_cast<std::int64_t>(slot.length) - kept + rest;
        }
    s.valid = true;
    s.checked = m_model.Changes();
    return s;
}

std::int64_t Exchanges::Cost(const Slot& slot, const Point& at)
{
    if (slot.net < 0)
        return 0;
    const std::uint64_t length = m_model.Tree(slot.net) != nullptr
                                     ? m_model.LengthReplacing(slot.net, slot.position, at)
                                     : slot.rest.LengthWith(at, m_model.WorkCounter());
    return static_cast<std::int64_t>(length) - static_cast<std::int64_t>(slot.length);
}

bool Exchanges::Separate(const GateSlots& x, const GateSlots& y)
{
    if (!x.distinct || !y.distinct)
        return false;
    for (const auto& gx : x.groups)
        for (const Slot& sx : gx)
            for (const auto& gy : y.groups)
                for (const Slot& sy : gy)
                    if (sx.net >= 0 && sx.net == sy.net)
                        return false;
    return true;
}

std::int64_t Exchanges::Side(int from, int to, const GateSlots& slots, std::vector<std::vector<int>>& choice,
                             std::int64_t limit)
{
    const GateEntry& f = m_space.Gates()[static_cast<std::size_t>(from)];
    const GateEntry& t = m_space.Gates()[static_cast<std::size_t>(to)];
    choice.resize(f.fromModel.size());
    // Single pins first: they cost one measurement each, and may already rule the exchange out.
    std::int64_t total = -slots.mostSaved;
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t m = 0; m < f.fromModel.size(); ++m) {
            const auto gFrom = static_cast<std::size_t>(f.fromModel[m]), gTo = static_cast<std::size_t>(t.fromModel[m]);
            if (f.power[gFrom] || (f.groups[gFrom].size() == 1) != (pass == 0))
                continue;
            total += slots.groupSaved[gTo] + Place(f.groups[gFrom], slots.groups[gTo], choice[m]);
            if (total >= limit)
                return total;
        }
    return total;
}

std::int64_t Exchanges::Place(const std::vector<int>& pins, const std::vector<Slot>& places, std::vector<int>& best)
{
    const std::size_t n = pins.size();
    best.resize(n);
    if (n == 1) {
        best[0] = 0;
        return Cost(places[0], m_model.At(pins[0]));
    }
    if (n == 2) {
        const Point &p0 = m_model.At(pins[0]), &p1 = m_model.At(pins[1]);
        const std::int64_t straight = Cost(places[0], p0) + Cost(places[1], p1);
        const std::int64_t crossed = Cost(places[1], p0) + Cost(places[0], p1);
        best[0] = crossed < straight ? 1 : 0;
        best[1] = 1 - best[0];
        return std::min(straight, crossed);
    }
    m_cost.resize(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            m_cost[i * n + j] = Cost(places[j], m_model.At(pins[i]));
    // Pin i goes to place order[i]: every order for small groups, else trades while they help.
    m_order.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        m_order[i] = static_cast<int>(i);
    auto sum = [&](const std::vector<int>& o) {
        std::int64_t s = 0;
        for (std::size_t i = 0; i < n; ++i)
            s += m_cost[i * n + static_cast<std::size_t>(o[i])];
        return s;
    };
    best = m_order;
    std::int64_t bestSum = sum(m_order);
    if (n <= 6) {
        while (std::next_permutation(m_order.begin(), m_order.end())) {
            const std::int64_t s = sum(m_order);
            if (s < bestSum)
                bestSum = s, best = m_order;
        }
        return bestSum;
    }
    for (bool improved = true; improved;) {
        improved = false;
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j) {
                std::swap(best[i], best[j]);
                const std::int64_t s = sum(best);
                if (s < bestSum)
                    bestSum = s, improved = true;
                else
                    std::swap(best[i], best[j]);
            }
    }
    return bestSum;
}

bool Exchanges::Gates(int a, int b, Exchange& out, std::int64_t below)
{
    const GateSlots& sx = SlotsOf(a);
    const GateSlots& sy = SlotsOf(b);
    if (!Separate(sx, sy))
        return Shared(a, b, out);
    // No net has pins of both gates: each gate's nets change only by the other's pins arriving,
    // so each side's pairing is best on its own.
    bool changes = false;
    for (const auto* s : {&sx, &sy})
        for (const auto& group : s->groups)
            for (const Slot& slot : group)
                changes = changes || slot.net >= 0;
    if (!changes)
        return false;
    out.gates = true;
    out.a = a;
    out.b = b;
    out.moves.clear();
    // The pins of b in a's places first (a's places are the same for all of a's partners). Each side
    // is at least minus what its gate's nets can save, so a side may stop as soon as the exchange
    // cannot come below `below`; out.delta then holds a lower bound.
    const std::int64_t first = Side(b, a, sx, m_choiceB, SafeSum(below, sy.mostSaved));
    out.delta = first - sy.mostSaved;
    if (out.delta >= below)
        return true;
    out.delta = first + Side(a, b, sy, m_choiceA, SafeSum(below, -first));
    if (out.delta >= below)
        return true;
    const GateEntry& x = m_space.Gates()[static_cast<std::size_t>(a)];
    const GateEntry& y = m_space.Gates()[static_cast<std::size_t>(b)];
    for (std::size_t m = 0; m < x.fromModel.size(); ++m) {
        const auto g = static_cast<std::size_t>(x.fromModel[m]), h = static_cast<std::size_t>(y.fromModel[m]);
        if (x.power[g])
            continue;
        for (std::size_t i = 0; i < x.groups[g].size(); ++i)
            out.moves.push_back(PinMove{x.groups[g][i], sy.groups[h][static_cast<std::size_t>(m_choiceA[m][i])].net});
        for (std::size_t i = 0; i < y.groups[h].size(); ++i)
            out.moves.push_back(PinMove{y.groups[h][i], sx.groups[g][static_cast<std::size_t>(m_choiceB[m][i])].net});
    }
    return true;
}

bool Exchanges::Shared(int a, int b, Exchange& out)
{
    const GateEntry& x = m_space.Gates()[static_cast<std::size_t>(a)];
    const GateEntry& y = m_space.Gates()[static_cast<std::size_t>(b)];
    m_factors.clear();
    bool changes = false;
    auto add = [&](const std::vector<int>& pins, const std::vector<int>& from) {
        Factor f;
        f.pins = pins;
        for (int p : from)
            f.initial.push_back(m_model.NetOf(p));
        std::sort(f.initial.begin(), f.initial.end());
        for (int p : pins)
            changes = changes || f.initial.front() != f.initial.back() || f.initial.front() != m_model.NetOf(p);
        f.nets = f.initial;
        m_factors.push_back(std::move(f));
    };
    for (const auto& [g, h] : m_space.Pairing(a, b)) {
        add(x.groups[static_cast<std::size_t>(g)], y.groups[static_cast<std::size_t>(h)]);
        add(y.groups[static_cast<std::size_t>(h)], x.groups[static_cast<std::size_t>(g)]);
    }
    if (!changes)
        return false;
    out.gates = true;
    out.a = a;
    out.b = b;
    if (!Exhaustive(out))
        Descend(out);
    return true;
}

bool Exchanges::Exhaustive(Exchange& out)
{
    std::size_t total = 1;
    for (const Factor& f : m_factors) {
        total *= Arrangements(f.initial);
        if (total > kExhaustive)
            return false;
    }
    // An odometer over the arrangements of every factor; the first shortest wins.
    bool first = true;
    while (true) {
        const std::int64_t d = Measure();
        if (first || d < out.delta) {
            out.delta = d;
            out.moves = m_moves;
            first = false;
        }
        std::size_t k = 0;
        for (; k < m_factors.size(); ++k) {
            Factor& f = m_factors[k];
            if (std::next_permutation(f.nets.begin(), f.nets.end()))
                break;  // next_permutation has wrapped the earlier factors back to their first
        }
        if (k == m_factors.size())
            return true;
    }
}

void Exchanges::Descend(Exchange& out)
{
    out.delta = Measure();
    out.moves = m_moves;
    for (bool improved = true; improved;) {
        improved = false;
        for (Factor& f : m_factors) {
            // Pairs of pins of this group trade nets while that shortens the total.
            for (std::size_t i = 0; i < f.nets.size(); ++i)
                for (std::size_t j = i + 1; j < f.nets.size(); ++j) {
                    if (f.nets[i] == f.nets[j])
                        continue;
                    std::swap(f.nets[i], f.nets[j]);
                    const std::int64_t d = Measure();
                    if (d < out.delta) {
                        out.delta = d;
                        out.moves = m_moves;
                        improved = true;
                    } else {
                        std::swap(f.nets[i], f.nets[j]);
                    }
                }
        }
    }
}

}  // namespace lq
