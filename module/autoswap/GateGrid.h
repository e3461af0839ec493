// The gates of a group in cells of a grid over the board, each cell with the box its gates' pins
// lie in and the most that any of its gates' sides of an exchange may reach, so that a gate's
// search for a partner can pass over whole cells that no exchange could come from.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

// The bounds below run on boxes and points met in no order a branch could learn, so they take
// none, and they take two coordinates at a time, in a pair of lanes. They are exact for integers of
// fewer than 52 bits, as coordinates (32) are.
using LQLanes = double __attribute__((vector_size(16)));
using LQIntLanes = std::int32_t __attribute__((vector_size(8)));
// Each compiles to one instruction, or two.
inline LQLanes LQLanesMax(LQLanes a, LQLanes b) { return a > b ? a : b; }
inline LQLanes LQLanesMin(LQLanes a, LQLanes b) { return a < b ? a : b; }
// v if positive, else 0: as (v + |v|) / 2, which compiles without a branch where std::max(v, 0.0)
// does not.
inline double LQPositivePart(double v) { return (v + std::fabs(v)) * 0.5; }
// Two integers as doubles, exactly. (Widened first: GCC converts a pair of lanes one lane at a
// time, but a pair taken from four lanes in one instruction.)
inline LQLanes LQLanesOf(LQIntLanes v)
{
    using Four = std::int32_t __attribute__((vector_size(16)));
    const Four wide = __builtin_shufflevector(v, v, 0, 1, 0, 1);
    return __builtin_convertvector(__builtin_shufflevector(wide, wide, 0, 1), LQLanes);
}
inline LQLanes LQLanesOf(LQLanes v) { return v; }

// Kept in doubles, which hold every coordinate exactly, for the bounds to read as they are.
struct CLQBox {
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    void Add(std::int32_t x, std::int32_t y);
    void Add(const CLQBox& b);
    bool IsEmpty() const { return x0 > x1; }
    LQLanes Low() const { return LQLanes{x0, y0}; }
    LQLanes High() const { return LQLanes{x1, y1}; }
    // At most the Euclidean distance from the box to another box, and within 8 % of it: the
    // larger of the greatest coordinate difference and their sum over the square root of two.
    double DistanceAtMost(const CLQBox& b) const
    {
        // The gaps between the boxes along both axes, 0 where they meet.
        const LQLanes gap = LQLanesMax(LQLanesMax(Low() - b.High(), b.Low() - High()), LQLanes{0.0, 0.0});
        return std::max(std::max(gap[0], gap[1]), (gap[0] + gap[1]) * 0.7071067811865);
    }
};

class CGateGrid {
public:
    struct Cell {
        CLQBox box;
        std::int32_t first = 0, count = 0;  // its gates' places in the grid's order (OrderOf)
        std::int64_t maxReach = -1;         // the largest of its gates' reaches, -1 for none measured
    };

    // Neighbouring cells, and neighbouring blocks of those, level by level up to one block that
    // covers the board, so that a search can pass over many cells at once.
    struct Block {
        CLQBox box;
        std::vector<std::int32_t> children;  // cells on the first level, blocks of the level below above it
        std::int64_t maxReach = -1;
        std::int32_t parent = -1;  // in the level above
        std::int64_t gx = 0, gy = 0;  // the place on its level's grid
    };

    // Gates with an empty box are in no cell.
    // About gatesPerCell gates to a cell, blockSide cells (or blocks) to a block along each side.
    void Build(const std::vector<CLQBox>& boxes, double gatesPerCell, std::int64_t blockSide);
    // The most that a gate's side of an exchange may now reach, from anywhere, in whole units above
    // it (at most its present length; a negative or unmeasured one counts as none).
    void SetReach(std::int32_t gate, std::int64_t reach);

    const std::vector<Cell>& Cells() const { return m_cells; }
    // A cell's gates by their places, greatest reach first.
    std::span<const std::int32_t> Members(const Cell& cell) const
    {
        return {m_byLength.data() + cell.first, static_cast<std::size_t>(cell.count)};
    }
    // The levels of blocks, the cells' first; the last has no parents.
    const std::vector<std::vector<Block>>& Levels() const { return m_levels; }
    // The reach last set for the gate at the place in the grid's order, -1 for none.
    std::int64_t ReachAt(std::int32_t place) const { return m_reach[static_cast<std::size_t>(place)]; }
    // The gate's cell, -1 for none.
    std::int32_t CellOf(std::int32_t gate) const { return m_cellOf[static_cast<std::size_t>(gate)]; }
    // The gate's place in the cells' order, those in no cell last, so that what is kept per gate
    // in that order lies together cell by cell.
    std::int32_t OrderOf(std::int32_t gate) const { return m_orderOf[static_cast<std::size_t>(gate)]; }
    // The first-level block of a cell.
    std::int32_t BlockOf(std::int32_t cell) const { return m_blockOf[static_cast<std::size_t>(cell)]; }

private:
    // A cell or block at its place on its level's grid.
    struct Place {
        std::int64_t gx, gy;
        const CLQBox* pBox;
    };
    // Gathers the places of a side x side grid into blocks; side becomes the blocks' grid side,
    // blockOf receives each place's block.
    std::vector<Block> GroupIntoBlocks(const std::vector<Place>& places, std::int64_t& side,
                                       std::vector<std::int32_t>& blockOf) const;

    std::vector<Cell> m_cells;
    std::vector<std::int32_t> m_byLength;  // every cell's places, cell by cell (Members)
    std::vector<std::vector<Block>> m_levels;
    std::vector<std::int32_t> m_blockOf;  // per cell, on the first level
    std::vector<std::int32_t> m_cellOf, m_orderOf;
    std::vector<std::int64_t> m_reach;  // in the grid's order
    std::int64_t m_blockSide = 4;
};
