// All gates of one layout sheet, built lazily from the pins' attributes.
#pragma once
#include <cstdint>
#include <list>
#include <vector>

#include "module/swap/SwapItem.h"

class CDrwSubSheet;
class CGate;
class CLayoutComponent;
class CLayoutPin;
class CSwapItemGate;

class CGateStore : public CObject {
    DECLARE_DYNAMIC(CGateStore)
public:
    explicit CGateStore(CDrwSubSheet* key);
    ~CGateStore() override;
    CGateStore(const CGateStore&) = delete;
    CGateStore& operator=(const CGateStore&) = delete;

    CDrwSubSheet* GetKey() const { return m_pKey; }

    std::vector<CGate*> GetGates(bool bRealOnly, bool bPseudoOnly);
    CGate* GetGateAt(std::int32_t x, std::int32_t y, bool bRealOnly, bool bPseudoOnly);
    std::vector<CSwapItemGate*>& GetGateSwapItems();
    std::list<std::vector<CSwapItem*>>& GetGateSwapGroups();
    std::vector<CSwapItem*> GetGateSwapItemsOfComponent(CLayoutComponent* component);

    // Every store has its own serial number; a serial stays alive until its store is deleted,
    // so that holders of its gates can tell whether they still exist.
    std::uint64_t GetSerial() const { return m_nSerial; }
    static bool IsAlive(std::uint64_t nSerial);

private:
    void BuildGates();
    void BuildGateSwapItems();

    CDrwSubSheet* m_pKey;
    std::vector<CGate*> m_gates;
    std::vector<CSwapItemGate*> m_gateSwapItems;
    std::list<std::vector<CSwapItem*>> m_gateSwapGroups;
    bool m_bGatesBuilt = false;
    bool m_bItemsBuilt = false;
    std::uint64_t m_nSerial;
};
