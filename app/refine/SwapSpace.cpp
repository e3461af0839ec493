#include "app/refine/SwapSpace.h"

#include <fmt/core.h>

#include <algorithm>

#include "app/core/Text.h"
#include "app/probe/GateMarkers.h"
#include "app/probe/RecordingDrawContext.h"
#include "app/probe/ToolDriver.h"
#include "app/session/HostSheet.h"
#include "app/session/ToolIds.h"
#include "host/AttributeNames.h"

namespace lq {

namespace {

// One nanometre per pixel: markers are compared by centre, name and lines, never by size.
constexpr std::int64_t kMarkerZoom = 1;

}  // namespace

BoardPins::BoardPins(const Board& board)
{
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        first.push_back(index.size());
        for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j)
            index.push_back(PinIndex{i, j});
    }
}

SwapSpace::SwapSpace(const PlugInSession& session, HostSheet& sheet, const Board& board, PlugInItems& items)
    : m_items(items),
      m_pins(board),
      m_pinGroupOf(m_pins.index.size(), -1),
      m_gateOf(m_pins.index.size(), -1),
      m_pinItem(m_pins.index.size(), nullptr)
{
    MakePinGroups(sheet, board, items);
    MakeGates(session, sheet, board, items);
    MakeGateGroups(items);
}

void SwapSpace::MakePinGroups(HostSheet& sheet, const Board& board, PlugInItems& items)
{
    std::map<const CSwapItem*, int> flatOf;
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        std::vector<CSwapItem*> part;
        for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
            const PinIndex p{i, j};
            CLayoutPin* pin = sheet.PinObject(p);
            if (items.IsPowerPin(pin))
                continue;
            CSwapItem* item = items.MakePinItem(pin);
            m_pinItem[static_cast<std::size_t>(m_pins.Flat(p))] = item;
            flatOf[item] = m_pins.Flat(p);
            part.push_back(item);
        }
        for (const auto& group : items.Classify(std::move(part), SWAP_PIN)) {
            if (group.size() < 2)
                continue;
            PinGroup g;
            for (CSwapItem* item : group) {
                g.pins.push_back(flatOf.at(item));
                m_pinGroupOf[static_cast<std::size_t>(g.pins.back())] = static_cast<int>(m_pinGroups.size());
            }
            m_pinGroups.push_back(std::move(g));
        }
    }
}

