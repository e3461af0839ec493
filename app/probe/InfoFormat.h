// lqhost info's two views of a probed board: readable text and JSON.
#pragma once
#include <string>

#include "app/model/Board.h"
#include "app/probe/BoardProbe.h"

namespace lq {

std::string FormatInfoText(const Board& board, const std::string& name, const BoardProbe& probe);
std::string FormatInfoJson(const Board& board, const std::string& name, const BoardProbe& probe);

// "U1 A", "U1 (pseudo-gate)", "? (no name)"
std::string GateLabel(const Board& board, const ProbedGate& gate);

}  // namespace lq
