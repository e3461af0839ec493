// How the host is made to see exactly the routed pins as routed, whatever the file format says
// about copper.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "app/model/Board.h"

namespace lq {

// One zero-length track per routed pin, at a point of its pad and on one of its layers chosen so
// that, where the geometry allows, the host's test (a track end inside a pad on a shared layer)
// finds it on no pin that is not routed. The host's own view of a file's copper would differ: it
// does not look at nets, so a ground pour drawn over the whole board would mark every pad.
std::vector<Track> CopperMarkers(const Board& board, const BoardIndex& index, const std::set<PinIndex>& routed);

// Why a pass may change less than the user expects: how many of the pins that carry a pin group
// (the only ones a swap moves) are routed and so keep their nets; "" when none is.
std::string RoutedPinsNote(const std::string& path, const Board& board, const std::set<PinIndex>& routed);

// Whether a filled polygon covers the point: even-odd rule, edges counted as inside, exact.
bool PolygonCovers(const std::vector<Point>& polygon, const Point& p);

}  // namespace lq
