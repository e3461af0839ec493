// A KiCad project as imported: the parsed board and schematic files, kept for writing back, and
// the links from each part, pin and gate of the Board to the footprints, pads, placed symbols
// and units they came from.
#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/GateExchanges.h"
#include "app/formats/kicad/KicadBoard.h"
#include "app/formats/kicad/KicadConnectivity.h"
#include "app/formats/kicad/KicadProject.h"
#include "app/formats/kicad/KicadRules.h"

namespace lq::kicad {

constexpr std::size_t kNoIndex = ~std::size_t{0};

// One Board part: a footprint and, when the schematic has it, its symbol.
struct PartLink {
    std::size_t footprint = 0;
    std::vector<std::size_t> pinOfPad;  // per footprint pad: the Board pin, or kNoIndex
    std::vector<std::size_t> padOfPin;  // per Board pin: the footprint pad
    std::vector<std::size_t> uses;      // the placed units that carry this reference, in every sheet instance
    const LibSymbol* lib = nullptr;     // null for a footprint without a symbol
    std::string libId;
    std::string rule;  // where the part's swap rule came from, for the user
};

// A unit of a part, as a gate; parallel to the exchange model's gates.
struct UnitLink {
    int unit = 1;
    std::map<std::string, LibPin> pins;  // by the key that names the pin in the exchange model
};

struct KicadReadOptions {
    std::string schematic;  // empty: the .kicad_sch of the board's name beside it, when there is one
    bool unrouted = false;  // ignore existing copper: every pin may move
    std::vector<std::string> rules = {};  // --rules files, the later ones first
};

struct KicadDesign {
    KicadReadOptions options;  // as read
    KicadBoard board;
    std::unique_ptr<KicadProject> project;  // null when the board was read without a schematic
    SchematicNets nets;
    SwapRules rules;
    std::vector<PartLink> parts;
    std::vector<UnitLink> units;
    ExchangeModel exchange;
    std::map<std::pair<std::size_t, int>, std::size_t> gateOf;  // (part, unit) -> gate
    bool unrouted = false;
    std::size_t routedPins = 0;
    std::vector<std::string> orphans;  // one line per footprint read as board-only for want of a symbol
};

}  // namespace lq::kicad
