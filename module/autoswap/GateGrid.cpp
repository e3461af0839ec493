#include "module/autoswap/GateGrid.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "module/autoswap/ExchangeSearch.h"

void CLQBox::Add(std::int32_t x, std::int32_t y)
{
    x0 = std::min<double>(x0, x);
    y0 = std::min<double>(y0, y);
    x1 = std::max<double>(x1, x);
    y1 = std::max<double>(y1, y);
}

void CLQBox::Add(const CLQBox& b)
{
    x0 = std::min(x0, b.x0);
    y0 = std::min(y0, b.y0);
    x1 = std::max(x1, b.x1);
    y1 = std::max(y1, b.y1);
}

void CGateGrid::Build(const std::vector<CLQBox>& boxes, double gatesPerCell, std::int64_t blockSide)
{
    m_blockSide = std::max<std::int64_t>(blockSide, 2);
    m_cells.clear();
    m_levels.clear();
    m_blockOf.clear();
    m_cellOf.assign(boxes.size(), -1);
    m_reach.assign(boxes.size(), -1);
    m_orderOf.assign(boxes.size(), -1);
    CLQBox all;
    for (const CLQBox& b : boxes)
        all.Add(b);
    if (all.IsEmpty()) {
        std::iota(m_orderOf.begin(), m_orderOf.end(), 0);
        return;
    }
    const auto side = static_cast<std::int64_t>(
        std::max(1.0, std::ceil(std::sqrt(static_cast<double>(boxes.size()) / std::max(gatesPerCell, 1.0)))));
    const auto w = static_cast<std::int64_t>(all.x1 - all.x0) + 1, h = static_cast<std::int64_t>(all.y1 - all.y0) + 1;
    m_cells.resize(static_cast<std::size_t>(side * side));
    std::vector<std::vector<std::int32_t>> members(m_cells.size());
    for (std::size_t g = 0; g < boxes.size(); ++g) {
        const CLQBox& b = boxes[g];
        if (b.IsEmpty())
            continue;
        // The box's centre picks the cell (its offsets are exact in doubles, their sum in 64 bits).
        const auto cx =
            (static_cast<std::int64_t>(b.x0 - all.x0) + static_cast<std::int64_t>(b.x1 - all.x0)) / 2 * side / w;
        const auto cy =
            (static_cast<std::int64_t>(b.y0 - all.y0) + static_cast<std::int64_t>(b.y1 - all.y0)) / 2 * side / h;
        const auto c = static_cast<std::size_t>(std::clamp<std::int64_t>(cy, 0, side - 1) * side +
                                                std::clamp<std::int64_t>(cx, 0, side - 1));
        members[c].push_back(static_cast<std::int32_t>(g));
        m_cells[c].box.Add(b);
        m_cellOf[g] = static_cast<std::int32_t>(c);
    }
    // Empty cells are dropped; the others keep their places for the blocks.
    std::vector<Cell> kept;
    std::vector<Place> places;
    std::int32_t nOrdered = 0;
    m_byLength.clear();
    for (std::size_t c = 0; c < m_cells.size(); ++c) {
        if (members[c].empty())
            continue;
        places.push_back(Place{static_cast<std::int64_t>(c) % side, static_cast<std::int64_t>(c) / side, nullptr});
        Cell& cell = kept.emplace_back(m_cells[c]);
        cell.first = nOrdered;
        cell.count = static_cast<std::int32_t>(members[c].size());
        for (std::int32_t g : members[c]) {
            m_cellOf[static_cast<std::size_t>(g)] = static_cast<std::int32_t>(kept.size() - 1);
            m_orderOf[static_cast<std::size_t>(g)] = nOrdered;
            m_byLength.push_back(nOrdered++);
        }
    }
    m_cells = std::move(kept);
    for (std::size_t c = 0; c < m_cells.size(); ++c)
        places[c].pBox = &m_cells[c].box;
    for (std::int32_t& order : m_orderOf)
        if (order < 0)
            order = nOrdered++;
    // Blocks of cells, then blocks of blocks, up to one that covers everything.
    std::int64_t placesSide = side;
    m_levels.push_back(GroupIntoBlocks(places, placesSide, m_blockOf));
    while (m_levels.back().size() > 1) {
        std::vector<Block>& lower = m_levels.back();
        places.clear();
        for (const Block& b : lower)
            places.push_back(Place{b.gx, b.gy, &b.box});
        std::vector<std::int32_t> parents;
        std::vector<Block> upper = GroupIntoBlocks(places, placesSide, parents);
        for (std::size_t k = 0; k < lower.size(); ++k)
            lower[k].parent = parents[k];
        m_levels.push_back(std::move(upper));
    }
}

