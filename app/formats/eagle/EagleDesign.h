// An Eagle board (and its schematic) as imported: the parsed files, kept for writing back, and
// the links from each part, pin and net of the Board to the elements, pads, signals, parts and
// gates they came from.
#pragma once
#include <pugixml.hpp>

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/eagle/EagleLibraries.h"
#include "app/formats/eagle/EagleXml.h"
#include "app/model/Board.h"

namespace lq::eagle {

// One Board part.
struct PartLink {
    pugi::xml_node element;
    const PackageDef* package = nullptr;   // the element's package in the board's library
    pugi::xml_node part;                   // the schematic part; empty when there is none
    const DeviceDef* device = nullptr;
};

// A symbol pin of a gate, with the board pins (pads) it connects to.
struct GatePin {
    std::string name;
    int swaplevel = 0;
    std::vector<std::size_t> pins;  // indices into the part's pins, in the connect's pad order
};

// A gate of a part that the schematic knows, placed on a sheet or not.
struct GateLink {
    std::size_t part = 0;
    std::string name;
    std::string group;          // its LQ_GATEGROUP value
    bool exchangeable = false;  // a non-zero gate swap level
    const GateDef* def = nullptr;
    std::vector<GatePin> pins;
};

struct EagleDesign {
    std::unique_ptr<XmlFile> board;
    std::unique_ptr<XmlFile> schematic;  // null when the board was read without one
    std::unique_ptr<LibrarySet> boardLibraries;
    std::unique_ptr<LibrarySet> schematicLibraries;
    std::vector<PartLink> parts;          // per Board part
    std::vector<pugi::xml_node> signals;  // per Board net
    std::map<PinIndex, pugi::xml_node> contacts;  // the contactref that puts a pin on its net
    std::vector<GateLink> gates;
    std::set<PinIndex> owners;  // the pins some gate pin of the schematic stands for
    bool unrouted = false;  // existing copper was ignored
    std::size_t routedPins = 0;
};

}  // namespace lq::eagle
