// Every exchange the plug-in allows on a sheet, learnt from its own objects (PlugInItems):
//  - pin groups: per part, the plug-in's classification of the part's pin items (power pins
//    left out: they never move), as its swap pin tool pairs pins;
//  - gates: gate records for the pins' gate attributes, kept only where the plug-in's own gate
//    store holds the same gate (the swap gate tool paints the store's gates; each record paints
//    itself through the same code, and the two paintings must agree); gate groups are the
//    plug-in's classification of their gate items, in the store's order;
//  - which pin group of one gate takes the place of which of another: the plug-in's pin items
//    are asked, through a model gate of each gate group.
// What is derived through a model gate is confirmed on the pair itself before an exchange is
// made, and every exchange is confirmed with the items' CanSwap.
#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/model/Board.h"
#include "app/refine/PlugInItems.h"

class CGate;

namespace lq {

class HostSheet;
class PlugInSession;

struct PinGroup {
    std::vector<int> pins;  // flat pin numbers (BoardPins)
};

struct GateEntry {
    std::size_t part = 0;
    CGate* record = nullptr;
    CSwapItem* item = nullptr;
    bool real = true;
    Point centre;
    std::vector<std::vector<int>> groups;  // its pin groups, as flat pins
    std::vector<CSwapItem*> reps;          // the first item of each
    std::vector<bool> power;               // groups of power pins stay where they are
    std::vector<int> toModel;              // per group: the model gate's group it corresponds to
    std::vector<int> fromModel;            // per group of the model gate: this gate's group
    int gateGroup = -1;                    // into SwapSpace::gateGroups when it can be exchanged
};

// Board pins numbered flat, part by part.
struct BoardPins {
    explicit BoardPins(const Board& board);
    std::vector<std::size_t> first;  // per part
    std::vector<PinIndex> index;     // per flat pin
    int Flat(const PinIndex& p) const { return static_cast<int>(first[p.part] + p.pin); }
};

class SwapSpace {
public:
    // The sheet must be the host's current sheet and show `board`.
    SwapSpace(const PlugInSession& session, HostSheet& sheet, const Board& board, PlugInItems& items);

    const BoardPins& Pins() const { return m_pins; }
    const std::vector<PinGroup>& PinGroups() const { return m_pinGroups; }
    const std::vector<GateEntry>& Gates() const { return m_gates; }
    const std::vector<std::vector<int>>& GateGroups() const { return m_gateGroups; }
    // Per flat pin: its pin group (or -1), and the exchangeable gate it moves with (or -1).
    int PinGroupOf(int pin) const { return m_pinGroupOf[static_cast<std::size_t>(pin)]; }
    int GateOf(int pin) const { return m_gateOf[static_cast<std::size_t>(pin)]; }
    // The plug-in's pin item of a flat pin that may move (null for the others).
    CSwapItem* PinItem(int pin) const { return m_pinItem[static_cast<std::size_t>(pin)]; }
    const PlugInItems& Items() const { return m_items; }
    // What lqhost could not use, in words.
    const std::vector<std::string>& Notes() const { return m_notes; }

    // In an exchange of gates a and b, which movable pin group of b each movable group of a
    // takes the place of: pairs (group of a, group of b).
    std::vector<std::pair<int, int>> Pairing(int a, int b) const;

    // Asked of the plug-in (and remembered): may these two pins, or these two gates with the
    // pairing above, be exchanged?
    bool ConfirmPins(int p, int q);
    bool ConfirmGates(int a, int b);

private:
    void MakePinGroups(HostSheet& sheet, const Board& board, PlugInItems& items);
    void MakeGates(const PlugInSession& session, HostSheet& sheet, const Board& board, PlugInItems& items);
    void MakeGateGroups(PlugInItems& items);
    // Which group of `other` each group of `gate` corresponds to, asked of their pin items; empty
    // when that is not one to one.
    std::vector<int> Correspond(const GateEntry& gate, const GateEntry& other) const;

    PlugInItems& m_items;
    BoardPins m_pins;
    std::vector<PinGroup> m_pinGroups;
    std::vector<GateEntry> m_gates;
    std::vector<std::vector<int>> m_gateGroups;
    std::vector<int> m_pinGroupOf;
    std::vector<int> m_gateOf;
    std::vector<CSwapItem*> m_pinItem;
    std::vector<std::string> m_notes;
    std::map<std::pair<int, int>, bool> m_pinAnswers;
    std::map<std::pair<int, int>, bool> m_gateAnswers;
};

}  // namespace lq
