// From the nets the automatic pass left to the exchanges Eagle knows: the pass records no
// exchanges, only which pin is on which net now. docs/eagle.md explains the inference.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "app/formats/eagle/EagleDesign.h"
#include "app/model/Board.h"

namespace lq::eagle {

// The instance (and pin references) of gate `from` now stand for gate `to`; indices into
// design.gates. Together the exchanges of one run form a permutation: cycles are allowed.
struct GateExchange {
    std::size_t from = 0;
    std::size_t to = 0;
    friend bool operator==(const GateExchange&, const GateExchange&) = default;
};

// Within gate `gate` (after its gate exchange, if any), the pin reference that named pin `from`
// now names pin `to`.
struct PinExchange {
    std::size_t gate = 0;
    std::string from;
    std::string to;
    friend bool operator==(const PinExchange&, const PinExchange&) = default;
};

struct Exchanges {
    std::vector<GateExchange> gates;  // only gates that moved
    std::vector<PinExchange> pins;    // only pins that moved
};

// Infers the exchanges that turn the nets of before into those of after (the same parts and
// pins). Throws JobError naming the board when the change cannot be written as Eagle exchanges
// (a pin without a gate moved, pads of one pin were split, a pin left its swap level).
Exchanges InferExchanges(const EagleDesign& design, const Board& before, const Board& after);

}  // namespace lq::eagle
