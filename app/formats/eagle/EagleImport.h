// Reading an Eagle board with its schematic into a Board, keeping what the write-back needs.
// docs/eagle.md gives the whole mapping.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/formats/eagle/EagleDesign.h"
#include "app/model/Board.h"

namespace lq::eagle {

struct EagleReadOptions {
    std::string schematic;  // empty: the .sch beside the board, when there is one
    bool unrouted = false;  // ignore existing copper: every pin may move
};

struct EagleImport {
    Board board;
    std::unique_ptr<EagleDesign> design;
    std::vector<std::string> notes;  // one line each, for the user
};

// Reads board.brd and its schematic. Throws IoError when a file cannot be read (a schematic
// named in the options must exist) and ParseError for anything wrong inside them.
EagleImport ReadEagleBoard(const std::string& boardPath, const EagleReadOptions& options);

// The same from parsed files; schematic may be null.
EagleImport ImportEagle(std::unique_ptr<XmlFile> board, std::unique_ptr<XmlFile> schematic, bool unrouted);

// The board's path with .sch in place of its extension (.SCH for .BRD).
std::string SchematicBeside(const std::string& boardPath);

// The schematic a read of the board takes: the one given, else the one beside the board when it
// exists, else none.
std::optional<std::string> SchematicToRead(const std::string& boardPath, const std::string& given);

}  // namespace lq::eagle
