// One KiCad schematic file as lqhost reads it: the library symbols it embeds (units, body
// styles, pins), the symbols placed on it with their instance data, and what joins pins into
// nets (wires, junctions, labels, sub-sheets with their pins, no-connect flags).
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/formats/kicad/KicadValues.h"
#include "app/formats/kicad/Sexpr.h"

namespace lq::kicad {

// Schematic versions lqhost reads: KiCad 6 to 10.
constexpr long long kFirstSchematicVersion = 20211123;
constexpr long long kLastSchematicVersion = 20260306;
// Before this version a power symbol's net is its pin's name; from it on, its value.
constexpr long long kPowerByValueVersion = 20220000;

struct LibPin {
    std::string number;
    std::string name;
    std::string type;  // "input", "power_in", ...
    bool hidden = false;
    Vec64 at;  // in the symbol, y up
    friend bool operator==(const LibPin&, const LibPin&) = default;
};

struct LibSymbol {
    std::string name;
    NodeId node = kNoNode;
    int units = 1;
    enum class Power { None, Global, Local } power = Power::None;
    // By unit (0: shared by all units) and body style (0: shared by all styles).
    std::map<std::pair<int, int>, std::vector<LibPin>> pins;

    // The pins a placed unit shows in a body style: its own and those shared by all units.
    std::vector<LibPin> PinsOf(int unit, int style) const;
    // Only the unit's own pins, or (unit 0) only those shared by all units.
    std::vector<LibPin> OwnPins(int unit, int style) const;
};

// Where a placed symbol's reference and unit are kept for one sheet instance.
struct InstanceData {
    std::string path;           // the instance path it is kept under
    std::vector<NodeId> refs;   // the reference texts (several projects may keep the same path)
    std::vector<NodeId> units;  // the unit numbers
    std::string ref;
    int unit = 1;
};

struct PlacedSymbol {
    NodeId node = kNoNode;
    std::string libId;  // "Device:R"
    const LibSymbol* lib = nullptr;
    Vec64 at;
    int degrees = 0;   // 0, 90, 180 or 270
    char mirror = 0;   // 'x', 'y' or none
    int style = 1;     // body style
    std::string uuid;
    NodeId unitNode = kNoNode;  // the symbol's own (unit N)
    int unit = 1;
    NodeId refNode = kNoNode;   // the text of its Reference property
    std::string ref;
    std::string value;
    std::vector<InstanceData> instances;  // KiCad 7 and later: kept in the symbol

    // Where the library pin lands on the sheet.
    Vec64 PinAt(const LibPin& pin) const;
};

enum class LabelKind { Local, Global, Hierarchical };

struct Label {
    NodeId node = kNoNode;
    NodeId textNode = kNoNode;
    LabelKind kind = LabelKind::Local;
    std::string text;
    Vec64 at;
};

struct SheetPin {
    std::string name;
    Vec64 at;
};

struct SheetSymbol {
    NodeId node = kNoNode;
    std::string uuid;
    NodeId fileNode = kNoNode;  // the text naming its file
    std::string file;
    std::vector<SheetPin> pins;
};

struct Wire {
    Vec64 a;
    Vec64 b;
};

struct SchematicFile {
    std::unique_ptr<SexprFile> file;
    std::string path;  // as opened
    long long version = 0;
    std::string uuid;
    std::map<std::string, LibSymbol> libs;
    std::vector<PlacedSymbol> symbols;
    std::vector<Wire> wires;
    std::vector<Vec64> junctions;
    std::vector<Vec64> noConnects;
    std::vector<Vec64> flags;  // net-class flags and other items that attach to a net
    std::vector<Label> labels;
    std::vector<SheetSymbol> sheets;
    // KiCad 6: the root keeps every symbol's reference and unit by instance path.
    NodeId symbolInstances = kNoNode;
    std::map<std::string, InstanceData> legacyInstances;
};

// Parses and reads one schematic file. Throws ParseError "file:line:column: ..." for a file that
// is not a KiCad schematic of version 6 to 10, a placed symbol whose library symbol the file
// does not embed, and values it cannot read.
SchematicFile ReadSchematicFile(std::unique_ptr<SexprFile> file, std::string path);

}  // namespace lq::kicad
