// A KiCad schematic as a whole: the root file and every sub-sheet it names, the sheet instances
// (a sheet placed twice is two instances of one file), and for every placed symbol in every
// instance the reference and unit its instance data give (KiCad 6: the root's
// symbol_instances; KiCad 7 and later: the symbol's own instances).
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/formats/kicad/KicadSchematic.h"

namespace lq::kicad {

// What a schematic may ask for; more is refused with its place.
struct HierarchyLimits {
    static constexpr std::size_t kSheetInstances = 10000;
    static constexpr std::size_t kSymbolUses = 1000000;
};

// How the project's files are read: the bytes of a path, or nothing when there is no such file.
// Errors reading a file that exists are thrown as IoError.
using FileReader = std::function<std::optional<std::string>(const std::string& path)>;
FileReader DiskFiles();

struct SheetInstance {
    std::size_t file = 0;                  // into KicadProject::files
    std::optional<std::size_t> parent;     // into KicadProject::instances
    std::size_t sheet = 0;                 // the sheet symbol in the parent's file that places it
    std::vector<std::string> chain;        // sheet uuids from the root down
};

// A placed symbol in one sheet instance, with its instance data.
struct SymbolUse {
    std::size_t instance = 0;  // into KicadProject::instances
    std::size_t symbol = 0;    // into the file's symbols
    std::string ref;
    int unit = 1;
    // Where the reference and unit are written: the instance data, or the symbol's own fields
    // when a symbol has none for this instance.
    const SexprFile* dataFile = nullptr;
    std::vector<NodeId> refNodes;
    std::vector<NodeId> unitNodes;
};

struct KicadProject {
    std::vector<std::unique_ptr<SchematicFile>> files;  // the root first
    std::vector<SheetInstance> instances;               // the root's first
    std::vector<SymbolUse> uses;
    std::vector<std::size_t> instancesOfFile;  // per file: how many sheet instances show it

    const SchematicFile& FileOf(const SymbolUse& use) const { return *files[instances[use.instance].file]; }
    const PlacedSymbol& Symbol(const SymbolUse& use) const { return FileOf(use).symbols[use.symbol]; }
    // The path a board footprint names its symbol by: sheet uuids and the symbol's uuid.
    std::string FootprintPath(const SymbolUse& use) const;
};

// Reads the root schematic and every sub-sheet, relative to the sheet that names it. Throws
// ParseError naming the file, line and column for a missing sub-sheet, a sheet that contains
// itself, a unit beyond its symbol's units, and anything the files do not hold.
KicadProject ReadKicadProject(const std::string& rootPath, const FileReader& read);

}  // namespace lq::kicad
