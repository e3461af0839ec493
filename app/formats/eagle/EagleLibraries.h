// The libraries embedded in an Eagle board or schematic: packages with their pads, symbols with
// their pins, device sets with their gates, devices and pin-to-pad connects. Names are checked
// unique and every reference inside a library is checked to lead somewhere.
#pragma once
#include <pugixml.hpp>

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/eagle/EagleGeometry.h"
#include "app/formats/eagle/EagleXml.h"

namespace lq::eagle {

struct PadDef {
    std::string name;
    pugi::xml_node node;
    bool smd = false;
    int layer = 0;  // an smd's layer; 0 for a through-hole pad
    Vec centre;     // in the package, nm
    std::array<Vec, 4> corners;
};

struct PackageDef {
    std::string name;
    pugi::xml_node node;
    std::vector<PadDef> pads;  // pads and smds in file order
    std::map<std::string, std::size_t> padIndex;
    const PadDef* FindPad(const std::string& name) const;
};

struct PinDef {
    std::string name;
    pugi::xml_node node;
    Vec at;  // in the symbol, nm
    std::string direction;
    int swaplevel = 0;
};

struct SymbolDef {
    std::string name;
    pugi::xml_node node;
    std::vector<PinDef> pins;
    std::map<std::string, std::size_t> pinIndex;
    const PinDef* FindPin(const std::string& name) const;
};

struct GateDef {
    std::string name;
    pugi::xml_node node;
    const SymbolDef* symbol = nullptr;
    int swaplevel = 0;
};

struct ConnectDef {
    std::string gate;
    std::string pin;
    std::vector<std::string> pads;
    pugi::xml_node node;
};

struct DeviceDef {
    std::string name;
    pugi::xml_node node;
    std::string package;  // empty: a device without a package (a supply symbol)
    std::vector<ConnectDef> connects;
};

struct DeviceSetDef {
    std::string name;
    pugi::xml_node node;
    std::vector<GateDef> gates;
    std::vector<DeviceDef> devices;
    const GateDef* FindGate(const std::string& name) const;
    const DeviceDef* FindDevice(const std::string& name) const;
};

struct LibraryDef {
    std::string name;
    std::string urn;
    pugi::xml_node node;
    std::map<std::string, PackageDef> packages;
    std::map<std::string, SymbolDef> symbols;
    std::map<std::string, DeviceSetDef> devicesets;
};

class LibrarySet {
public:
    // Reads <libraries> under parent (the <board> or <schematic>). Throws ParseError naming the
    // file and line of a duplicate name or a reference that leads nowhere.
    LibrarySet(const XmlFile& file, const pugi::xml_node& parent, const PadRules& rules);
    LibrarySet(const LibrarySet&) = delete;
    LibrarySet& operator=(const LibrarySet&) = delete;

    // By name and URN (empty for libraries without one), as elements and parts name them.
    const LibraryDef* Find(const std::string& name, const std::string& urn) const;

private:
    std::map<std::pair<std::string, std::string>, LibraryDef> m_libraries;
};

// The pad sizing rules of a board's <designrules>, Eagle's defaults for those not given.
PadRules ReadPadRules(const XmlFile& file, const pugi::xml_node& board);

}  // namespace lq::eagle
