// The gate marker: lines from the signal pins to a disc at the centre, with the gate name.
#include "host/AttributeNames.h"
#include "host/LayoutPin.h"
#include "module/gates/Gate.h"

void CGate::Draw(CDrawContext* dc, bool bSelected, bool bDrawFlag)
{
    dc->SetColor(38);
    dc->SetLineWidth(1);
    const bool bPrevious = dc->GetDrawFlag();
    dc->SetDrawFlag(bDrawFlag);
    InitCenterPoint();
    for (CLayoutPin* pin : m_pins) {
        const CDrawAttribute* pType = pin->GetAttributeWithTag(LQ_PINTYPE, false);
        if (pType != nullptr && _mbscmp(pType->GetValueText(), "PWR") == 0)
            continue;
        CLQPoint p;
        pin->GetLocation(p);
        dc->DrawLine(p, m_center);
    }
    const int r = static_cast<int>(GateMarkerRadius(dc));
    dc->SetColor(bSelected ? 32 : 8);
    dc->SetFill(true, 0);
    dc->DrawCircle(m_center, r);
    int w = 1, h = 1;
    dc->DeviceToLogicalSize(&w, &h);
    if (w >= 100000)
        w = 100000;
    dc->SetColor(38);
    dc->SetLineWidth(w);
    dc->SetFill(false, 0);
    dc->DrawCircle(m_center, r);
    dc->SetLineWidth(1);
    const LQ_TEXTFORMAT current = dc->GetTextFormat();
    LQ_TEXTFORMAT format;
    format.m_nSizeX = r;
    format.m_nSizeY = r;
    format.m_nAngle = 0;
    format.m_byAlign = 4;
    format.m_byMirror = 0;
    format.m_byStyle = current.m_byStyle;
    format.m_nFont = current.m_nFont;
    format.m_nFlags = current.m_nFlags;
    dc->SetTextFormat(format);
    dc->DrawText(m_center, GetGateName());
    dc->SetDrawFlag(bPrevious);
}
