// Which pins a KiCad schematic joins into one net: on each sheet by geometry (wire ends, a point
// on a wire, junctions, labels, pins touching), across sheets by name (local labels within a
// sheet instance, global labels and power symbols everywhere, hierarchical labels to the pins of
// the sheet symbol that places them). Buses are not followed.
#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/formats/kicad/KicadProject.h"

namespace lq::kicad {

// The points of one file that join each other, in components.
class SheetGraph {
public:
    // Every item point of the file, and the pins of the symbols as its uses (indices into the
    // project's uses of every instance of the file) place them.
    SheetGraph(const KicadProject& project, std::size_t file, const std::vector<std::size_t>& uses);

    std::size_t Components() const { return m_components; }
    // The component of an item or pin point of the file.
    std::size_t At(const Vec64& p) const { return m_at.at(p); }

    // What a component holds besides wires and junctions, counted in the file's first instance.
    struct Census {
        std::vector<std::size_t> labels;  // into the file's labels
        std::size_t pins = 0;             // symbol pins, power symbols' included
        std::size_t others = 0;           // sheet pins, no-connect flags, net-class flags
    };
    const Census& Contents(std::size_t component) const { return m_census[component]; }

private:
    std::map<Vec64, std::size_t> m_at;
    std::size_t m_components = 0;
    std::vector<Census> m_census;
};

// A pin of a part: reference and pin number.
using PinKey = std::pair<std::string, std::string>;

struct SchematicNets {
    std::vector<SheetGraph> graphs;         // per file
    std::map<PinKey, std::size_t> netOfPin;  // the placed pins of parts (references not starting with #)
};

// Throws ParseError when the wires of a file overlap beyond what any drawing needs.
SchematicNets ComputeNets(const KicadProject& project);

// The label that alone, with nothing else but wires, joins this pin of the placed symbol (shown
// as the given unit), or nothing.
std::optional<std::size_t> SoleLabel(const KicadProject& project, const SchematicNets& nets, const SymbolUse& use,
                                     const LibPin& pin);

}  // namespace lq::kicad
