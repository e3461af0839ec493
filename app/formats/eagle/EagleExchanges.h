// The Eagle view of the exchange inference (app/formats/GateExchanges.h): gates and pins of the
// schematic's devices, pins classed by their swap level.
#pragma once
#include "app/formats/GateExchanges.h"
#include "app/formats/eagle/EagleDesign.h"
#include "app/model/Board.h"

namespace lq::eagle {

using lq::SchematicExchanges;
using lq::GateExchange;
using lq::PinExchange;

// Infers the exchanges that turn the nets of before into those of after (the same parts and
// pins), with gate indices into design.gates. Throws JobError naming the board when the change
// cannot be written as Eagle exchanges (a pin without a gate moved, pads of one pin were split,
// a pin left its swap level).
SchematicExchanges InferExchanges(const EagleDesign& design, const Board& before, const Board& after);

}  // namespace lq::eagle
