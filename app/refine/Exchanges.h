// Exchanges measured on the wire model: a pin exchange puts two pins on each other's nets; a gate
// exchange puts each pin group of one gate on the nets of the group of the other gate that it
// takes the place of, and back, with the pins inside each group paired as leaves the total
// shortest.
#pragma once
#include <cstdint>
#include <vector>

#include "app/refine/SwapSpace.h"
#include "app/refine/WireModel.h"

namespace lq {

struct Exchange {
    bool gates = false;
    int a = -1;  // flat pins, or gates (into SwapSpace::Gates)
    int b = -1;
    std::vector<PinMove> moves;
    std::int64_t delta = 0;  // change of the total length, nm
};

class Exchanges {
public:
    Exchanges(WireModel& model, const SwapSpace& space) : m_model(model), m_space(space), m_slots(space.Gates().size()) {}

    // Measure an exchange into out.delta; out.moves is filled only when the delta is below `below`
    // (callers that look for the best pass the best so far). A gate exchange that cannot come below
    // it may be left with a lower bound in out.delta. False when the exchange would change nothing:
    // both pins on one net, or no pin of either gate on a net.
    bool Pins(int p, int q, Exchange& out, std::int64_t below);
    bool Gates(int a, int b, Exchange& out, std::int64_t below);
    // How much the nets of a gate could shorten at most, were other pins to take its pins' places.
    std::int64_t Potential(int gate) { return SlotsOf(gate).mostSaved; }

private:
    // A gate's movable pins as places on their nets: the net, the rest of the net without the
    // pin, and the net's length; kept until one of the nets changes.
    struct Slot {
        int pin = -1;
        int net = -1;
        int position = -1;  // of the pin among the net's members
        std::uint64_t length = 0;
        std::uint64_t version = 0;
        InsertionTree rest;  // small nets: the rest of the net
    };
    struct GateSlots {
        bool valid = false;
        std::uint64_t checked = ~std::uint64_t{0};  // the model's Changes() when last found valid
        bool distinct = true;  // no two of its movable pins on one net
        std::vector<std::vector<Slot>> groups;  // per pin group; empty for groups that stay
        // The most its nets can shorten when other pins take its pins' places: a point added to a
        // set shortens its tree to no less than 0.82 of it (the proven Steiner ratio bound), and to
        // no less than all of it for sets of one or two points; less a nanometre per rounded edge.
        std::int64_t mostSaved = 0;
        std::vector<std::int64_t> groupSaved;  // the same per pin group
    };
    const GateSlots& SlotsOf(int gate);
    // The change of the nets of `to` when the pins of `from` take their places, best pairing
    // inside each group; choice[k] receives, per pair of groups, the slot of each pin.
    // Stops as soon as the change cannot come below `limit`, and then returns a lower bound of it.
    std::int64_t Side(int from, int to, const GateSlots& slots, std::vector<std::vector<int>>& choice, std::int64_t limit);
    std::int64_t Place(const std::vector<int>& pins, const std::vector<Slot>& places, std::vector<int>& best);
    std::int64_t Cost(const Slot& slot, const Point& at);
    static bool Separate(const GateSlots& x, const GateSlots& y);
    // The general case: every pairing measured on the model as a whole.
    bool Shared(int a, int b, Exchange& out);

    struct Factor {
        std::vector<int> pins;
        std::vector<int> nets;     // one arrangement: pins[i] goes on nets[i]
        std::vector<int> initial;  // sorted, the first arrangement
    };
    std::int64_t Measure();
    bool Exhaustive(Exchange& out);
    void Descend(Exchange& out);

    WireModel& m_model;
    const SwapSpace& m_space;
    std::vector<Factor> m_factors;
    std::vector<PinMove> m_moves;
    std::vector<GateSlots> m_slots;
    std::vector<Point> m_points;
    std::vector<std::vector<int>> m_choiceA, m_choiceB;
    std::vector<std::int64_t> m_cost;
    std::vector<int> m_order;
};

}  // namespace lq
