// The layout pins of the nets that a group's measurements read, with their locations and the
// gate of the group each belongs to, kept in step as the group's pins change nets. Each net has a
// version that changes whenever one of its pins comes or goes, so that measurements which read it
// can be kept until then.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "module/autoswap/SmallList.h"

class CLayoutPin;
class CNet;

class CNetIndex {
public:
    struct Pin {
        std::int32_t x, y;
        std::int32_t owner;  // the gate of the group the pin belongs to, or -1
        std::int32_t slot;   // the registered pin, or -1
    };
    using Pins = CLQSmallList<Pin, 4>;

    // Registers a pin of one of the group's gates; answers its slot. A pin registered twice
    // (to two gates) makes the index unusable.
    std::int32_t Register(CLayoutPin* pPin, std::int32_t owner);
    // Reads the nets of the registered pins. False when the index cannot stand for the host's
    // netlist: a pin of two gates, or a registered pin that its net does not list as its own.
    bool Build();

    // The slot of a registered pin, or -1.
    std::int32_t SlotOf(CLayoutPin* pPin) const
    {
        auto it = m_slotOf.find(pPin);
        return it != m_slotOf.end() ? it->second : -1;
    }
    std::int32_t NetOf(std::int32_t slot) const { return m_slotNet[static_cast<std::size_t>(slot)]; }
    const Pins& PinsOf(std::int32_t net) const { return m_nets[static_cast<std::size_t>(net)].pins; }
    std::uint64_t Version(std::int32_t net) const { return m_nets[static_cast<std::size_t>(net)].version; }
    std::uint64_t Clock() const { return m_clock; }
    std::int32_t X(std::int32_t slot) const { return m_slotPins[static_cast<std::size_t>(slot)].x; }
    std::int32_t Y(std::int32_t slot) const { return m_slotPins[static_cast<std::size_t>(slot)].y; }
    std::int32_t Owner(std::int32_t slot) const { return m_slotPins[static_cast<std::size_t>(slot)].owner; }

    // Reads the nets of these registered pins again after an exchange; answers the clock value
    // that marks the change.
    std::uint64_t Refresh(const std::int32_t* slots, std::size_t nSlots);

private:
    struct Net {
        CNet* pNet;
        std::uint64_t version;
        Pins pins;
    };
    std::int32_t IndexNet(CNet* pNet);
    std::int32_t FindNet(CNet* pNet) const;

    std::vector<CLayoutPin*> m_slotLayoutPins;
    std::vector<Pin> m_slotPins;
    std::vector<std::int32_t> m_slotNet;
    std::unordered_map<CLayoutPin*, std::int32_t> m_slotOf;
    std::vector<Net> m_nets;
    std::unordered_map<CNet*, std::int32_t> m_netOf;
    std::vector<std::int32_t> m_recentNets;  // Refresh's nets before the change
    std::uint64_t m_clock = 1;
    bool m_bUsable = true;
};

// The pin distance, read from the index: the length from the row pin to the nearest pin of the
// column pin's net outside both pins' gates; failing that, to the nearest of the column gate's
// pins on it, then of the row gate's; 0 when the column pin is on no net.
std::int64_t LQIndexedPinDistance(const CNetIndex& index, std::int32_t row, std::int32_t col, std::int32_t rowGate,
                                  std::int32_t colGate);
