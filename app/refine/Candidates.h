// Which gates a gate is first tried against, in large gate groups: an exchange shortens the
// airwires when each gate lies near the other's nets, so a gate's candidates are the gates near
// the pins of its nets, the gates on nets that pass near it, and its nearest gates. Gates and pins
// are found through a grid over the board; nets are read as they are now.
#pragma once
#include <cstdint>
#include <vector>

#include "app/refine/SwapSpace.h"
#include "app/refine/WireModel.h"

namespace lq {

class Candidates {
public:
    Candidates(const WireModel& model, const SwapSpace& space, std::size_t nearest);

    // In ascending order, without the gate itself; gates of its group only.
    const std::vector<int>& Of(int gate);

private:
    std::size_t Cell(const Point& p) const;
    void Add(int gate, int group);

    const WireModel& m_model;
    const SwapSpace& m_space;
    std::int64_t m_x0 = 0, m_y0 = 0, m_size = 1;
    std::size_t m_columns = 1, m_rows = 1;
    std::vector<std::vector<int>> m_gatesIn;  // per cell
    std::vector<std::vector<int>> m_pinsIn;   // per cell
    std::vector<std::vector<int>> m_nearest;  // per gate
    std::vector<std::uint32_t> m_seen;
    std::uint32_t m_stamp = 0;
    std::vector<int> m_result;
};

}  // namespace lq
