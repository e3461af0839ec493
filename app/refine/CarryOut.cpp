#include "app/refine/CarryOut.h"

#include <fmt/core.h>

#include <map>
#include <vector>

#include "app/core/Errors.h"
#include "app/refine/SwapSpace.h"
#include "app/refine/WireModel.h"
#include "app/session/HostSheet.h"
#include "host/Events.h"
#include "host/LayoutPin.h"
#include "host/Netlist.h"

namespace lq {

namespace {
// The code the plug-in passes when it has changed connections.
constexpr UINT kNetlistChanged = 0x40000000;
}  // namespace

std::size_t CarryOut(const SwapSpace& space, const WireModel& model, HostSheet& sheet)
{
    CLayoutNetlist* netlist = sheet.Sheet()->GetNetlist();
    std::map<const CNet*, int> indexOf;
    for (std::size_t i = 0; i < netlist->GetNets().size(); ++i)
        indexOf[netlist->GetNets()[i].get()] = static_cast<int>(i);
    auto netNow = [&](int pin) {
        const CNet* net = sheet.PinObject(space.Pins().index[static_cast<std::size_t>(pin)])->GetNetConnection()->GetNet();
        return net == nullptr ? -1 : indexOf.at(net);
    };

    std::vector<int> changing;
    std::map<int, std::vector<int>> givers;  // net -> changing pins whose items remember it
    for (std::size_t p = 0; p < model.PinCount(); ++p) {
        const int pin = static_cast<int>(p);
        if (space.PinItem(pin) == nullptr || netNow(pin) == model.NetOf(pin))
            continue;
        changing.push_back(pin);
        givers[netNow(pin)].push_back(pin);
    }
    for (int pin : changing)
        space.Items().Unconnect(space.PinItem(pin));
    for (int pin : changing) {
        const int net = model.NetOf(pin);
        if (net < 0)
            continue;
        std::vector<int>& from = givers[net];
        if (from.empty())
            throw JobError(fmt::format("{}: refinement moved pins it could not carry out as a permutation", sheet.Source()));
        space.Items().Connect(space.PinItem(pin), space.PinItem(from.back()));
        from.pop_back();
    }
    for (int pin : changing)
        space.Items().Refresh(space.PinItem(pin));
    for (int pin : changing)
        if (netNow(pin) != model.NetOf(pin))
            throw JobError(fmt::format("{}: the plug-in did not put a pin on the net refinement chose", sheet.Source()));
    if (!changing.empty()) {
        netlist->UpdateNetlist(kNetlistChanged, reinterpret_cast<LONG_PTR>(sheet.Sheet()));
        AfxPumpEvents();
    }
    return changing.size();
}

}  // namespace lq
