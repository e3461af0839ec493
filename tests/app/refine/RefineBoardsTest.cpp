// What refinement promises, on every shared real board (routed and unrouted) and the examples,
// through the plug-in loaded as lqhost loads it: never longer than the plug-in's pass; at the end
// no single exchange the plug-in allows (pins, or gates with their best pairing) shortens the
// airwires, measured here independently of the refinement's own measures; refining a refined board
// moves nothing; the same input gives the same bytes; and the result is a permutation of
// connections within what the plug-in allows (the checks of the automatic swap's own test).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "app/formats/BoardFiles.h"
#include "app/formats/BoardJson.h"
#include "app/formats/eagle/EagleCopper.h"
#include "app/formats/eagle/EagleDesign.h"
#include "app/metrics/Airwires.h"
#include "app/refine/PlugInItems.h"
#include "app/refine/SwapSpace.h"
#include "app/session/AutoSwapRun.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/HostApp.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
namespace fs = std::filesystem;

namespace {

struct Case {
    std::string name;
    std::string path;
    bool unrouted = false;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::vector<Case> Cases()
{
    std::vector<Case> cases{{"sample", std::string(QUILLON_EXAMPLES_DIR) + "/sample.qbrd.json"},
                            {"medium", std::string(QUILLON_EXAMPLES_DIR) + "/medium.qbrd.json"}};
    for (const fs::path b : lqe2e::SharedBoardFiles()) {
        try {
            LoadBoard(b.string(), BoardReadOptions{});
        } catch (const std::exception&) {
            continue;  // a format this build does not read yet
        }
        std::string name = b.stem().string();
        std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        cases.push_back({name, b.string(), false});
        cases.push_back({name + "_unrouted", b.string(), true});
    }
    return cases;
}

const PlugInSession& Session()
{
    static PlugInSession session(DefaultModulePath());
    return session;
}

AutoSwapOutcome Swap(const Board& board, bool pass, bool refine)
{
    AutoSwapOptions options;
    options.refine = RefineOptions{refine, !pass, std::nullopt};
    return RunAutoSwap(Session(), board, "board", options);
}

// The reported length of the nets that a set of pins touches, with the pins on the given nets.
class NetLengths {
public:
    explicit NetLengths(const Board& board) : m_pins(board), m_members(board.nets.size())
    {
        const BoardIndex index(board);
        for (const PinIndex& p : m_pins.index) {
            m_at.push_back(AbsolutePin(board.parts[p.part], board.parts[p.part].pins[p.pin]));
            const auto net = index.NetOfPin(p);
            m_net.push_back(net ? static_cast<int>(*net) : -1);
            if (net)
                m_members[*net].push_back(static_cast<int>(m_net.size() - 1));
        }
    }
    const BoardPins& Pins() const { return m_pins; }
    int NetOf(int pin) const { return m_net[static_cast<std::size_t>(pin)]; }

