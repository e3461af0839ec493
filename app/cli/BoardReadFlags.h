// The options that say how a board file is read, declared alike by every command that opens one.
#pragma once
#include "app/formats/BoardFiles.h"

namespace CLI {
class App;
}

namespace lq {

// --schematic FILE, --unrouted and --rules FILE (repeatable) into options.
void AddBoardReadFlags(CLI::App& sub, BoardReadOptions& options);

}  // namespace lq
