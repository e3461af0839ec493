// From the nets the automatic pass left to the exchanges a schematic knows: the pass records no
// exchanges, only which pin is on which net now. Shared by the Eagle and KiCad write-backs;
// docs/eagle.md explains the inference.
#pragma once
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "app/model/Board.h"

namespace lq {

// A pin of a gate as the schematic sees it, with the board pins (pads) it stands for.
struct ExchangePin {
    std::string name;               // unique within its gate; equal for corresponding pins
    std::string cls;                // pins of one class may take each other's places
    std::vector<std::size_t> pins;  // indices into the part's pins
};

struct ExchangeGate {
    std::size_t part = 0;
    std::string name;
    std::string group;          // gates of one group may take each other's places...
    bool exchangeable = false;  // ...when both are exchangeable...
    bool acrossParts = false;   // ...and, on two parts, both may leave their part and the parts' attributes agree
    std::vector<ExchangePin> pins;
};

struct ExchangeModel {
    std::string file;    // names the board in errors
    std::string format;  // "Eagle", "KiCad": names the kind of exchange in errors
    std::vector<ExchangeGate> gates;
    std::set<PinIndex> owners;  // the pins some gate pin stands for
};

// The schematic instance (and pin references) of gate `from` now stand for gate `to`; indices
// into the model's gates. Together the exchanges of one run form a permutation: cycles are allowed.
struct GateExchange {
    std::size_t from = 0;
    std::size_t to = 0;
    friend bool operator==(const GateExchange&, const GateExchange&) = default;
};

// Within gate `gate` (after its gate exchange, if any), what named pin `from` now names pin `to`.
struct PinExchange {
    std::size_t gate = 0;
    std::string from;
    std::string to;
    friend bool operator==(const PinExchange&, const PinExchange&) = default;
};

struct SchematicExchanges {
    std::vector<GateExchange> gates;  // only gates that moved
    std::vector<PinExchange> pins;    // only pins that moved
};

// Infers the exchanges that turn the nets of before into those of after (the same parts and
// pins). Throws JobError naming the board when the change cannot be written as exchanges (a pin
// without a gate moved, pads of one pin were split, a pin left its class).
SchematicExchanges InferExchanges(const ExchangeModel& model, const Board& before, const Board& after);

}  // namespace lq
