// The second reading of a play script, still before anything runs: opens the boards it names
// and checks every part, pin and net against the board open at that line, that clicks have a
// tool and board lines a board, that commands exist, and that no output would overwrite an
// input. Errors are ParseError "file:line: message".
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/model/Board.h"
#include "app/play/PlayScript.h"

namespace lq::play {

struct ResolveOptions {
    std::function<Board(const std::string& path)> openBoard;
    // The plug-in's command names; nothing: not checked.
    std::optional<std::vector<std::string>> commands;
};

void ResolvePlayScript(Script& script, const ResolveOptions& options);

}  // namespace lq::play
