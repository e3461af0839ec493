// KiCad projects among lqhost's board files: reading one into a LoadedBoard, the files a saved
// result takes, and writing a result back into the project's own files.
#pragma once
#include <string>
#include <vector>

#include "app/formats/BoardFiles.h"

namespace lq::kicad {

LoadedBoard LoadKicadBoard(const std::string& path, const BoardReadOptions& options);

// Every file reading the board takes: the board, the schematic files, the rules files, and the
// project file beside the board.
std::vector<std::string> KicadBoardInputs(const std::string& path, const BoardReadOptions& options);

// Every file saving a result of the board under output (.kicad_pcb) writes: the board, the root
// schematic of its name, the sub-sheets under the names the sheets give them, and the project
// file. Throws UsageError when a sub-sheet would be written over its input (a new project in the
// input's folder) or lies outside the project's folder.
std::vector<std::string> KicadBoardOutputs(const std::string& path, const BoardReadOptions& options,
                                           const std::string& output);

// The result of the run written back into the project's files, saved under output.
SavedBoard SaveKicadBoard(const LoadedBoard& loaded, const Board& after, const std::string& output);

}  // namespace lq::kicad
