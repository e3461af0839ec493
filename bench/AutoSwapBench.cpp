// The board-wide automatic pin and gate swap on generated quad-gate boards, with the module's
// engine and with the reference engine; one full airwire computation of the same boards as a
// yardstick, and the count of their crossings; one move with swap while moving on a large board.
// Also the program's main.
#include <benchmark/benchmark.h>

#include "app/metrics/Airwires.h"
#include "app/metrics/Crossings.h"
#include "bench/BoardGenerator.h"
#include "bench/HeapCounter.h"
#include "host/DrawContext.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "module/autoswap/reference/ReferenceEngine.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/swap/DistanceCounter.h"

namespace {
constexpr std::uint32_t kSeed = 7400;

// How far a placed board's inputs reach for their outputs, in packages along each axis.
constexpr int kPlacedReach = 3;

void RunAutoSwap(benchmark::State& state, bool bReference, int nReach = 0)
{
    const int nPackages = static_cast<int>(state.range(0));
    LQUseReferenceEngine(bReference);
    std::uint64_t nCalls = 0;
    double dBoardMb = 0, dPeakMb = 0;
    lqbench::BoardFigures before, after;
    for (auto _ : state) {
        state.PauseTiming();
        const std::size_t nBase = lqbench::HeapInUse();
        std::unique_ptr<CLayoutSubSheet> pSheet = lqbench::MakeQuadGateBoard(nPackages, kSeed, nReach);
        auto* pLayout = static_cast<CLayoutSubSheet*>(pSheet.get());
        before = lqbench::MeasureBoard(pLayout);
        dBoardMb = static_cast<double>(lqbench::HeapInUse() - nBase) / 1e6;
        LQSetDrwSubSheet(pSheet.get());
        const std::uint64_t nStart = LQGetDistanceCallCount();
        lqbench::ResetHeapPeak();
        state.ResumeTiming();

        GetPlugInInterface()->RunAutoSwap();

        state.PauseTiming();
        dPeakMb = static_cast<double>(lqbench::HeapPeak() - nBase) / 1e6;
        nCalls += LQGetDistanceCallCount() - nStart;
        after = lqbench::MeasureBoard(pLayout);
        // The posted netlist change drops the sheet's gate store before the sheet goes.
        AfxPumpEvents();
        LQCloseSubSheet(std::move(pSheet));
        state.ResumeTiming();
    }
    LQUseReferenceEngine(false);
    state.counters["gates"] = 4.0 * nPackages;
    state.counters["distance_calls"] = static_cast<double>(nCalls) / static_cast<double>(state.iterations());
    state.counters["board_MB"] = dBoardMb;
    state.counters["peak_MB"] = dPeakMb;
    state.counters["peak_per_board"] = dBoardMb > 0 ? dPeakMb / dBoardMb : 0;
    state.counters["wire_before_m"] = before.dWireMm / 1000.0;
    state.counters["wire_after_m"] = after.dWireMm / 1000.0;
    state.counters["connected_pins_delta"] = after.nConnectedPins - before.nConnectedPins;
    state.counters["result_hash"] = after.nHash;
}

void BM_RunAutoSwap(benchmark::State& state) { RunAutoSwap(state, false); }
void BM_RunAutoSwapReference(benchmark::State& state) { RunAutoSwap(state, true); }
void BM_RunAutoSwapPlaced(benchmark::State& state) { RunAutoSwap(state, false, kPlacedReach); }
void BM_RunAutoSwapPlacedReference(benchmark::State& state) { RunAutoSwap(state, true, kPlacedReach); }

// The places of a net's layout pins, into points.
void NetPoints(const CNet& net, std::vector<lq::Point>& points)
{
    points.clear();
    for (CNetPin* pNetPin : net.GetNetPins())
        if (const auto* pPin = DYNAMIC_DOWNCAST(CLayoutPin, pNetPin->GetDrawObject()))
            points.push_back(lq::Point{pPin->GetLocation().x, pPin->GetLocation().y});
}

// Every net's exact minimum spanning tree and airwire lengths, as lqhost's reports compute them.
void BM_Airwires(benchmark::State& state)
{
    std::unique_ptr<CLayoutSubSheet> pSheet = lqbench::MakeQuadGateBoard(static_cast<int>(state.range(0)), kSeed);
    std::uint64_t total = 0;
    for (auto _ : state) {
        total = 0;
        std::vector<lq::Point> points;
        for (const auto& pNet : pSheet->GetNetlist()->GetNets()) {
            NetPoints(*pNet, points);
            for (const auto& [a, b] : lq::MinimumSpanningTree(points)) {
                const auto dx = static_cast<__int128>(points[a].x) - points[b].x;
                const auto dy = static_cast<__int128>(points[a].y) - points[b].y;
                total += lq::IntegerSqrt(static_cast<unsigned __int128>(dx * dx + dy * dy));
            }
        }
        benchmark::DoNotOptimize(total);
    }
    state.counters["length_m"] = static_cast<double>(total) / 1e9;
}

// Counting the crossings among the airwires of the board as lqhost's reports do; the airwires are
// built once, as BM_Airwires builds them.
void BM_Crossings(benchmark::State& state)
{
    std::unique_ptr<CLayoutSubSheet> pSheet = lqbench::MakeQuadGateBoard(static_cast<int>(state.range(0)), kSeed);
    std::vector<lq::Airwire> airwires;
    std::vector<lq::Point> points;
    std::size_t nNet = 0;
    for (const auto& pNet : pSheet->GetNetlist()->GetNets()) {
        NetPoints(*pNet, points);
        for (const auto& [a, b] : lq::MinimumSpanningTree(points))
            airwires.push_back(lq::Airwire{nNet, points[a], points[b], 0});
        ++nNet;
    }
    std::uint64_t crossings = 0;
    for (auto _ : state) {
        crossings = lq::CountCrossings(airwires);
        benchmark::DoNotOptimize(crossings);
    }
    state.counters["airwires"] = static_cast<double>(airwires.size());
    state.counters["crossings"] = static_cast<double>(crossings);
}

// One package moved on a board with swap while moving on (pins and gates): the host's move, the
// module's answer at its start and end, and the host's loop delivering the netlist change, which
// drops the gate store, so that every move builds the store and regroups again.
void BM_MoveSwap(benchmark::State& state)
{
    std::unique_ptr<CLayoutSubSheet> pSheet = lqbench::MakeQuadGateBoard(static_cast<int>(state.range(0)), kSeed);
    auto* pLayout = static_cast<CLayoutSubSheet*>(pSheet.get());
    LQSetDrwSubSheet(pSheet.get());
    pLayout->GetMoveSwapState() = CMoveSwapState{3, true, 1};
    std::vector<CDrawObject*> objects;
    pLayout->GetDrawingStore()->GetObjectList(objects, 0x1FF, 0, 0);
    std::vector<CLayoutComponent*> parts;
    for (CDrawObject* pObject : objects)
        if (auto* pPart = DYNAMIC_DOWNCAST(CLayoutComponent, pObject))
            parts.push_back(pPart);
    std::size_t nMove = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CLayoutComponent* pPart = parts[(nMove++ * 7919) % parts.size()];
        pPart->SetSelected(true, true);
        const int step = nMove % 2 == 0 ? lqbench::kPinPitch : -lqbench::kPinPitch;
        state.ResumeTiming();

        LQMoveSelection(step, step);
        AfxPumpEvents();

        state.PauseTiming();
        pPart->SetSelected(false, true);
        state.ResumeTiming();
    }
    AfxPumpEvents();
    LQCloseSubSheet(std::move(pSheet));
}
}  // namespace

BENCHMARK(BM_RunAutoSwap)->Arg(100)->Arg(200)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunAutoSwapReference)->Arg(100)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunAutoSwapPlaced)->Arg(100)->Arg(200)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunAutoSwapPlacedReference)->Arg(100)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Airwires)->Arg(100)->Arg(200)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crossings)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveSwap)->Arg(1000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    static int anchor = 0;
    HINSTANCE hInstance = reinterpret_cast<HINSTANCE>(&anchor);
    if (DllMain(hInstance, DLL_PROCESS_ATTACH, nullptr) != 1)
        return 1;
    CDrawContext dc;
    LQSetDrawContext(&dc);
    InitDll();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    ExitDll();
    AfxPumpEvents();
    LQSetDrawContext(nullptr);
    DllMain(hInstance, DLL_PROCESS_DETACH, nullptr);
    return 0;
}
