// The pin swap item: eligibility, search IDs, execution and distance of pin swaps.
#pragma once
#include <map>

#include "host/Geometry.h"
#include "module/swap/SwapItem.h"

class CGate;
class CLayoutPin;
class CNet;

class QUILLON_API CSwapItemPin : public CSwapItem {
    DECLARE_DYNAMIC(CSwapItemPin)
public:
    CSwapItemPin(CLayoutPin* pin, CGate* gate);
    ~CSwapItemPin() override;

    CLayoutPin* GetPin() const { return m_pPin; }
    CGate* GetGate() const { return m_pGate; }
    CNet* GetRememberedNet() const { return m_pNet; }

    static bool IsPowerPin(CLayoutPin* pin);
    // Pool index of the pin group, or -1 without a pin group.
    static int GetPinGroup(CLayoutPin* pin);
    static bool IsConnectedToCopper(CLayoutPin* pin);
    static CString GetSearchID(CLayoutPin* pin, const std::map<CString, CString>& names);
    static CString GetSearchID(CLayoutPin* pin, SWAPACTION action);
    static bool CanSwap(CLayoutPin* pin1, CLayoutPin* pin2, SWAPACTION action, bool bAcrossComponents, bool bCheckCopper,
                        bool bUsePinGroups);
    static void Unconnect(CLayoutPin* pin);
    static void Connect(CLayoutPin* pin, CNet* net);

    CString GetSearchID(const std::map<CString, CString>& names);

    bool CanSwap(CSwapItem* other, SWAPACTION action, bool bAcrossComponents, bool bCheckCopper,
                 bool bUsePinGroups) override;
    std::int64_t GetDistance(CSwapItem* other, CObject**& data, std::int64_t fallback) override;
    CString GetSearchID() override;
    bool IsConnected() override;
    void Refresh() override;
    void Swap(CSwapItem* other, CObject** data) override;
    bool Swap(CSwapItem* other) override;
    void Connect(CSwapItem* other, CObject** data) override;
    void Unconnect() override;

private:
    CGate* m_pGate;
    CNet* m_pNet;
    CLayoutPin* m_pPin;
};

// Euclidean distance between two board points, rounded down; exact over the whole 32-bit range.
std::int64_t LQPointDistance(const CLQPoint& a, const CLQPoint& b);
// The same from the sum of the squared differences. Rounding down keeps the order, so the
// distance to the nearest of several points is this of the least square.
std::int64_t LQDistanceFromSquare(unsigned __int128 sum);
