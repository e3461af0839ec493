// lqhost info's two views of a probed board: readable text and JSON.
#pragma once
#include <string>
#include <vector>

#include "app/model/Board.h"
#include "app/probe/BoardProbe.h"

namespace lq {

// swapRules: per part, where its swap rule came from (KiCad boards); empty for other boards.
std::string FormatInfoText(const Board& board, const std::string& name, const BoardProbe& probe,
                           const std::vector<std::string>& swapRules = {});
std::string FormatInfoJson(const Board& board, const std::string& name, const BoardProbe& probe,
                           const std::vector<std::string>& swapRules = {});

// "U1 A", "U1 (pseudo-gate)", "? (no name)"
std::string GateLabel(const Board& board, const ProbedGate& gate);

}  // namespace lq
