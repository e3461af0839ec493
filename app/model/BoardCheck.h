// The rules every board obeys before it reaches the host, whatever file it came from: unique
// names, references that lead somewhere, values in range, positions that fit in 32 bits.
#pragma once
#include <optional>
#include <string>

#include "app/model/Board.h"

namespace lq {

struct BoardProblem {
    // Where, as a JSON pointer into the board's structure ("/nets/2/pins/5"); the board file
    // format mirrors that structure, so for boards read from it this is the file's JSON path.
    std::string place;
    std::string message;
};

// The first problem in document order, or nothing when the board is sound.
std::optional<BoardProblem> CheckBoard(const Board& board);

// Largest LQ_GATESWAP value the host reads as a number.
constexpr int kMaxGateSwapSetting = 1000;

}  // namespace lq
