#include "app/cli/CommandTable.h"

namespace lq {

const std::vector<CommandSpec>& CommandTable()
{
    static const std::vector<CommandSpec> table = {
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
