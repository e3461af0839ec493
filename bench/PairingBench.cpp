// The minimum-total pin pairing of one large pin group: a connector's pins against the nets
// they have, spread over the board, as the gate pass measures every gate against itself.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BoardGenerator.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "module/autoswap/AutoSwapD.h"
#include "module/gates/Gate.h"
#include "module/swap/DistanceCounter.h"

namespace {
constexpr std::uint32_t kSeed = 3232;

struct ConnectorGroup {
    std::unique_ptr<CLayoutSubSheet> pSheet;
    std::unique_ptr<CGate> pGate;
    std::vector<CSwapItem*> items;
};

ConnectorGroup MakeGroup(int nPins)
{
    ConnectorGroup group;
    group.pSheet = lqbench::MakeConnectorBoard(nPins, kSeed);
    std::vector<CDrawObject*> objects;
    group.pSheet->GetDrawingStore()->GetObjectList(objects, 0x1FF, 0, 0);
    auto* pConnector = DYNAMIC_DOWNCAST(CLayoutComponent, objects.front());
    group.pGate = std::make_unique<CGate>(pConnector, CString("J"), CString("CONN"));
    for (CDrawObject* pChild : pConnector->GetChildren())
        if (auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pChild))
            group.pGate->AddPin(pPin);
    group.items = group.pGate->GetSwapPinItems();
    return group;
}

enum class Strategy { Run, Search, Assignment };

std::int64_t RunOnce(const ConnectorGroup& group, Strategy strategy, std::vector<std::int32_t>* pAssignment = nullptr)
{
    CAutoSwapD pairing(group.items, group.items);
    std::int64_t total = 0;
    switch (strategy) {
    case Strategy::Run: total = pairing.Run(); break;
    case Strategy::Search: total = pairing.RunSearch(); break;
    case Strategy::Assignment: total = pairing.RunAssignment(); break;
    }
    if (pAssignment != nullptr)
        for (std::int32_t k = 0; k < pairing.GetColCount(); ++k)
            pAssignment->push_back(pairing.GetAssignedRow(k));
    return total;
}

void BM_Pairing(benchmark::State& state, Strategy strategy)
{
    const int nPins = static_cast<int>(state.range(0));
    const ConnectorGroup group = MakeGroup(nPins);
    const std::uint64_t nStart = LQGetDistanceCallCount();
    std::int64_t total = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(total = RunOnce(group, strategy));
    state.counters["distance_calls"] =
        static_cast<double>(LQGetDistanceCallCount() - nStart) / static_cast<double>(state.iterations());
    state.counters["total_mm"] = static_cast<double>(total) / 1e6;
    // Where the literal search is affordable, the pairing must be the very one it finds.
    if (nPins <= 10 && strategy != Strategy::Search) {
        std::vector<std::int32_t> mine, literal;
        const bool bSame = RunOnce(group, strategy, &mine) == RunOnce(group, Strategy::Search, &literal) && mine == literal;
        state.counters["same_as_search"] = bSame ? 1 : 0;
    }
}
}  // namespace

BENCHMARK_CAPTURE(BM_Pairing, Run, Strategy::Run)->Arg(2)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pairing, RunSearch, Strategy::Search)->DenseRange(2, 10, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pairing, RunAssignment, Strategy::Assignment)->DenseRange(2, 10, 1)->Unit(benchmark::kMicrosecond);
