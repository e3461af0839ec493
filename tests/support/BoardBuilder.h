// Builds small layout sheets for tests, so that each case reads like the situation it tests.
#pragma once
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/Copper.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/SubSheet.h"

namespace lqtest {

using Attrs = std::vector<std::pair<std::string, std::string>>;

class BoardBuilder {
public:
    explicit BoardBuilder(bool bWithBackAnnotationManager = true);

    CLayoutSubSheet* Sheet() const { return m_pSheet.get(); }
    std::unique_ptr<CLayoutSubSheet> Release() { return std::move(m_pSheet); }

    // A package with LQ_REFDES first, then the given attributes in order. gateSwap < 0 adds no
    // LQ_GATESWAP attribute; otherwise it follows the designator.
    CLayoutComponent* Part(const std::string& refDes, int gateSwap = 1, bool bPinSwap = true, const Attrs& attrs = {},
                           const CLQRect& outline = CLQRect(0, 0, 0, 0));
    // A pin with a square pad of the given half size around its location.
    CLayoutPin* Pin(CLayoutComponent* part, CLQPoint at, const Attrs& attrs, int halfPad = 10);
    // A pin with the usual attributes of a gate member.
    CLayoutPin* GatePin(CLayoutComponent* part, CLQPoint at, const std::string& pin, const std::string& gate,
                        const std::string& gateGroup, const std::string& pinGroup, const std::string& type = "");

    CLayoutNet* Net(const std::string& name, std::initializer_list<CLayoutPin*> pins = {});
    // Puts the pin on a new net whose only other pin is a pin of the connector J1 at farEnd.
    CLayoutNet* Wire(CLayoutPin* pin, CLQPoint farEnd, const std::string& name);
    CLayoutTrack* Track(CLQPoint from, CLQPoint to, int layer = 1, int width = 10);
    CLayoutVia* Via(CLQPoint at, int diameter = 10);

private:
    std::unique_ptr<CLayoutSubSheet> m_pSheet;
    CLayoutComponent* m_pConnector = nullptr;  // J1: no gates, no pin swapping
    int m_nConnectorPins = 0;
};

// The net a pin is on now, or "" when unconnected.
std::string NetOf(const CLayoutPin* pin);
// NetOf of each pin.
std::vector<std::string> NetsOf(const std::vector<CLayoutPin*>& pins);
// The net pins of a net as "REF.PIN" texts, in the net's order.
std::vector<std::string> PinsOf(const CNet* net);
// The number of net pins of every net, by name.
std::map<std::string, int> NetSizes(const CLayoutSubSheet* sheet);

}  // namespace lqtest
