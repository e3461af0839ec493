// Counting crossings between airwires of different nets.
//
// Two airwires cross when they meet in exactly one point that lies strictly inside both (a proper
// intersection): each one's end points lie strictly on opposite sides of the other's line. The
// side tests are exact: cross products of 33-bit differences taken in 128-bit integers, or in 64
// bits when all end points lie within a span below 2^31 on both axes. So an airwire that ends on
// another, airwires that share an end (two nets on one pin location) and collinear overlapping
// airwires do not count: none of them is a crossing a router must resolve with a via. Airwires of
// one net never count against each other.
#pragma once
#include <cstdint>
#include <vector>

#include "app/metrics/Airwires.h"

namespace lq {

// Whether segment a1-a2 and segment b1-b2 properly intersect.
bool SegmentsCross(const Point& a1, const Point& a2, const Point& b1, const Point& b2);

// The number of crossing pairs. Sweeps the airwires by their left ends, so only pairs whose
// x ranges overlap are tested, each from records that hold its end points and net.
std::uint64_t CountCrossings(const std::vector<Airwire>& airwires);

// The crossing pairs of `after`, given the count of `before`: both hold their airwires net by net
// in ascending net order (as ComputeAirwires gives them), a net index naming the same net in both.
// Only pairs with an airwire of a net whose airwires differ are tested again, so that a change to
// a few nets of a large board is counted in a fraction of a full count.
std::uint64_t CountCrossingsAfter(const std::vector<Airwire>& before, std::uint64_t crossingsBefore,
                                  const std::vector<Airwire>& after);

}  // namespace lq
