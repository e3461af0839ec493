// Copper on a layout sheet: tracks, vias and filled areas.
#pragma once
#include <vector>

#include "host/DrawObject.h"

class LQ_HOST_API CLayoutCopper : public CDrawObject {
    DECLARE_DYNAMIC(CLayoutCopper)
public:
    using CDrawObject::CDrawObject;
    // Name of the signal the copper belongs to; informational only.
    CString GetNetName() const { return m_strNet; }
    void SetNetName(const char* psz) { m_strNet = psz; }

private:
    CString m_strNet;
};

class LQ_HOST_API CLayoutTrack : public CLayoutCopper {
    DECLARE_DYNAMIC(CLayoutTrack)
public:
    CLayoutTrack(int nLayer, int nWidth, const CLQPoint& from, const CLQPoint& to);

    int GetLayer() const { return m_nLayer; }
    int GetWidth() const { return m_nWidth; }
    const CLQPoint& GetFrom() const { return m_from; }
    const CLQPoint& GetTo() const { return m_to; }
    void GetBoundingRect(CLQRect& rect, bool bIncludeText) const override;
    void Offset(int dx, int dy) override;

private:
    int m_nLayer;
    int m_nWidth;
    CLQPoint m_from;
    CLQPoint m_to;
};

class LQ_HOST_API CLayoutVia : public CLayoutCopper {
    DECLARE_DYNAMIC(CLayoutVia)
public:
    CLayoutVia(const CLQPoint& position, int nDiameter);

    const CLQPoint& GetPosition() const { return m_position; }
    int GetDiameter() const { return m_nDiameter; }
    void GetBoundingRect(CLQRect& rect, bool bIncludeText) const override;
    void Offset(int dx, int dy) override;

private:
    CLQPoint m_position;
    int m_nDiameter;
};

class LQ_HOST_API CLayoutPolygon : public CLayoutCopper {
    DECLARE_DYNAMIC(CLayoutPolygon)
public:
    CLayoutPolygon(int nLayer, std::vector<CLQPoint> vertices);

    int GetLayer() const { return m_nLayer; }
    const std::vector<CLQPoint>& GetVertices() const { return m_vertices; }
    // Even-odd rule; points on an edge count as inside.
    bool Contains(const CLQPoint& p) const;
    void GetBoundingRect(CLQRect& rect, bool bIncludeText) const override;
    void Offset(int dx, int dy) override;

private:
    int m_nLayer;
    std::vector<CLQPoint> m_vertices;
};
