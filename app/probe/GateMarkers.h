// Reading the swap gate tool's overlay painting: each gate marker is a run of draw calls (lines
// from the gate's signal pins to its centre, a filled disc and its outline at the centre, the
// gate name as text there), and pins the tool emphasises draw themselves before the markers.
#pragma once
#include <string>
#include <vector>

#include "app/probe/RecordingDrawContext.h"

namespace lq {

// The filling of a gate marker drawn as the picked gate.
constexpr int kSelectedMarkerFill = 32;

struct GateMarker {
    CLQPoint centre;
    std::string name;
    std::vector<CLQPoint> pinEnds;  // where its lines start: the locations of its signal pins
    bool selected = false;          // filled as the picked gate
    bool background = false;        // drawn with the draw flag set (neither picked nor a candidate)
};

// The same gate drawn twice: centre, name and lines agree.
bool SameMarker(const GateMarker& a, const GateMarker& b);

struct OverlayPainting {
    std::vector<CDrawObject*> objects;  // objects that drew themselves, in order
    std::vector<GateMarker> markers;    // in the order drawn
};

OverlayPainting ReadOverlay(const std::vector<DrawEvent>& events);

}  // namespace lq
