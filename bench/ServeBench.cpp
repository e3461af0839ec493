// The page host's side of a click on the largest shared board (Eagle spu): the mouse events to
// the plug-in's tool, the tool's overlay painted through the host's draw context, and the state
// the page shows built as JSON; and the opening of the board for the page. A swap and its undo
// also on a generated board of 1000 quad gate packages, where what the host redoes for the whole
// board after each change shows. The browser's side is measured by bench/page_latency.py. The
// board is bench/README.md's; QUILLON_SHARED_DIR names the shared folder.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/probe/BoardProbe.h"
#include "app/serve/PageJson.h"
#include "app/serve/PageSession.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "app/session/ToolIds.h"
#include "bench/BoardGenerator.h"
#include "bench/SheetBoard.h"
#include "host/SubSheet.h"

namespace lq {
namespace {

std::string SpuPath()
{
    const char* shared = std::getenv("QUILLON_SHARED_DIR");
    return std::string(shared != nullptr ? shared : QUILLON_SHARED_DEFAULT) + "/boards/eagle/spu.brd";
}

PlugInSession& ThePlugIn()
{
    static PlugInSession plugIn{DefaultModulePath()};
    return plugIn;
}

LoadedBoard GeneratedBoard()
{
    const std::unique_ptr<CLayoutSubSheet> sheet = lqbench::MakeQuadGateBoard(1000, 1);
    LoadedBoard loaded;
    loaded.board = lqbench::BoardFromSheet(sheet.get());
    return loaded;
}

// The plug-in, the board, and where a person would click: a pin with candidates and one of
// them, a gate with candidates and one of them, as the plug-in's own tools show them.
struct Bench {
    PlugInSession& plugIn = ThePlugIn();
    LoadedBoard loaded;
    std::string name;
    CLQPoint pin, pinPartner, gate, gatePartner;

    // With the pins to swap given, the tools are not asked: asking them about every pin and gate
    // of a large board takes minutes.
    Bench(LoadedBoard board, std::string boardName, std::optional<std::pair<PinIndex, PinIndex>> swapPins = {})
        : loaded(std::move(board)), name(std::move(boardName))
    {
        HostSheet sheet(loaded.board, name);
        const auto at = [&](const PinIndex& p) { return sheet.PinObject(p)->GetPadRect().CenterPoint(); };
        if (swapPins) {
            pin = at(swapPins->first), pinPartner = at(swapPins->second);
            return;
        }
        const BoardProbe probe = ProbeBoard(plugIn, sheet);
        for (const ProbedPin& p : probe.pins)
            if (p.answer == ProbedPin::Answer::Picked && !p.candidates.empty()) {
                pin = at(p.pin), pinPartner = at(p.candidates.front());
                break;
            }
        for (const ProbedGate& g : probe.gates)
            if (!g.hiddenBy && !g.candidates.empty() && !probe.gates[g.candidates.front()].hiddenBy) {
                gate = g.centre, gatePartner = probe.gates[g.candidates.front()].centre;
                break;
            }
    }
};

Bench& Shared()
{
    static Bench bench(LoadBoard(SpuPath(), BoardReadOptions{}), "spu.brd");
    return bench;
}

Bench& Generated()
{
    // The two inputs of the first package's first gate.
    static Bench bench(GeneratedBoard(), "quad1000", std::make_pair(PinIndex{0, 0}, PinIndex{0, 1}));
    return bench;
}

std::vector<MouseEvent> Click(const CLQPoint& at) { return {{MouseKind::Down, at}, {MouseKind::Up, at}}; }

constexpr std::int64_t kZoom = 25000;  // nm per pixel: spu fits a 1100-pixel view

std::unique_ptr<PageSession> OpenSession(Bench& bench)
{
    auto session = std::make_unique<PageSession>(bench.plugIn);
    session->Open(bench.loaded, bench.name, {});
    session->SetZoom(kZoom);
    return session;
}

// One click: the tool's events, its overlay and the page's state. Picking and dropping the same
// pin (gate) again alternate, so that every iteration is a click that changes what is painted.
void ClickLoop(benchmark::State& state, std::uint32_t tool, CLQPoint Bench::*where)
{
    Bench& bench = Shared();
    auto session = OpenSession(bench);
    session->UseTool(tool);
    std::size_t bytes = 0;
    for (auto _ : state) {
        session->Mouse(Click(bench.*where));
        const std::string json = PageStateJson(*session);
        bytes = json.size();
        benchmark::DoNotOptimize(json.data());
    }
    state.counters["state_kB"] = static_cast<double>(bytes) / 1000.0;
    state.counters["changes"] = static_cast<double>(session->Changes().size());
}

void BM_PageClickPin(benchmark::State& state) { ClickLoop(state, kSwapPinToolUIID, &Bench::pin); }
void BM_PageClickGate(benchmark::State& state) { ClickLoop(state, kSwapGateToolUIID, &Bench::gate); }

// A swap by hand and its undo: four clicks' worth of work, two of them changing the board.
void SwapAndUndo(benchmark::State& state, Bench& bench)
{
    auto session = OpenSession(bench);
    session->UseTool(kSwapPinToolUIID);
    for (auto _ : state) {
        session->Mouse(Click(bench.pin));
        benchmark::DoNotOptimize(PageStateJson(*session).size());
        session->Mouse(Click(bench.pinPartner));
        benchmark::DoNotOptimize(PageStateJson(*session).size());
        if (session->Changes().empty())
            throw std::runtime_error("the second click swapped nothing");
        session->Undo();
        benchmark::DoNotOptimize(PageStateJson(*session).size());
    }
}

void BM_PageSwapAndUndo(benchmark::State& state) { SwapAndUndo(state, Shared()); }
void BM_PageSwapAndUndoQuad1000(benchmark::State& state) { SwapAndUndo(state, Generated()); }

// What opening the board for the page costs the host: reading the Eagle pair, the sheet, the
// airwires, and the page's two first answers (geometry and state).
void BM_PageOpen(benchmark::State& state)
{
    Bench& bench = Shared();
    for (auto _ : state) {
        PageSession session(bench.plugIn);
        session.Open(LoadBoard(SpuPath(), BoardReadOptions{}), "spu.brd", {});
        benchmark::DoNotOptimize(BoardGeometryJson(session).size());
        benchmark::DoNotOptimize(PageStateJson(session).size());
    }
}

BENCHMARK(BM_PageClickPin)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PageClickGate)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PageSwapAndUndo)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PageSwapAndUndoQuad1000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PageOpen)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace lq

BENCHMARK_MAIN();
