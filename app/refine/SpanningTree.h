// Exact Euclidean minimum spanning trees of one net's pins, measured as lqhost reports them: each
// edge's length rounded down to the nanometre, summed. Every minimum spanning tree of a point set
// has the same multiset of squared edge lengths, so any of them gives the reported total.
//
// A net is measured again only when its pins change. Small nets are measured from scratch
// (Prim, n^2/2 distances); large ones keep their tree and are updated exactly when one pin leaves
// and/or one arrives:
//  - leaving: the tree's other edges stay in a spanning tree of the rest; the pieces that the
//    leaving pin held together are rejoined by the shortest edge between each pair of pieces;
//  - arriving: the new tree lies within the old tree's edges and the edges to the new point.
// Work counts distance evaluations, the unit in which refinement budgets its effort.
#pragma once
#include <cstdint>
#include <vector>

#include "app/model/Board.h"

namespace lq {

struct TreeEdge {
    int a = 0;
    int b = 0;
    unsigned __int128 squared = 0;
};

// The length of a minimum spanning tree of the points; work += distances evaluated.
std::uint64_t SpanningLength(const std::vector<Point>& points, std::uint64_t& work);

// A small point set kept with its tree, to measure the set with one more point in O(n log n): the
// new tree lies within the old tree's edges and the edges to the new point.
class InsertionTree {
public:
    void Reset(const std::vector<Point>& points, std::uint64_t& work);
    std::size_t Size() const { return m_points.size(); }
    std::uint64_t Length() const { return m_length; }
    std::uint64_t LengthWith(const Point& added, std::uint64_t& work) const;

private:
    std::vector<Point> m_points;
    std::vector<TreeEdge> m_edges;       // shortest first
    std::vector<std::uint64_t> m_floors;  // their lengths
    std::uint64_t m_length = 0;
};

class SpanningTree {
public:
    SpanningTree() = default;
    // Builds the tree of the points from scratch.
    SpanningTree(std::vector<Point> points, std::uint64_t& work);

    const std::vector<Point>& Points() const { return m_points; }
    std::uint64_t Length() const { return m_length; }

    // The length after removing point `removed` (or none: -1) and adding `added` (when hasAdded).
    std::uint64_t LengthAfter(int removed, bool hasAdded, const Point& added, std::uint64_t& work) const;
    // The same, kept: the removed point leaves the list (later points move up one), the added
    // point goes last.
    void Change(int removed, bool hasAdded, const Point& added, std::uint64_t& work);

private:
    // The edges of the new tree over the new point list; returns its length.
    std::uint64_t Rebuild(int removed, bool hasAdded, const Point& added, std::vector<TreeEdge>* edges,
                          std::uint64_t& work) const;

    std::vector<Point> m_points;
    std::vector<TreeEdge> m_edges;
    std::uint64_t m_length = 0;
};

}  // namespace lq
