// The refinement's options on lqhost autoswap.
#pragma once

namespace CLI {
class App;
}

namespace lq {

// --refine, --refine-only and --effort SECONDS (which implies --refine).
void AddRefineOptions(CLI::App& sub, bool& refine, bool& refineOnly, double& effortSeconds);

}  // namespace lq