void SwapSpace::MakeGates(const PlugInSession& session, HostSheet& sheet, const Board& board, PlugInItems& items)
{
    // Records for each gate the pins' attributes name, part by part in first-seen order.
    struct Made {
        GateEntry entry;
        std::vector<int> pins;
        GateMarker marker;
        bool used = false;
    };
    std::vector<Made> made;
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        std::map<std::pair<std::string, std::string>, std::size_t> byName;
        for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
            const Attributes& a = board.parts[i].pins[j].attributes;
            const auto gate = FindAttribute(a, LQ_GATE), group = FindAttribute(a, LQ_GATEGROUP);
            if (!gate || !group || (gate->empty() && group->empty()))
                continue;
            auto [it, fresh] = byName.emplace(std::make_pair(*gate, *group), made.size());
            if (fresh) {
                made.emplace_back();
                made.back().entry.part = i;
                made.back().entry.record = items.MakeGate(sheet.Component(i), *gate, *group);
            }
            Made& m = made[it->second];
            if (items.AddPin(m.entry.record, sheet.PinObject(PinIndex{i, j})))
                m.pins.push_back(m_pins.Flat(PinIndex{i, j}));
        }
    }
    if (made.empty())
        return;
    for (Made& m : made) {
        RecordingDrawContext dc;
        dc.SetZoom(kMarkerZoom);
        items.Draw(m.entry.record, &dc);
        const auto markers = ReadOverlay(dc.Events()).markers;
        if (!markers.empty())
            m.marker = markers.front();
    }
    // The store's gates, in its order, as its swap gate tool paints them at rest.
    std::vector<GateMarker> painted;
    {
        ToolDriver driver(session, sheet, kMarkerZoom);
        if (driver.Use(kSwapGateToolUIID))
            painted = driver.Paint().markers;
    }
    std::size_t unmatched = 0;
    for (const GateMarker& marker : painted) {
        const auto it = std::find_if(made.begin(), made.end(),
                                     [&](const Made& m) { return !m.used && SameMarker(m.marker, marker); });
        if (it == made.end())
            continue;  // a part's pseudo-gate, or a gate lqhost did not make
        it->used = true;
        GateEntry e = it->entry;
        e.item = items.MakeGateItem(e.record);
        e.real = items.IsRealGate(e.record);
        e.centre = Point{marker.centre.x, marker.centre.y};
        const std::vector<CSwapItem*>& pinItems = items.PinItemsOf(e.record);
        for (const auto& group : items.PinGroupsOf(e.record)) {
            std::vector<int> flat;
            bool power = false, signal = false;
            for (CSwapItem* item : group) {
                const auto k = static_cast<std::size_t>(std::find(pinItems.begin(), pinItems.end(), item) - pinItems.begin());
                flat.push_back(it->pins.at(k));
                (items.IsPowerPin(sheet.PinObject(m_pins.index[static_cast<std::size_t>(flat.back())])) ? power : signal) = true;
            }
            e.groups.push_back(std::move(flat));
            e.reps.push_back(group.front());
            e.power.push_back(power && !signal);
            if (power && signal)
                e.gateGroup = -2;  // power and signal pins in one group: left alone
        }
        m_gates.push_back(std::move(e));
    }
    for (const Made& m : made)
        unmatched += m.used ? 0 : 1;
    if (unmatched > 0)
        m_notes.push_back(fmt::format("{} named by pin attributes {} not held by the plug-in's gate store and "
                                      "take{} part in no gate exchange",
                                      Counted(unmatched, "gate"), unmatched == 1 ? "is" : "are", unmatched == 1 ? "s" : ""));
}

std::vector<int> SwapSpace::Correspond(const GateEntry& gate, const GateEntry& other) const
{
    // As the plug-in pairs the groups of two gates it measures against each other: each group of
    // the gate whose connections are taken, in order, goes to the first group not yet used whose
    // representative accepts it. Both directions must give the same one-to-one pairing.
    const std::size_t n = gate.groups.size();
    if (other.groups.size() != n)
        return {};
    auto firstFit = [this, n](const GateEntry& taker, const GateEntry& giver) {
        std::vector<int> takerOf(n, -1);
        std::vector<bool> used(n, false);
        for (std::size_t h = 0; h < n; ++h)
            for (std::size_t g = 0; g < n; ++g)
                if (!used[g] && m_items.CanSwap(taker.reps[g], giver.reps[h], SWAP_GATE, true, false, taker.real)) {
                    used[g] = true;
                    takerOf[h] = static_cast<int>(g);
                    break;
                }
        return takerOf;
    };
    const std::vector<int> gateTakes = firstFit(gate, other);  // per group of other: the gate's group
    const std::vector<int> otherTakes = firstFit(other, gate);  // per group of gate: other's group
    std::vector<int> to(n, -1);
    for (std::size_t g = 0; g < n; ++g) {
        const int h = otherTakes[g];
        if (h < 0 || gateTakes[static_cast<std::size_t>(h)] != static_cast<int>(g) ||
            gate.groups[g].size() != other.groups[static_cast<std::size_t>(h)].size() ||
            gate.power[g] != other.power[static_cast<std::size_t>(h)])
            return {};
        to[g] = h;
    }
    return to;
}