    // Change of the total length if each pin moved to its net.
    std::int64_t Change(const std::map<int, int>& moves) const
    {
        std::map<int, std::vector<int>> before, after;
        for (const auto& [pin, net] : moves)
            for (int n : {net, NetOf(pin)})
                if (n >= 0 && !before.count(n))
                    before[n] = after[n] = m_members[static_cast<std::size_t>(n)];
        for (const auto& [pin, net] : moves) {
            if (NetOf(pin) >= 0) {
                auto& from = after[NetOf(pin)];
                from.erase(std::find(from.begin(), from.end(), pin));
            }
            if (net >= 0)
                after[net].push_back(pin);
        }
        return Total(after) - Total(before);
    }

private:
    std::int64_t Total(const std::map<int, std::vector<int>>& nets) const
    {
        std::int64_t total = 0;
        for (const auto& [net, pins] : nets) {
            std::vector<Point> points;
            for (int p : pins)
                points.push_back(m_at[static_cast<std::size_t>(p)]);
            for (const auto& [a, b] : MinimumSpanningTree(points))
                total += static_cast<std::int64_t>(IntegerSqrt(SquaredDistance(points[a], points[b])));
        }
        return total;
    }
    BoardPins m_pins;
    std::vector<Point> m_at;
    std::vector<int> m_net;
    std::vector<std::vector<int>> m_members;  // per net
};

// An exchange the plug-in allows that would shorten the board, in words; empty when none does.
std::string ShorteningExchange(const Board& board)
{
    HostSheet sheet(board, "refined");
    sheet.MakeCurrent();
    PlugInItems items(Session());
    SwapSpace space(Session(), sheet, board, items);
    const NetLengths lengths(board);
    std::string found;
    for (const PinGroup& group : space.PinGroups())
        for (std::size_t i = 0; i < group.pins.size() && found.empty(); ++i)
            for (std::size_t j = i + 1; j < group.pins.size() && found.empty(); ++j) {
                const int p = group.pins[i], q = group.pins[j];
                if (lengths.NetOf(p) != lengths.NetOf(q) &&
                    lengths.Change({{p, lengths.NetOf(q)}, {q, lengths.NetOf(p)}}) < 0 && space.ConfirmPins(p, q))
                    found = "pins " + std::to_string(p) + " and " + std::to_string(q);
            }
    for (const std::vector<int>& group : space.GateGroups())
        for (std::size_t i = 0; i < group.size() && found.empty(); ++i)
            for (std::size_t j = i + 1; j < group.size() && found.empty(); ++j) {
                const GateEntry &a = space.Gates()[static_cast<std::size_t>(group[i])],
                                &b = space.Gates()[static_cast<std::size_t>(group[j])];
                // Every pairing: each group's pins on the other's group's nets, in every order.
                std::vector<std::pair<std::vector<int>, std::vector<int>>> factors;  // pins, nets
                for (const auto& [g, h] : space.Pairing(group[i], group[j]))
                    for (int side = 0; side < 2; ++side) {
                        const auto& pins = (side == 0 ? a.groups[static_cast<std::size_t>(g)] : b.groups[static_cast<std::size_t>(h)]);
                        const auto& from = (side == 0 ? b.groups[static_cast<std::size_t>(h)] : a.groups[static_cast<std::size_t>(g)]);
                        std::vector<int> nets;
                        for (int pin : from)
                            nets.push_back(lengths.NetOf(pin));
                        std::sort(nets.begin(), nets.end());
                        factors.emplace_back(pins, nets);
                    }
                std::int64_t best = 0;
                while (true) {
                    std::map<int, int> moves;
                    for (const auto& [pins, nets] : factors)
                        for (std::size_t k = 0; k < pins.size(); ++k)
                            moves[pins[k]] = nets[k];
                    best = std::min(best, lengths.Change(moves));
                    std::size_t f = 0;
                    while (f < factors.size() && !std::next_permutation(factors[f].second.begin(), factors[f].second.end()))
                        ++f;
                    if (f == factors.size())
                        break;
                }
                if (best < 0 && space.ConfirmGates(group[i], group[j]))
                    found = "gates " + std::to_string(group[i]) + " and " + std::to_string(group[j]);
            }
    LQSetDrwSubSheet(nullptr);
    return found;
}

std::vector<std::string> RoutedPins(const LoadedBoard& loaded, bool unrouted, const lqe2e::Json& json)
{
    if (!loaded.eagle)
        return lqe2e::RoutedPins(json);
    std::vector<std::string> routed;
    if (!unrouted)
        for (const PinIndex& p : eagle::PinsOnCopper(*loaded.eagle, loaded.board, BoardIndex(loaded.board)))
            routed.push_back(loaded.board.parts[p.part].ref + "." + PinName(loaded.board.parts[p.part].pins[p.pin]));
    return routed;
}

std::string Bytes(const Case& c, const Board& after)
{
    LoadedBoard loaded = LoadBoard(c.path, BoardReadOptions{"", c.unrouted});
    lqe2e::TempDir dir;
    std::string bytes;
    for (const auto& [path, content] : SaveBoard(loaded, after, dir / fs::path(c.path).filename().string()).files)
        bytes += content;
    return bytes;
}

class Refinement : public ::testing::TestWithParam<Case> {};

TEST_P(Refinement, KeepsEveryPromiseOnTheBoard)
{
    const Case& c = GetParam();
    const LoadedBoard loaded = LoadBoard(c.path, BoardReadOptions{"", c.unrouted});
    const AutoSwapOutcome refined = Swap(loaded.board, true, true);
    ASSERT_TRUE(refined.run.refine);
    const AutoSwapOutcome pass = Swap(loaded.board, true, false);
    EXPECT_EQ(refined.run.refine->afterPass.length, pass.run.after.length);
    EXPECT_LE(refined.run.after.length, pass.run.after.length);

    EXPECT_EQ(ShorteningExchange(refined.after), "");
    EXPECT_TRUE(Swap(refined.after, false, true).run.changes.empty()) << "--refine-only moved pins of a refined board";
    // The pass repeats, so refining its result again must give the same bytes.
    EXPECT_EQ(Bytes(c, Swap(pass.after, false, true).after), Bytes(c, refined.after));

    const lqe2e::Json before = lqe2e::Json::parse(WriteBoardJson(loaded.board));
    const lqe2e::Json after = lqe2e::Json::parse(WriteBoardJson(refined.after));
    EXPECT_EQ(lqe2e::IllegalMoves(before, after, RoutedPins(loaded, c.unrouted, before)), "");
    std::cout << "[ " << c.name << " ] before " << refined.run.before.length << " pass " << pass.run.after.length
              << " refined " << refined.run.after.length << " nm, " << refined.run.refine->seconds << " s\n";
}

INSTANTIATE_TEST_SUITE_P(Boards, Refinement, ::testing::ValuesIn(Cases()), ::testing::PrintToStringParamName());

}  // namespace

namespace {

TEST(RefinementEffort, RepeatsEndsLocallyOptimalAndKeepsTheBest)
{
    // The sample taken apart by the pass (its gates swap across packages), refined alone.
    const Case sample{"sample", std::string(QUILLON_EXAMPLES_DIR) + "/sample.qbrd.json"};
    const Board board = LoadBoard(sample.path, BoardReadOptions{}).board;
    AutoSwapOptions options;
    options.refine = RefineOptions{true, true, 0.05};
    const AutoSwapOutcome first = RunAutoSwap(Session(), board, "sample", options);
    const AutoSwapOutcome second = RunAutoSwap(Session(), board, "sample", options);
    EXPECT_EQ(Bytes(sample, first.after), Bytes(sample, second.after));
    ASSERT_TRUE(first.run.refine);
    EXPECT_GT(first.run.refine->effortRounds, 0u);
    const std::uint64_t localOptimum = Swap(board, false, true).run.after.length;
    EXPECT_LE(first.run.after.length, localOptimum);
    EXPECT_EQ(localOptimum - first.run.after.length, first.run.refine->effortGain);
    EXPECT_EQ(ShorteningExchange(first.after), "");
}

TEST(RefinementEffort, ABoardWithNothingToMoveStillUsesUpItsBudget)
{
    // spu as routed: gates in groups, but every partner's pins routed, so no shake measures
    // anything; rounds must still cost work, or the search would never end.
    const std::string spu = std::string(QUILLON_SHARED_DIR) + "/boards/eagle/spu.brd";
    LQ_NEED_SHARED(spu);
    const Board board = LoadBoard(spu, BoardReadOptions{}).board;
    AutoSwapOptions options;
    options.refine = RefineOptions{true, true, 0.01};
    const AutoSwapOutcome outcome = RunAutoSwap(Session(), board, "spu", options);
    ASSERT_TRUE(outcome.run.refine);
    EXPECT_GT(outcome.run.refine->effortRounds, 0u);
    EXPECT_EQ(outcome.run.refine->effortGain, 0u);
    EXPECT_EQ(outcome.run.after.length, outcome.run.before.length);
}

}  // namespace
