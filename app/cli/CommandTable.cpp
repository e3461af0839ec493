#include "app/cli/CommandTable.h"

namespace lq {

const std::vector<CommandEntry>& CommandTable()
{
    static const std::vector<CommandEntry> table = {
        MakeAutoswapCommand(),
        MakeCommandsCommand(),
        MakeInfoCommand(),
        MakePlayCommand(),
        MakeRenderCommand(),
        MakeServeCommand(),
    };
    return table;
}

}  // namespace lq
