// Pictures of a board as SVG: part outlines with their references, pads, copper, airwires, the
// plug-in's own gate markers, the pins whose net changed picked out in red, and a legend.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "app/metrics/Airwires.h"
#include "app/model/Board.h"

namespace lq {

class HostSheet;
class PlugInSession;

struct BoardPicture {
    std::string title;               // a line of text in the legend under the board: the figures, or what it shows
    std::set<PinIndex> highlighted;  // pins drawn as changed
    std::string markers;             // SVG elements drawn over the board (PaintGateMarkers)
};

// The whole SVG document. The canvas spans everything on the board with a margin; its size in
// pixels follows the board's zoom (nm per pixel), within 200 to 8000 pixels across.
std::string RenderBoardSvg(const Board& board, const BoardPicture& picture);
// The same with the board's airwires (ComputeAirwires) already at hand, so they are computed once.
std::string RenderBoardSvg(const Board& board, const BoardPicture& picture, const std::vector<Airwire>& airwires);

// The gate markers the plug-in paints for the sheet: fetches the swap gate tool through the
// draw-objects interface, makes it the current tool with an SVG draw context at the sheet's
// zoom, lets it paint its overlay, and ends it again (which forgets any pick of the tool and
// clears the sheet's selection, as ending a tool does in the host). The sheet becomes the
// current sheet; the previous tool and draw context are restored. Empty when the plug-in hands
// out no such tool.
std::string PaintGateMarkers(const PlugInSession& session, HostSheet& sheet);

}  // namespace lq
