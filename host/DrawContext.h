// The drawing context of a view. Every call is recorded; derived contexts render as well.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/Geometry.h"
#include "host/String.h"

class CDrawObject;

struct LQ_HOST_API LQ_TEXTFORMAT {
    virtual ~LQ_TEXTFORMAT() = default;

    std::int64_t m_nSizeX = 0;
    std::int64_t m_nSizeY = 0;
    std::int32_t m_nAngle = 0;
    BYTE m_byAlign = 0;
    BYTE m_byMirror = 0;
    BYTE m_byStyle = 0;
    std::int32_t m_nFont = 0;
    std::int32_t m_nFlags = 0;
};

class LQ_HOST_API CDrawContext {
public:
    CDrawContext();
    virtual ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    virtual void SetColor(int nColor);
    virtual void SetLineWidth(int nWidth);
    virtual void SetFill(bool bFill, int nStyle);
    virtual bool GetDrawFlag() const;
    virtual void SetDrawFlag(bool bFlag);
    // Converts a size in screen pixels to board units in place, at the context's zoom.
    virtual void DeviceToLogicalSize(int* pWidth, int* pHeight) const;
    virtual void DrawLine(const CLQPoint& from, const CLQPoint& to);
    virtual void DrawCircle(CLQPoint centre, int nRadius);
    virtual LQ_TEXTFORMAT GetTextFormat() const;
    virtual void SetTextFormat(LQ_TEXTFORMAT format);
    virtual void DrawText(const CLQPoint& at, const CString& text);
    virtual void PrepareDraw(int n1, int n2, bool bFlag);
    virtual void FinishDraw(bool b1, bool b2);
    // Called by a drawing object asked to draw itself into this context.
    virtual void DrawDrawObject(CDrawObject* pObject);

    // Board units per screen pixel.
    void SetZoom(std::int64_t nUnitsPerPixel) { m_nUnitsPerPixel = nUnitsPerPixel; }
    std::int64_t GetZoom() const { return m_nUnitsPerPixel; }

    int GetColor() const { return m_nColor; }
    int GetLineWidth() const { return m_nLineWidth; }
    bool GetFill() const { return m_bFill; }

    const std::vector<std::string>& GetCalls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }

protected:
    void Record(std::string call) { m_calls.push_back(std::move(call)); }

private:
    std::int64_t m_nUnitsPerPixel = 10000;
    int m_nColor = 0;
    int m_nLineWidth = 1;
    bool m_bFill = false;
    bool m_bDrawFlag = false;
    LQ_TEXTFORMAT m_textFormat;
    std::vector<std::string> m_calls;
};
