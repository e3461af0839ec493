// Board files by their names: Autodesk Eagle boards (.brd, with the schematic beside them), KiCad
// projects (.kicad_pcb, with the root schematic beside them) and Quillon board JSON (.json, as in
// .qbrd.json); other names are refused. Reading keeps what writing back needs.
#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/model/Board.h"

namespace lq {

namespace eagle {
struct EagleDesign;
}
namespace kicad {
struct KicadDesign;
}

enum class BoardFormat { QuillonJson, Eagle, Kicad };

// A kind of board file, told by the end of its name (any case).
struct BoardKind {
    const char* extension;  // ".brd"
    BoardFormat format;
    const char* name;  // "Eagle boards", for messages
};

// Every kind lqhost reads and writes; a new format is one more row.
const std::vector<BoardKind>& BoardKinds();

// The format a file name stands for. Throws JobError naming the file when lqhost does not read
// that kind, or UsageError when output is set and lqhost does not write it.
BoardFormat BoardFormatOf(const std::string& path, bool output = false);

// What a name says the file is when it names one of a design's files (a board, a schematic, a
// KiCad project), or null: reports and pictures must not take such names.
const char* DesignFileKind(const std::string& path);

struct BoardReadOptions {
    std::string schematic;  // Eagle, KiCad: the (root) schematic, when it is not the one beside the board
    bool unrouted = false;  // Eagle, KiCad: ignore existing copper, so that every pin may move
    std::vector<std::string> rules = {};  // KiCad: swap-rules files, before the built-in library
};

struct LoadedBoard {
    std::string path;
    BoardFormat format = BoardFormat::QuillonJson;
    Board board;
    std::vector<std::string> notes;  // one line each, for the user
    std::shared_ptr<eagle::EagleDesign> eagle;
    std::shared_ptr<kicad::KicadDesign> kicad;
    std::vector<std::string> swapRules;  // KiCad: per part, where its swap rule came from
};

// Reads a board. Throws UsageError for options its format does not take, IoError when a file
// cannot be read, ParseError naming the file and place of anything wrong in it.
LoadedBoard LoadBoard(const std::string& path, const BoardReadOptions& options);

// Every file reading the board reads: the board and, for Eagle, the schematic it would use.
std::vector<std::string> BoardInputs(const std::string& path, const BoardReadOptions& options);

// Every file saving a result of this board under output writes: the board and, for an Eagle
// board read with a schematic, the schematic beside it. UsageError when the output's format
// cannot be written from the input's (an Eagle board from a board JSON).
std::vector<std::string> BoardOutputs(const std::string& path, const BoardReadOptions& options, const std::string& output);

struct SavedBoard {
    std::vector<std::pair<std::string, std::string>> files;  // path, contents, for an OutputBatch
    std::vector<std::string> notes;                          // one line each, for the report
};

// The files that hold after, the result of a run on loaded.board, saved under output. An Eagle
// board is written back into its own documents, so a loaded Eagle board is saved once. Throws
// JobError when the result cannot be written in the output's format.
SavedBoard SaveBoard(LoadedBoard& loaded, const Board& after, const std::string& output);

}  // namespace lq
