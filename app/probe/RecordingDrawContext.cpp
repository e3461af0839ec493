#include "app/probe/RecordingDrawContext.h"

namespace lq {

DrawEvent RecordingDrawContext::Make(DrawEvent::Kind kind) const
{
    DrawEvent e;
    e.kind = kind;
    e.colour = GetColor();
    e.fill = GetFill();
    e.drawFlag = GetDrawFlag();
    return e;
}

void RecordingDrawContext::DrawLine(const CLQPoint& from, const CLQPoint& to)
{
    DrawEvent e = Make(DrawEvent::Kind::Line);
    e.from = from;
    e.to = to;
    m_events.push_back(std::move(e));
}

void RecordingDrawContext::DrawCircle(CLQPoint centre, int nRadius)
{
    DrawEvent e = Make(DrawEvent::Kind::Circle);
    e.from = centre;
    e.radius = nRadius;
    m_events.push_back(std::move(e));
}

void RecordingDrawContext::DrawText(const CLQPoint& at, const CString& text)
{
    DrawEvent e = Make(DrawEvent::Kind::Text);
    e.from = at;
    e.text = text.str();
    m_events.push_back(std::move(e));
}

void RecordingDrawContext::DrawDrawObject(CDrawObject* pObject)
{
    DrawEvent e = Make(DrawEvent::Kind::Object);
    e.object = pObject;
    m_events.push_back(std::move(e));
}

void RecordingDrawContext::Clear()
{
    m_events.clear();
    ClearCalls();
}

}  // namespace lq