void SwapSpace::MakeGateGroups(PlugInItems& items)
{
    std::vector<CSwapItem*> all;
    std::map<const CSwapItem*, int> indexOf;
    for (std::size_t i = 0; i < m_gates.size(); ++i) {
        all.push_back(m_gates[i].item);
        indexOf[m_gates[i].item] = static_cast<int>(i);
    }
    std::size_t left = 0;
    for (const auto& group : items.Classify(std::move(all), SWAP_GATE)) {
        if (group.size() < 2)
            continue;
        std::vector<int> usable;
        const GateEntry* model = nullptr;
        for (CSwapItem* item : group) {
            GateEntry& g = m_gates[static_cast<std::size_t>(indexOf.at(item))];
            if (g.gateGroup == -2) {
                ++left;
                continue;
            }
            if (model == nullptr)
                model = &g;
            g.toModel = Correspond(g, *model);
            if (g.toModel.empty()) {
                ++left;
                continue;
            }
            g.fromModel.assign(g.toModel.size(), -1);
            for (std::size_t k = 0; k < g.toModel.size(); ++k)
                g.fromModel[static_cast<std::size_t>(g.toModel[k])] = static_cast<int>(k);
            usable.push_back(indexOf.at(item));
        }
        if (usable.size() < 2)
            continue;
        for (int i : usable) {
            GateEntry& g = m_gates[static_cast<std::size_t>(i)];
            g.gateGroup = static_cast<int>(m_gateGroups.size());
            for (std::size_t k = 0; k < g.groups.size(); ++k)
                if (!g.power[k])
                    for (int pin : g.groups[k])
                        m_gateOf[static_cast<std::size_t>(pin)] = i;
        }
        m_gateGroups.push_back(std::move(usable));
    }
    if (left > 0)
        m_notes.push_back(fmt::format("{} whose pin groups do not pair one to one with the others' take{} part in "
                                      "no gate exchange",
                                      Counted(left, "gate"), left == 1 ? "s" : ""));
}

std::vector<std::pair<int, int>> SwapSpace::Pairing(int a, int b) const
{
    const GateEntry& x = m_gates[static_cast<std::size_t>(a)];
    const GateEntry& y = m_gates[static_cast<std::size_t>(b)];
    std::vector<std::pair<int, int>> pairs;
    for (std::size_t g = 0; g < x.groups.size(); ++g) {
        if (x.power[g])
            continue;
        const auto h = std::find(y.toModel.begin(), y.toModel.end(), x.toModel[g]) - y.toModel.begin();
        pairs.emplace_back(static_cast<int>(g), static_cast<int>(h));
    }
    return pairs;
}

bool SwapSpace::ConfirmPins(int p, int q)
{
    const auto key = std::minmax(p, q);
    const auto it = m_pinAnswers.find(key);
    if (it != m_pinAnswers.end())
        return it->second;
    CSwapItem* a = PinItem(p);
    CSwapItem* b = PinItem(q);
    const bool yes = a != nullptr && b != nullptr && m_items.CanSwap(a, b, SWAP_PIN, false, true, true) &&
                     m_items.CanSwap(b, a, SWAP_PIN, false, true, true);
    return m_pinAnswers[key] = yes;
}

bool SwapSpace::ConfirmGates(int a, int b)
{
    const auto key = std::minmax(a, b);
    const auto it = m_gateAnswers.find(key);
    if (it != m_gateAnswers.end())
        return it->second;
    const GateEntry& x = m_gates[static_cast<std::size_t>(a)];
    const GateEntry& y = m_gates[static_cast<std::size_t>(b)];
    bool yes = m_items.CanSwap(x.item, y.item, SWAP_GATE, false, true, true) &&
               m_items.CanSwap(y.item, x.item, SWAP_GATE, false, true, true);
    if (yes) {
        const std::vector<int> direct = Correspond(x, y);
        yes = !direct.empty();
        for (const auto& [g, h] : Pairing(a, b))
            yes = yes && direct[static_cast<std::size_t>(g)] == h;
    }
    return m_gateAnswers[key] = yes;
}

}  // namespace lq
