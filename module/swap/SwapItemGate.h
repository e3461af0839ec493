// The gate swap item: whole gates measured against and exchanged with each other.
#pragma once
#include "module/swap/SwapItem.h"

class CGate;

class QUILLON_API CSwapItemGate : public CSwapItem {
    DECLARE_DYNAMIC(CSwapItemGate)
public:
    CSwapItemGate(CGate* gate, bool bOptimize);
    ~CSwapItemGate() override;

    CGate* GetGate() const { return m_pGate; }
    bool GetOptimize() const { return m_bOptimize; }
    static CString GetSearchID(CGate* gate);

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
    bool m_bOptimize;
};
