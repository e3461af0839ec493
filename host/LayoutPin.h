// A pad of a package and its connection to the netlist.
#pragma once
#include "host/DrawObject.h"
#include "host/DynArray.h"

class CLayoutComponent;
class CLayoutNetPin;
class CLayoutPin;
class CNet;

// The net side of a pin.
class LQ_HOST_API CNetConnection {
public:
    explicit CNetConnection(CLayoutPin* pPin) : m_pPin(pPin) {}

    CNet* GetNet() const;
    CLayoutNetPin* GetNetPin() const { return m_pNetPin; }
    void SetNetPin(CLayoutNetPin* pNetPin) { m_pNetPin = pNetPin; }
    // Copper objects touching the pad go to the first array, other touching objects to the second.
    // With no store given, the pin's own store answers.
    void GetConnectedObjects(CDrawingStore* pStore, CZNDynArray<CDrawObject*>& copper,
                             CZNDynArray<CDrawObject*>& others) const;

private:
    CLayoutPin* m_pPin;
    CLayoutNetPin* m_pNetPin = nullptr;
};

// Copper layers 1..16 as bits; a through-hole pad is on all of them.
constexpr UINT LQ_ALL_COPPER_LAYERS = 0xFFFFu;
constexpr UINT LQLayerBit(int nLayer) { return (nLayer >= 1 && nLayer <= 16) ? (1u << (nLayer - 1)) : 0u; }

class LQ_HOST_API CLayoutPin : public CDrawObject {
    DECLARE_DYNAMIC(CLayoutPin)
public:
    CLayoutPin(const CLQPoint& location, const CLQRect& pad, UINT nLayers = LQ_ALL_COPPER_LAYERS);
    ~CLayoutPin() override;

    CLayoutComponent* GetOwnerComponent() const { return m_pOwner; }
    void SetOwnerComponent(CLayoutComponent* pOwner) { m_pOwner = pOwner; }
    void GetLocation(CLQPoint& pt) const { pt = m_location; }
    CLQPoint GetLocation() const { return m_location; }
    const CLQRect& GetPadRect() const { return m_pad; }
    UINT GetLayers() const { return m_nLayers; }

    CNetConnection* GetNetConnection() { return &m_connection; }
    const CNetConnection* GetNetConnection() const { return &m_connection; }

    void GetBoundingRect(CLQRect& rect, bool bIncludeText) const override;
    void Offset(int dx, int dy) override;

private:
    CLayoutComponent* m_pOwner = nullptr;
    CLQPoint m_location;
    CLQRect m_pad;
    UINT m_nLayers;
    CNetConnection m_connection;
};
