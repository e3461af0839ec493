// More effort on request: an iterated local search. Each round shakes the board with a few random
// exchanges that the plug-in allows, near one place, lets the quick local search settle it, and
// keeps the result when it is no longer than the best seen, else goes back to the best. After the
// last round the caller runs the full local search again.
//
// The budget is work (distance evaluations), never time: the same board and budget give the same
// rounds and the same result on any machine and under any load. RefineSheet converts the seconds
// asked into work at the rate this work runs on the reference machine (kWorkPerSecond), so a
// budget of SECONDS takes about that long there; the report shows the time it really took.
#pragma once
#include <cstdint>

#include "app/refine/LocalSearch.h"

namespace lq {

// Distance evaluations per second of refinement on the reference machine (2-core CI kind).
constexpr std::uint64_t kWorkPerSecond = 40'000'000;

// What a round costs at the least, in distance evaluations: about the time of a shake that
// measures nothing, on the reference machine.
constexpr std::uint64_t kRoundWork = 4;

struct EffortOutcome {
    std::uint64_t rounds = 0;
    std::uint64_t improvements = 0;  // rounds that ended shorter than the best before them
};

EffortOutcome SearchHarder(WireModel& model, SwapSpace& space, LocalSearch& search, std::uint64_t work,
                           std::uint64_t seed);

}  // namespace lq
