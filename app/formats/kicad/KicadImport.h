// Reading a KiCad project (a board with its schematic) into a Board, keeping what the
// write-back needs. docs/kicad.md gives the whole mapping.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/formats/kicad/KicadDesign.h"
#include "app/model/Board.h"

namespace lq::kicad {

struct KicadImport {
    Board board;
    std::unique_ptr<KicadDesign> design;
    std::vector<std::string> notes;  // one line each, for the user
};

// Reads board.kicad_pcb and its schematic. Throws IoError when a file cannot be read (a
// schematic named in the options must exist) and ParseError for anything wrong inside them.
KicadImport ReadKicadBoard(const std::string& boardPath, const KicadReadOptions& options);

// The same through read; for reading a project again from texts in memory.
KicadImport ReadKicadBoard(const std::string& boardPath, const KicadReadOptions& options, const FileReader& read);

// The board's path with .kicad_sch in place of its extension.
std::string RootSchematicBeside(const std::string& boardPath);

// The root schematic a read of the board takes: the one given, else the one beside the board when
// it exists, else none.
std::optional<std::string> RootSchematicToRead(const std::string& boardPath, const std::string& given);

// Every file a read of the board takes: the board, the schematic files and the rules files.
std::vector<std::string> KicadInputs(const std::string& boardPath, const KicadReadOptions& options);

}  // namespace lq::kicad
