#include "app/formats/GateExchanges.h"

#include <fmt/core.h>

#include <algorithm>
#include <deque>
#include <map>
#include <optional>

#include "app/core/Errors.h"

namespace lq {

namespace {

using Key = std::vector<std::string>;  // a gate pin's nets, pad by pad ("" for none)

// Both boards passed CheckBoard, so a pin is on one net at most.
std::string NetName(const Board& board, const BoardIndex& index, const PinIndex& pin)
{
    const auto net = index.NetOfPin(pin);
    return net ? board.nets[*net].name : "";
}

// A changed gate's partner: the gate whose old nets it took, and how its pins line up (PinMap).
struct Candidate {
    std::size_t j = 0;  // index into the changed gates
    std::vector<std::size_t> tau;
};

class Inference {
public:
    Inference(const ExchangeModel& model, const Board& before, const Board& after)
        : m_model(model),
          m_before(before),
          m_after(after),
          m_beforeIndex(before),
          m_afterIndex(after),
          m_old(Keys(before, m_beforeIndex)),
          m_new(Keys(after, m_afterIndex))
    {
    }

    SchematicExchanges Run()
    {
        std::vector<std::size_t> changed;
        for (std::size_t g = 0; g < m_model.gates.size(); ++g)
            if (m_old[g] != m_new[g])
                changed.push_back(g);
        const std::vector<Candidate> match = Match(changed);
        SchematicExchanges out;
        for (std::size_t i = 0; i < changed.size(); ++i) {
            const std::size_t g = changed[i], h = changed[match[i].j];
            if (g != h)
                out.gates.push_back(GateExchange{h, g});
            const std::vector<std::size_t>& tau = match[i].tau;
            const ExchangeGate& G = m_model.gates[g];
            const ExchangeGate& H = m_model.gates[h];
            for (std::size_t k = 0; k < tau.size(); ++k)
                if (G.pins[tau[k]].name != H.pins[k].name)
                    out.pins.push_back(PinExchange{g, H.pins[k].name, G.pins[tau[k]].name});
        }
        return out;
    }

    // A pin that moved but belongs to no gate cannot be told to the schematic.
    void CheckOwners() const
    {
        const Board& after = m_after;
        for (std::size_t i = 0; i < after.parts.size(); ++i)
            for (std::size_t j = 0; j < after.parts[i].pins.size(); ++j) {
                const PinIndex pin{i, j};
                const std::string from = NetName(m_before, m_beforeIndex, pin), to = NetName(after, m_afterIndex, pin);
                if (from != to && m_model.owners.count(pin) == 0)
                    throw JobError(fmt::format("{}: pad {}.{} moved from signal \"{}\" to \"{}\", but no gate pin of the "
                                               "schematic stands for it; nothing was written",
                                               m_model.file, after.parts[i].ref, PinName(after.parts[i].pins[j]),
                                               from, to));
            }
    }

private:
    std::vector<std::vector<Key>> Keys(const Board& board, const BoardIndex& index) const
    {
        std::vector<std::vector<Key>> keys;
        for (const ExchangeGate& gate : m_model.gates) {
            std::vector<Key>& k = keys.emplace_back();
            for (const ExchangePin& pin : gate.pins) {
                Key& key = k.emplace_back();
                for (const std::size_t j : pin.pins)
                    key.push_back(NetName(board, index, PinIndex{gate.part, j}));
            }
        }
        return keys;
    }

    bool SameAttributes(std::size_t a, std::size_t b) const
    {
        Attributes x = m_before.parts[a].attributes, y = m_before.parts[b].attributes;
        auto order = [](const Attribute& l, const Attribute& r) { return std::tie(l.name, l.value) < std::tie(r.name, r.value); };
        std::sort(x.begin(), x.end(), order), std::sort(y.begin(), y.end(), order);
        return x == y;
    }

    bool Exchangeable(std::size_t g, std::size_t h) const
    {
        const ExchangeGate& G = m_model.gates[g];
        const ExchangeGate& H = m_model.gates[h];
        return g == h || (G.exchangeable && H.exchangeable && G.group == H.group &&
                          (G.part == H.part || (G.acrossParts && H.acrossParts && SameAttributes(G.part, H.part))));
    }

