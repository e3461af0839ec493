// The local search: strictly shortening exchanges, the best one of each pin group or gate at a
// time, until no single exchange that the plug-in allows shortens the total.
//
// Order: a queue of pin groups and gates, gates first, each in the plug-in's order; an item whose
// nets change goes back to the end of the queue. A gate is measured against every gate of its
// group, or, in groups of more than kWholeGroup gates, against its Candidates while the queue
// runs; then every gate of such a group is checked against its whole group, and again after that
// every gate whose nets changed in the meantime, until a check finds nothing.
#pragma once
#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

#include "app/refine/Candidates.h"
#include "app/refine/Exchanges.h"

namespace lq {

struct ExchangeCounts {
    std::size_t pins = 0;
    std::size_t gates = 0;
};

class LocalSearch {
public:
    static constexpr std::size_t kWholeGroup = 64;
    static constexpr std::size_t kNearest = 16;

    LocalSearch(WireModel& model, SwapSpace& space);

    // Returns false when the model's work reached the limit first (the state is then a mid-way one).
    bool Run(std::uint64_t workLimit = std::numeric_limits<std::uint64_t>::max());
    // The queue only, nearest gates only: quick, for the rounds of the search with more effort.
    bool Settle(std::uint64_t workLimit);

    // Carries an exchange out on the model and queues what it touched.
    void Perform(const Exchange& e);
    // Queues the items of these pins (after the model changed them some other way).
    void Requeue(const std::vector<int>& pins);
    // Empties the queue and sets the counts back, after the model went back to a settled state.
    void Forget(const ExchangeCounts& counts);

    const ExchangeCounts& Counts() const { return m_counts; }
    Exchanges& Measure() { return m_exchanges; }
    // The gates a gate is tried against while the queue runs.
    const std::vector<int>& Partners(int gate);

private:
    void Push(int item);
    void Visit(int item);
    bool BestPins(const PinGroup& group, Exchange& best);
    bool BestGate(int gate, const std::vector<int>& partners, Exchange& best);
    bool CheckWholeGroups(std::uint64_t workLimit);
    void MakeNeighbours();

    WireModel& m_model;
    SwapSpace& m_space;
    Exchanges m_exchanges;
    ExchangeCounts m_counts;
    std::deque<int> m_queue;  // pin groups 0..P-1, then gates P..
    std::vector<char> m_queued;
    std::vector<std::vector<int>> m_neighbours;  // per gate of a small group: the rest of the group
    Candidates m_candidates;                     // for gates of large groups
    std::vector<std::uint64_t> m_changed;         // per gate: the step of its last change
    std::vector<std::uint64_t> m_checked;         // per gate: the step when it was last checked against its group
    std::uint64_t m_step = 0;
    Exchange m_scratch;
};

}  // namespace lq
