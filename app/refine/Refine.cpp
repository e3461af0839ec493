#include "app/refine/Refine.h"

#include "app/refine/CarryOut.h"
#include "app/refine/EffortSearch.h"
#include "app/refine/LocalSearch.h"
#include "app/refine/PlugInItems.h"
#include "app/refine/SwapSpace.h"
#include "app/refine/WireModel.h"

namespace lq {

namespace {

// The longer search's random numbers; fixed, so that a run repeats.
constexpr std::uint64_t kEffortSeed = 20240611;

WireModel MakeModel(const Board& board, const BoardPins& pins)
{
    const BoardIndex index(board);
    std::vector<Point> at;
    std::vector<int> net;
    for (const PinIndex& p : pins.index) {
        at.push_back(AbsolutePin(board.parts[p.part], board.parts[p.part].pins[p.pin]));
        const auto n = index.NetOfPin(p);
        net.push_back(n ? static_cast<int>(*n) : -1);
    }
    return WireModel(std::move(at), std::move(net), board.nets.size());
}

}  // namespace

RefineResult RefineSheet(const PlugInSession& session, HostSheet& sheet, const Board& board, const RefineOptions& options)
{
    PlugInItems items(session);
    SwapSpace space(session, sheet, board, items);
    WireModel model = MakeModel(board, space.Pins());
    RefineResult result;
    result.notes = space.Notes();
    result.lengthBefore = model.Total();

    LocalSearch search(model, space);
    search.Run();
    // The exchanges that reached the local optimum; what more effort finds is counted apart.
    result.pinExchanges = search.Counts().pins;
    result.gateExchanges = search.Counts().gates;
    if (options.effortSeconds) {
        const std::uint64_t localOptimum = model.Total();
        EffortFigures effort;
        effort.seconds = *options.effortSeconds;
        effort.workBudget = static_cast<std::uint64_t>(*options.effortSeconds * static_cast<double>(kWorkPerSecond));
        const EffortOutcome o = SearchHarder(model, space, search, effort.workBudget, kEffortSeed);
        search.Run();
        effort.rounds = o.rounds;
        effort.improvements = o.improvements;
        effort.gain = localOptimum - model.Total();
        result.effort = effort;
    }
    result.lengthAfter = model.Total();
    CarryOut(space, model, sheet);
    return result;
}

}  // namespace lq
