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
    };
    return table;
}

}  // namespace lq
