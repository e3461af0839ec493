// A host draw context that keeps what it is asked to draw as plain values, so that lqhost can
// read the plug-in's painting: which pins it emphasised and which gate markers it drew.
#pragma once
#include <string>
#include <vector>

#include "host/DrawContext.h"

namespace lq {

struct DrawEvent {
    enum class Kind { Line, Circle, Text, Object } kind = Kind::Line;
    CLQPoint from;  // a line's start; the centre of a circle; where a text goes
    CLQPoint to;    // a line's end
    int radius = 0;
    int colour = 0;       // the colour index set when the call came
    bool fill = false;    // circles: filled
    bool drawFlag = false;
    std::string text;
    CDrawObject* object = nullptr;  // Object: what drew itself
};

class RecordingDrawContext : public CDrawContext {
public:
    RecordingDrawContext() = default;

    void DrawLine(const CLQPoint& from, const CLQPoint& to) override;
    void DrawCircle(CLQPoint centre, int nRadius) override;
    void DrawText(const CLQPoint& at, const CString& text) override;
    void DrawDrawObject(CDrawObject* pObject) override;

    const std::vector<DrawEvent>& Events() const { return m_events; }
    // Forgets the events and the base class's call log, which would grow without bound.
    void Clear();

private:
    DrawEvent Make(DrawEvent::Kind kind) const;

    std::vector<DrawEvent> m_events;
};

}  // namespace lq
