#include "host/DrawContext.h"

#include <algorithm>
#include <limits>

#include "host/DrawObject.h"

namespace {
std::string Pt(const CLQPoint& p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

int ScaleClamped(int nPixels, std::int64_t nZoom)
{
    // Saturating: a huge zoom must not wrap into negative sizes.
    const __int128 v = static_cast<__int128>(nPixels) * nZoom;
    const __int128 lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(v, lo, hi));
}
}  // namespace

CDrawContext::CDrawContext() = default;
CDrawContext::~CDrawContext() = default;

void CDrawContext::SetColor(int nColor)
{
    m_nColor = nColor;
    Record("SetColor(" + std::to_string(nColor) + ")");
}

void CDrawContext::SetLineWidth(int nWidth)
{
    m_nLineWidth = nWidth;
    Record("SetLineWidth(" + std::to_string(nWidth) + ")");
}

void CDrawContext::SetFill(bool bFill, int nStyle)
{
    m_bFill = bFill;
    Record(std::string("SetFill(") + (bFill ? "1" : "0") + "," + std::to_string(nStyle) + ")");
}

bool CDrawContext::GetDrawFlag() const { return m_bDrawFlag; }

void CDrawContext::SetDrawFlag(bool bFlag)
{
    m_bDrawFlag = bFlag;
    Record(std::string("SetDrawFlag(") + (bFlag ? "1" : "0") + ")");
}

void CDrawContext::DeviceToLogicalSize(int* pWidth, int* pHeight) const
{
    if (pWidth != nullptr)
        *pWidth = ScaleClamped(*pWidth, m_nUnitsPerPixel);
    if (pHeight != nullptr)
        *pHeight = ScaleClamped(*pHeight, m_nUnitsPerPixel);
}

void CDrawContext::DrawLine(const CLQPoint& from, const CLQPoint& to) { Record("DrawLine(" + Pt(from) + "-" + Pt(to) + ")"); }

void CDrawContext::DrawCircle(CLQPoint centre, int nRadius)
{
    Record("DrawCircle(" + Pt(centre) + " r" + std::to_string(nRadius) + ")");
}

LQ_TEXTFORMAT CDrawContext::GetTextFormat() const { return m_textFormat; }

void CDrawContext::SetTextFormat(LQ_TEXTFORMAT format)
{
    m_textFormat = format;
    Record("SetTextFormat(" + std::to_string(format.m_nSizeX) + "," + std::to_string(format.m_nSizeY) + "," +
           std::to_string(format.m_nAngle) + "," + std::to_string(format.m_byAlign) + "," +
           std::to_string(format.m_byMirror) + "," + std::to_string(format.m_byStyle) + "," +
           std::to_string(format.m_nFont) + "," + std::to_string(format.m_nFlags) + ")");
}

void CDrawContext::DrawText(const CLQPoint& at, const CString& text) { Record("DrawText(" + Pt(at) + " \"" + text.str() + "\")"); }

void CDrawContext::PrepareDraw(int n1, int n2, bool bFlag)
{
    Record("PrepareDraw(" + std::to_string(n1) + "," + std::to_string(n2) + "," + (bFlag ? "1" : "0") + ")");
}

void CDrawContext::FinishDraw(bool b1, bool b2) { Record(std::string("FinishDraw(") + (b1 ? "1" : "0") + "," + (b2 ? "1" : "0") + ")"); }

void CDrawContext::DrawDrawObject(CDrawObject* pObject)
{
    Record("DrawObject(#" + std::to_string(pObject != nullptr ? pObject->GetStoreIndex() : -1) + ")");
}
