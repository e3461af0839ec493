#include "app/probe/GateMarkers.h"

namespace lq {

bool SameMarker(const GateMarker& a, const GateMarker& b)
{
    return a.centre == b.centre && a.name == b.name && a.pinEnds == b.pinEnds;
}

OverlayPainting ReadOverlay(const std::vector<DrawEvent>& events)
{
    OverlayPainting painting;
    std::vector<const DrawEvent*> lines;  // since the last marker
    GateMarker* open = nullptr;            // the marker whose name may follow
    for (const DrawEvent& e : events) {
        switch (e.kind) {
        case DrawEvent::Kind::Object:
            painting.objects.push_back(e.object);
            break;
        case DrawEvent::Kind::Line:
            lines.push_back(&e);
            break;
        case DrawEvent::Kind::Circle:
            // The filled disc opens a marker; its outline follows at the same centre.
            if (e.fill) {
                GateMarker m;
                m.centre = e.from;
                m.selected = e.colour == kSelectedMarkerFill;
                m.background = e.drawFlag;
                for (const DrawEvent* line : lines)
                    if (line->to == e.from)
                        m.pinEnds.push_back(line->from);
                lines.clear();
                painting.markers.push_back(std::move(m));
                open = &painting.markers.back();
            }
            break;
        case DrawEvent::Kind::Text:
            if (open != nullptr && e.from == open->centre) {
                open->name = e.text;
                open = nullptr;
            }
            break;
        }
    }
    return painting;
}

}  // namespace lq
