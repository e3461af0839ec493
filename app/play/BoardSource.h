// The one place where play, render and info read and write board files, so that another board
// format slots in here by the file's name.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/formats/BoardFiles.h"
#include "app/model/Board.h"

namespace lq {

// Reads a board file (IoError when it cannot be read, ParseError when it is not a sound board).
Board OpenBoardFile(const std::string& path, const BoardReadOptions& options = {});

// The files opening the board reads (an Eagle board's schematic too); just path when its kind
// is unknown, which opening it reports.
std::vector<std::string> BoardFilesRead(const std::string& path, const BoardReadOptions& options = {});

// Why a board cannot be saved under this name, or nothing when it can.
std::optional<std::string> BoardOutputProblem(const std::string& path);

// The file contents of the board saved under this name.
std::string BoardFileText(const Board& board, const std::string& path);

}  // namespace lq
