// lqhost's refinement stage, timed alone (manual time: the plug-in's pass before it is not
// counted): the shared real boards routed and unrouted, the medium example, and generated
// quad-gate boards of growing size refined without the pass. The plug-in is loaded as lqhost
// loads it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/formats/BoardFiles.h"
#include "app/session/AutoSwapRun.h"
#include "app/session/PlugInSession.h"
#include "bench/BoardGenerator.h"
#include "bench/SheetBoard.h"

namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t kSeed = 7400;

lq::PlugInSession& Session()
{
    static lq::PlugInSession session(lq::DefaultModulePath());
    return session;
}

void Refine(benchmark::State& state, const lq::Board& board, bool pass, std::optional<double> effort)
{
    lq::AutoSwapOptions options;
    options.refine = lq::RefineOptions{true, !pass, effort};
    for (auto _ : state) {
        const lq::AutoSwapOutcome outcome = lq::RunAutoSwap(Session(), board, "bench", options);
        const lq::RefineRun& r = *outcome.run.refine;
        state.SetIterationTime(r.seconds);
        std::size_t pins = 0;
        for (const lq::Part& part : board.parts)
            pins += part.pins.size();
        state.counters["pins"] = static_cast<double>(pins);
        state.counters["before_mm"] = static_cast<double>(outcome.run.before.length) / 1e6;
        state.counters["pass_mm"] = static_cast<double>(r.afterPass.length) / 1e6;
        state.counters["refined_mm"] = static_cast<double>(outcome.run.after.length) / 1e6;
        state.counters["pin_exchanges"] = static_cast<double>(r.pinExchanges);
        state.counters["gate_exchanges"] = static_cast<double>(r.gateExchanges);
    }
}

void AddBoard(const std::string& name, const std::string& path, bool unrouted, std::optional<double> effort = {})
{
    std::shared_ptr<lq::Board> board;
    try {
        board = std::make_shared<lq::Board>(lq::LoadBoard(path, lq::BoardReadOptions{"", unrouted}).board);
    } catch (const std::exception&) {
        return;  // a format this build does not read
    }
    benchmark::RegisterBenchmark(("BM_Refine/" + name).c_str(),
                                 [board, effort](benchmark::State& s) { Refine(s, *board, true, effort); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void AddSharedBoards()
{
    const fs::path shared = fs::path(QUILLON_SHARED_DIR) / "boards";
    std::vector<fs::path> boards;
    for (const char* kind : {"eagle", "kicad"})
        if (fs::is_directory(shared / kind))
            for (const auto& entry : fs::recursive_directory_iterator(shared / kind))
                if (entry.path().extension() == ".brd" || entry.path().extension() == ".kicad_pcb")
                    boards.push_back(entry.path());
    std::sort(boards.begin(), boards.end());
    for (const fs::path& b : boards) {
        AddBoard(b.stem().string(), b.string(), false);
        AddBoard(b.stem().string() + "/unrouted", b.string(), true);
    }
}

void AddQuadBoards()
{
    for (int n : {125, 250, 500, 1000}) {
        auto sheet = lqbench::MakeQuadGateBoard(n, kSeed);
        auto board = std::make_shared<lq::Board>(lqbench::BoardFromSheet(sheet.get()));
        benchmark::RegisterBenchmark(("BM_RefineQuads/" + std::to_string(n)).c_str(),
                                     [board](benchmark::State& s) { Refine(s, *board, false, std::nullopt); })
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        // After the plug-in's pass, as lqhost autoswap --refine runs; the pass itself is not timed.
        benchmark::RegisterBenchmark(("BM_RefineQuadsAfterPass/" + std::to_string(n)).c_str(),
                                     [board](benchmark::State& s) { Refine(s, *board, true, std::nullopt); })
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    AddSharedBoards();
    const std::string medium = std::string(QUILLON_EXAMPLES_DIR) + "/medium.qbrd.json";
    AddBoard("medium", medium, false);
    AddBoard("medium/effort10", medium, false, 10.0);
    AddQuadBoards();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
