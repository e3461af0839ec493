#include "app/formats/eagle/EagleExchanges.h"

#include <fmt/core.h>

namespace lq::eagle {

namespace {

// Pins that may take each other's places inside a gate: one swap level, one pad each. Every
// other pin keeps its name.
std::string PinClass(const GatePin& pin)
{
    return pin.swaplevel > 0 && pin.pins.size() == 1 ? fmt::format("#{}", pin.swaplevel) : "=" + pin.name;
}

}  // namespace

SchematicExchanges InferExchanges(const EagleDesign& design, const Board& before, const Board& after)
{
    ExchangeModel model{design.board->Name(), "Eagle", {}, design.owners};
    for (const GateLink& gate : design.gates) {
        ExchangeGate& g = model.gates.emplace_back(
            ExchangeGate{gate.part, gate.name, gate.group, gate.exchangeable, gate.exchangeable, {}});
        for (const GatePin& pin : gate.pins)
            g.pins.push_back(ExchangePin{pin.name, PinClass(pin), pin.pins});
    }
    return lq::InferExchanges(model, before, after);
}

}  // namespace lq::eagle
