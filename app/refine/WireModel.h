// The board as refinement sees it: where each pin is, which net it is on, and each net's airwire
// length (its exact minimum spanning tree), with the total that lqhost reports. Moves are tried
// as sets of pins put on other nets: only the nets they touch are measured again, and large nets
// update their trees instead of rebuilding them.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "app/model/Board.h"
#include "app/refine/SpanningTree.h"

namespace lq {

// A pin put on a net; -1 for no net.
struct PinMove {
    int pin = 0;
    int net = -1;
};

class WireModel {
public:
    WireModel(std::vector<Point> pinAt, std::vector<int> netOfPin, std::size_t netCount);

    std::uint64_t Total() const { return m_total; }
    int NetOf(int pin) const { return m_netOf[static_cast<std::size_t>(pin)]; }
    const Point& At(int pin) const { return m_at[static_cast<std::size_t>(pin)]; }
    std::size_t PinCount() const { return m_at.size(); }
    const std::vector<int>& Members(int net) const { return m_nets[static_cast<std::size_t>(net)].members; }
    std::uint64_t NetLength(int net) const { return m_nets[static_cast<std::size_t>(net)].length; }

    // The change of the total if the pins were put on those nets together (each pin at most once).
    std::int64_t Delta(std::span<const PinMove> moves);
    // Puts them there. While a log is open, what they replace is remembered for Undo.
    void Apply(std::span<const PinMove> moves);

    // The nets the last Apply touched.
    const std::vector<int>& Touched() const { return m_touched; }
    // Counts the changes of a net, so that what was measured of it can be kept until it changes.
    std::uint64_t Version(int net) const { return net < 0 ? 0 : m_nets[static_cast<std::size_t>(net)].version; }
    // Counts every Apply: what was measured when it had a value still holds while it has it.
    std::uint64_t Changes() const { return m_changes; }
    // The net's length with one of its members left out and a point added (exact; large nets update).
    std::uint64_t LengthReplacing(int net, int memberPosition, const Point& added);
    const SpanningTree* Tree(int net) const
    {
        const NetState& n = m_nets[static_cast<std::size_t>(net)];
        return n.large ? &n.tree : nullptr;
    }
    // For callers that measure point sets themselves.
    std::uint64_t& WorkCounter() { return m_work; }

    void OpenLog();
    // Back to the state when the log was opened; the log stays open, empty.
    void Undo();
    void CloseLog();

    // Distances evaluated so far: the measure of work done.
    std::uint64_t Work() const { return m_work; }

private:
    struct NetState {
        std::vector<int> members;  // pins, in the order they joined
        std::uint64_t length = 0;
        std::uint64_t version = 0;
        bool large = false;  // keeps a tree in step with members
        SpanningTree tree;
    };
    struct Touch {
        int net;
        std::vector<int> leaving;   // member positions
        std::vector<int> arriving;  // pins
    };
    void Collect(std::span<const PinMove> moves);
    std::uint64_t LengthAfter(const Touch& t);
    void Rebuild(NetState& net);

    std::vector<Point> m_at;
    std::vector<int> m_netOf;
    std::vector<NetState> m_nets;
    std::uint64_t m_total = 0;
    std::uint64_t m_work = 0;
    std::uint64_t m_changes = 0;
    std::vector<Touch> m_touches;  // the first m_touchCount are in use; the rest keep their storage
    std::size_t m_touchCount = 0;
    std::vector<int> m_touchOf;  // per net: index into m_touches, or -1
    std::vector<int> m_touched;
    std::vector<Point> m_scratch;
    bool m_logging = false;
    std::vector<PinMove> m_log;  // previous nets, in the order replaced
};

}  // namespace lq