    // For gate g carrying what gate h carried: for each pin k of h, the pin of g that now holds
    // h's old nets of pin k; nothing when no such assignment keeps pins in their classes.
    std::optional<std::vector<std::size_t>> PinMap(std::size_t g, std::size_t h) const
    {
        const ExchangeGate& G = m_model.gates[g];
        const ExchangeGate& H = m_model.gates[h];
        if (G.pins.size() != H.pins.size())
            return std::nullopt;
        constexpr std::size_t kNone = ~std::size_t{0};
        std::vector<std::size_t> tau(H.pins.size(), kNone);
        std::vector<bool> used(G.pins.size(), false);
        for (std::size_t k = 0; k < H.pins.size(); ++k) {
            const auto same = std::find_if(G.pins.begin(), G.pins.end(), [&](const ExchangePin& p) { return p.name == H.pins[k].name; });
            if (same == G.pins.end() || same->cls != H.pins[k].cls)
                return std::nullopt;
            const auto p = static_cast<std::size_t>(same - G.pins.begin());
            if (m_new[g][p] == m_old[h][k])
                tau[k] = p, used[p] = true;
        }
        // Within a class pins with equal nets are interchangeable, so first fit is enough.
        for (std::size_t k = 0; k < H.pins.size(); ++k) {
            for (std::size_t p = 0; p < G.pins.size() && tau[k] == kNone; ++p)
                if (!used[p] && G.pins[p].cls == H.pins[k].cls && m_new[g][p] == m_old[h][k])
                    tau[k] = p, used[p] = true;
            if (tau[k] == kNone)
                return std::nullopt;
        }
        return tau;
    }

    // Each changed gate g takes the old nets of exactly one changed gate h: a perfect matching,
    // preferring h = g (pins permuted in place), then gates whose pins line up by name.
    std::vector<Candidate> Match(const std::vector<std::size_t>& changed) const
    {
        const std::size_t n = changed.size();
        std::map<std::pair<std::string, std::vector<Key>>, std::vector<std::size_t>> byOldNets;
        for (std::size_t j = 0; j < n; ++j) {
            std::vector<Key> keys = m_old[changed[j]];
            std::sort(keys.begin(), keys.end());
            byOldNets[{m_model.gates[changed[j]].group, keys}].push_back(j);
        }
        std::vector<std::vector<Candidate>> candidates(n);
        for (std::size_t i = 0; i < n; ++i) {
            std::vector<Key> keys = m_new[changed[i]];
            std::sort(keys.begin(), keys.end());
            const auto it = byOldNets.find({m_model.gates[changed[i]].group, keys});
            if (it == byOldNets.end())
                continue;
            std::vector<std::pair<int, Candidate>> ranked;
            for (const std::size_t j : it->second) {
                const std::size_t g = changed[i], h = changed[j];
                if (!Exchangeable(g, h))
                    continue;
                auto tau = PinMap(g, h);
                if (!tau)
                    continue;
                bool inPlace = true;
                for (std::size_t k = 0; k < tau->size(); ++k)
                    inPlace = inPlace && (*tau)[k] == k;
                ranked.emplace_back(g == h ? 0 : inPlace ? 1 : 2, Candidate{j, std::move(*tau)});
            }
            std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            for (auto& r : ranked)
                candidates[i].push_back(std::move(r.second));
        }

        constexpr std::size_t kFree = ~std::size_t{0};
        std::vector<std::size_t> left(n, kFree), right(n, kFree);
        for (std::size_t i = 0; i < n; ++i)
            for (const Candidate& c : candidates[i])
                if (right[c.j] == kFree) {
                    left[i] = c.j, right[c.j] = i;
                    break;
                }
        for (std::size_t i = 0; i < n; ++i) {
            if (left[i] != kFree)
                continue;
            // Breadth-first search for an augmenting path from i.
            std::vector<std::size_t> via(n, kFree);
            std::deque<std::size_t> queue{i};
            std::size_t end = kFree;
            while (!queue.empty() && end == kFree) {
                const std::size_t u = queue.front();
                queue.pop_front();
                for (const Candidate& c : candidates[u]) {
                    if (via[c.j] != kFree)
                        continue;
                    via[c.j] = u;
                    if (right[c.j] == kFree) {
                        end = c.j;
                        break;
                    }
                    queue.push_back(right[c.j]);
                }
            }
            if (end == kFree) {
                const ExchangeGate& gate = m_model.gates[changed[i]];
                throw JobError(fmt::format("{}: the nets of gate {}.{} changed in a way no {} gate or pin exchange "
                                           "gives; nothing was written",
                                           m_model.file, m_before.parts[gate.part].ref, gate.name, m_model.format));
            }
            for (std::size_t j = end;;) {
                const std::size_t u = via[j];
                const std::size_t next = left[u];
                left[u] = j, right[j] = u;
                if (u == i)
                    break;
                j = next;
            }
        }
        std::vector<Candidate> chosen;
        for (std::size_t i = 0; i < n; ++i)
            chosen.push_back(*std::find_if(candidates[i].begin(), candidates[i].end(),
                                           [&](const Candidate& c) { return c.j == left[i]; }));
        return chosen;
    }

    const ExchangeModel& m_model;
    const Board& m_before;
    const Board& m_after;
    const BoardIndex m_beforeIndex;
    const BoardIndex m_afterIndex;
    std::vector<std::vector<Key>> m_old;
    std::vector<std::vector<Key>> m_new;
};

}  // namespace

SchematicExchanges InferExchanges(const ExchangeModel& model, const Board& before, const Board& after)
{
    Inference inference(model, before, after);
    inference.CheckOwners();
    return inference.Run();
}

}  // namespace lq
