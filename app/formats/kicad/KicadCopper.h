// Which pads the copper of a KiCad board already connects, and the pad shapes that decide it.
#pragma once
#include <vector>

#include "app/formats/kicad/KicadBoard.h"
#include "app/model/Board.h"

namespace lq::kicad {

// Whether the point lies on the pad's copper (edges included): a circle, an oval, a rectangle
// (rounded and chamfered corners and trapezoids taken as their rectangle); other shapes as the
// rectangle of their size.
bool PadContains(const KicadPad& pad, const Point& p);

// The pad's bounding box, from its centre.
Rect PadBox(const KicadPad& pad);

// For each footprint, for each of its pads: whether copper of the pad's own net reaches it (a
// track or arc of the net ends on the pad, a via of the net sits on it, on a layer of the pad; or
// a filled area of the net on such a layer covers the pad's centre). Throws ParseError when
// telling takes more steps than a board of any sensible size needs.
std::vector<std::vector<bool>> PadsOnCopper(const KicadBoard& board);

}  // namespace lq::kicad
