// Inferring Eagle gate and pin exchanges from the nets the automatic pass left.
#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "app/formats/eagle/EagleExchanges.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqeagle;

namespace {

// Every pin of the placed NAND gates and of R1 on a net of its own, named after gate and pin:
// IC1 pads 1-3 on a1-a3, 4-6 on b1-b3; IC2 pads 1-3 on c1-c3, 4-6 on d1-d3; R1 on r1, r2.
std::vector<SignalSpec> OneNetPerPin()
{
    std::vector<SignalSpec> s;
    const char* names[] = {"a", "b", "c", "d"};
    for (int g = 0; g < 4; ++g)
        for (int k = 1; k <= 3; ++k)
            s.push_back({names[g] + std::to_string(k), {{g < 2 ? "IC1" : "IC2", std::to_string((g % 2) * 3 + k)}}, ""});
    s.push_back({"r1", {{"R1", "1"}}, ""});
    s.push_back({"r2", {{"R1", "2"}}, ""});
    s.push_back({"VCC", {{"IC1", "14"}, {"IC2", "14"}}, ""});
    return s;
}

std::string GateName(const EagleImport& imported, std::size_t g)
{
    const eagle::GateLink& gate = imported.design->gates[g];
    return imported.board.parts[gate.part].ref + "." + gate.name;
}

// "IC2.B->IC1.A": the instance of IC2.B now stands for IC1.A; "IC1.A:A->B": a pin reference.
std::vector<std::string> Inferred(const EagleImport& imported, const std::vector<Move>& moves)
{
    const eagle::Exchanges x = eagle::InferExchanges(*imported.design, imported.board, WithMoves(imported.board, moves));
    std::vector<std::string> out;
    for (const eagle::GateExchange& e : x.gates)
        out.push_back(GateName(imported, e.from) + "->" + GateName(imported, e.to));
    for (const eagle::PinExchange& e : x.pins)
        out.push_back(GateName(imported, e.gate) + ":" + e.from + "->" + e.to);
    std::sort(out.begin(), out.end());
    return out;
}

std::string Refusal(const EagleImport& imported, const std::vector<Move>& moves)
{
    return lqe2e::ErrorText<JobError>([&] { Inferred(imported, moves); });
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(EagleExchanges, PinsAndGatesThatTookEachOthersNetsExchangeAlsoAcrossPartsAndInCycles)
{
    const EagleImport imported = Import(MakeDesign(OneNetPerPin()));
    EXPECT_EQ(Inferred(imported, {}), Strings{});
    EXPECT_EQ(Inferred(imported, {{"R1", "1", "r2"}, {"R1", "2", "r1"}}), (Strings{"R1.G$1:1->2", "R1.G$1:2->1"}));
    // IC1.A and IC2.B exchange their nets, with IC1.A's inputs crossed as well: a gate exchange, then a pin exchange in it.
    EXPECT_EQ(Inferred(imported, {{"IC1", "1", "d2"}, {"IC1", "2", "d1"}, {"IC1", "3", "d3"},
                                  {"IC2", "4", "a1"}, {"IC2", "5", "a2"}, {"IC2", "6", "a3"}}),
              (Strings{"IC1.A->IC2.B", "IC1.A:A->B", "IC1.A:B->A", "IC2.B->IC1.A"}));
    // IC1.A takes IC1.B's nets, IC1.B takes IC2.A's, IC2.A takes IC1.A's.
    EXPECT_EQ(Inferred(imported, {{"IC1", "1", "b1"}, {"IC1", "2", "b2"}, {"IC1", "3", "b3"},
                                  {"IC1", "4", "c1"}, {"IC1", "5", "c2"}, {"IC1", "6", "c3"},
                                  {"IC2", "1", "a1"}, {"IC2", "2", "a2"}, {"IC2", "3", "a3"}}),
              (Strings{"IC1.A->IC2.A", "IC1.B->IC1.A", "IC2.A->IC1.B"}));
    // A gate may move onto an unused gate whose pins were on no net.
    EXPECT_EQ(Inferred(imported, {{"IC1", "12", "a1"}, {"IC1", "13", "a2"}, {"IC1", "11", "a3"},
                                  {"IC1", "1", ""}, {"IC1", "2", ""}, {"IC1", "3", ""}}),
              (Strings{"IC1.A->IC1.D", "IC1.D->IC1.A"}));
}

TEST(EagleExchanges, ChangesNoEagleExchangeGivesAreRefusedBeforeAnythingIsWritten)
{
    const EagleImport imported = Import(MakeDesign(OneNetPerPin()));
    const std::string gate = "board.brd: the nets of gate {} changed in a way no Eagle gate or pin exchange gives; nothing was written";
    // An output and an input are of different swap levels.
    EXPECT_EQ(Refusal(imported, {{"IC1", "1", "a3"}, {"IC1", "3", "a1"}}), fmt::format(fmt::runtime(gate), "IC1.A"));
    // Power pins stay.
    EXPECT_EQ(Refusal(imported, {{"IC1", "14", "a1"}, {"IC1", "1", "VCC"}}), fmt::format(fmt::runtime(gate), "IC1.A"));
    // A resistor is no NAND gate.
    EXPECT_EQ(Refusal(imported, {{"IC1", "1", "r1"}, {"R1", "1", "a1"}}), fmt::format(fmt::runtime(gate), "IC1.A"));

    // Parts whose attributes differ do not exchange gates, as the plug-in would not.
    SmallDesign d = MakeDesign(OneNetPerPin());
    d.board = Replace(d.board, "value=\"7400N\" x=\"40\"", "value=\"74HC00N\" x=\"40\"");
    EXPECT_EQ(Refusal(Import(d), {{"IC1", "1", "d1"}, {"IC1", "2", "d2"}, {"IC1", "3", "d3"},
                                  {"IC2", "4", "a1"}, {"IC2", "5", "a2"}, {"IC2", "6", "a3"}}),
              fmt::format(fmt::runtime(gate), "IC1.A"));

    SmallDesign e = MakeDesign(OneNetPerPin());
    e.schematic = Replace(e.schematic, "<connect gate=\"G$1\" pin=\"2\" pad=\"2\"/>\n", "");
    EXPECT_EQ(Refusal(Import(e), {{"R1", "2", "r1"}}),
              "board.brd: pad R1.2 moved from signal \"r2\" to \"r1\", but no gate pin of the schematic stands for it; "
              "nothing was written");
}
