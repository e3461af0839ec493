// The board-wide automatic pin and gate swap on generated quad-gate boards, and the program's main.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>

#include "bench/BoardGenerator.h"
#include "host/DrawContext.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/swap/DistanceCounter.h"

namespace {
constexpr std::uint32_t kSeed = 7400;

// Lets the peak resident size of one benchmark be read apart from the ones before it.
void ResetPeakRss()
{
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_RunAutoSwap(benchmark::State& state)
{
    const int nPackages = static_cast<int>(state.range(0));
    ResetPeakRss();
    std::uint64_t nCalls = 0;
    double dBoardRss = 0;
    std::size_t nEdits = 0;
    lqbench::BoardFigures before, after;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<CDrwSubSheet> pSheet = lqbench::MakeQuadGateBoard(nPackages, kSeed);
        auto* pLayout = static_cast<CLayoutSubSheet*>(pSheet.get());
        before = lqbench::MeasureBoard(pLayout);
        dBoardRss = PeakRssMb();
        LQSetDrwSubSheet(pSheet.get());
        const std::uint64_t nStart = LQGetDistanceCallCount();
        state.ResumeTiming();

        GetPlugInInterface()->RunAutoSwap();

        state.PauseTiming();
        nCalls += LQGetDistanceCallCount() - nStart;
        after = lqbench::MeasureBoard(pLayout);
        nEdits = pLayout->GetNetlist()->GetEdits().size();
        // The posted netlist change drops the sheet's gate store before the sheet goes.
        AfxPumpEvents();
        LQCloseSubSheet(std::move(pSheet));
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["distance_calls"] = static_cast<double>(nCalls) / n;
    state.counters["peak_rss_MB"] = PeakRssMb();
    state.counters["board_rss_MB"] = dBoardRss;
    state.counters["gates"] = 4.0 * nPackages;
    state.counters["wire_before_m"] = before.dWireMm / 1000.0;
    state.counters["wire_after_m"] = after.dWireMm / 1000.0;
    state.counters["connected_pins_delta"] = after.nConnectedPins - before.nConnectedPins;
    state.counters["result_hash"] = after.nHash;
    // The host records every net-pin addition and removal; its record grows with the exchanges.
    state.counters["net_edits"] = static_cast<double>(nEdits);
}
}  // namespace

BENCHMARK(BM_RunAutoSwap)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
// One run each: 1000 packages may take far longer than a benchmark should; the middle sizes show the growth.
BENCHMARK(BM_RunAutoSwap)->Arg(200)->Arg(300)->Arg(500)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

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
