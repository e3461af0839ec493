// Texts that name board things in messages and listings, shared by lqhost info and play.
#pragma once
#include <string>
#include <vector>

#include "app/model/Board.h"

namespace lq {

// "U1.3"
std::string PinLabel(const Board& board, const PinIndex& pin);

// The items one after another with the separator between them; empty for none.
std::string JoinTexts(const std::vector<std::string>& items, const char* separator = ", ");

}  // namespace lq
