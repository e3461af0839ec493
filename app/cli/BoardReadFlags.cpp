#include "app/cli/BoardReadFlags.h"

#include <CLI/CLI.hpp>

#include "app/cli/PathOption.h"

namespace lq {

void AddBoardReadFlags(CLI::App& sub, BoardReadOptions& options)
{
    sub.add_option("--schematic", options.schematic,
                   "Eagle, KiCad: the board's (root) schematic, when it is not the one of the board's name beside it")
        ->option_text("FILE")
        ->check(NonEmptyPath);
    sub.add_flag("--unrouted", options.unrouted,
                 "Eagle, KiCad: ignore existing copper, as if the board were placed but not routed");
    sub.add_option("--rules", options.rules,
                   "KiCad: swap rules that add to or override the built-in library (docs/kicad.md); may be repeated")
        ->option_text("FILE")
        ->check(NonEmptyPath);
}

}  // namespace lq