std::vector<CGateGrid::Block> CGateGrid::GroupIntoBlocks(const std::vector<Place>& places, std::int64_t& side,
                                                         std::vector<std::int32_t>& blockOf) const
{
    const std::int64_t blockSide = (side + m_blockSide - 1) / m_blockSide;
    std::vector<std::int32_t> blockAt(static_cast<std::size_t>(blockSide * blockSide), -1);
    std::vector<Block> blocks;
    blockOf.clear();
    for (std::size_t k = 0; k < places.size(); ++k) {
        const Place& place = places[k];
        const std::int64_t at = place.gy / m_blockSide * blockSide + place.gx / m_blockSide;
        std::int32_t& b = blockAt[static_cast<std::size_t>(at)];
        if (b < 0) {
            b = static_cast<std::int32_t>(blocks.size());
            blocks.push_back(Block{{}, {}, -1, -1, place.gx / m_blockSide, place.gy / m_blockSide});
        }
        blocks[static_cast<std::size_t>(b)].children.push_back(static_cast<std::int32_t>(k));
        blocks[static_cast<std::size_t>(b)].box.Add(*place.pBox);
        blockOf.push_back(b);
    }
    side = blockSide;
    return blocks;
}

void CGateGrid::SetReach(std::int32_t gate, std::int64_t reach)
{
    const std::int64_t value = LQIsMeasured(reach) ? reach : -1;
    const std::int32_t order = OrderOf(gate);
    std::int64_t& kept = m_reach[static_cast<std::size_t>(order)];
    if (kept == value)
        return;
    const std::int32_t c = m_cellOf[static_cast<std::size_t>(gate)];
    if (c < 0)
        return;
    Cell& cell = m_cells[static_cast<std::size_t>(c)];
    kept = value;
    // The others stay in order: the gate moves past those it now beats, or that now beat it,
    // and stays on the same side of its equals, as a stable sort would leave it.
    std::int32_t* const begin = m_byLength.data() + cell.first;
    std::int32_t* const end = begin + cell.count;
    std::int32_t* at = std::find(begin, end, order);
    auto reachAt = [this](const std::int32_t* it) { return m_reach[static_cast<std::size_t>(*it)]; };
    for (; at != begin && reachAt(at - 1) < value; --at)
        std::iter_swap(at, at - 1);
    for (; at + 1 != end && reachAt(at + 1) > value; ++at)
        std::iter_swap(at, at + 1);
    const std::int64_t maxReach = m_reach[static_cast<std::size_t>(*begin)];
    if (cell.maxReach == maxReach)
        return;
    cell.maxReach = maxReach;
    // Each level's largest reach, up the blocks that hold the cell, as far as it changes.
    std::int32_t b = m_blockOf[static_cast<std::size_t>(c)];
    for (std::size_t level = 0; level < m_levels.size() && b >= 0; ++level) {
        Block& block = m_levels[level][static_cast<std::size_t>(b)];
        std::int64_t largest = -1;
        for (std::int32_t k : block.children) {
            const auto uk = static_cast<std::size_t>(k);
            largest = std::max(largest, level == 0 ? m_cells[uk].maxReach : m_levels[level - 1][uk].maxReach);
        }
        if (block.maxReach == largest)
            return;
        block.maxReach = largest;
        b = block.parent;
    }
}
