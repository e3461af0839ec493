// The gate record: one logical function of a package and its pins.
#pragma once
#include <list>
#include <vector>

#include "host/DrawContext.h"
#include "host/Geometry.h"
#include "host/PoolString.h"
#include "module/frame/ModuleApi.h"
#include "module/swap/SwapItem.h"

class CAutoSwapF;
class CLayoutComponent;
class CLayoutPin;
class CLayoutSubSheet;

class QUILLON_API CGate : public CObject {
    DECLARE_DYNAMIC(CGate)
public:
    CGate(CLayoutComponent* component, CString gateName, CString gateGroupName);
    ~CGate() override;
    CGate(const CGate&) = delete;
    CGate& operator=(const CGate&) = delete;

    bool AddPin(CLayoutPin* pin);
    CLayoutComponent* GetComponent() { return m_pComponent; }
    CString GetGateName() { return CString(m_gateName.GetString()); }
    CString GetGateGroupName() { return CString(m_gateGroupName.GetString()); }
    std::vector<CLayoutPin*>& GetPins() { return m_pins; }
    CString GetSearchID();
    // The search ID of a gate of the component with this reference designator.
    static CString SearchIDOf(const CString& refDes, const char* pszGateGroupName, const char* pszGateName);
    CLQPoint GetCenterPoint();
    long GetGateSize();
    bool IsRealGate();
    std::vector<CSwapItem*>& GetSwapPinItems();
    std::list<std::vector<CSwapItem*>>& GetSwapPinItemGroups();
    void ResetPinGroups();

    std::vector<CAutoSwapF*>& GetAutoSwapObjects();
    void AutoPinSwap(CLayoutSubSheet* sub);

    bool CanSwap(CGate* other);
    bool IsConnected();
    void UnConnect();

    void Draw(CDrawContext* dc, bool bSelected, bool bDrawFlag);

protected:
    // The gate exchange pairs the pins of pseudo-gates by these IDs.
    friend class CSwapItemGate;

    std::vector<CPoolString> GetPinSearchIDs();
    void InitCenterPoint();
    void InitSwapPinItems();
    void InitSwapPinItemGroups();
    void InitAutoSwapObjects();
    bool CompareComponentAttributes(CGate* other);
    bool ComparePins(CGate* other);
    bool IsConnectedToCopper();

private:
    CLayoutComponent* m_pComponent;
    CPoolString m_gateName;
    CPoolString m_gateGroupName;
    std::vector<CLayoutPin*> m_pins;
    CLQPoint m_center;
    std::vector<CSwapItem*> m_swapPinItems;
    bool m_bSwapPinItemsBuilt = false;
    std::list<std::vector<CSwapItem*>> m_swapPinItemGroups;
    bool m_bGroupsBuilt = false;
    std::vector<CAutoSwapF*> m_autoSwapObjects;
    bool m_bAutoSwapObjectsBuilt = false;
};

// Whether a gate's UnConnect takes the pin off its net: every pin but a real gate's power pins.
bool LQLeavesOnUnConnect(bool bRealGate, CLayoutPin* pin);

// Marker radius for a draw context: 9 pixels, at most 1000000 board units.
long GateMarkerRadius(const CDrawContext* dc);
