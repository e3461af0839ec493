// Writing a KiCad project back: each kind of exchange, in KiCad 6 and KiCad 10 files, lands in
// the board's pad nets and the schematic's instance data and labels, and nothing else changes.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "app/formats/kicad/KicadWriter.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/app/kicad/KicadFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqkicad;
using lqeagle::Exchange;
using lqeagle::LineDiff;
using lqeagle::Move;
using lqeagle::WithMoves;

namespace {

struct Scenario {
    const char* name;
    std::vector<Move> moves;
    std::size_t gateExchanges;
    std::size_t pinExchanges;
    std::map<std::string, std::string> shows;   // symbol uuid suffix -> "ref unit" after
    std::map<std::string, std::string> labels;  // "x,y" -> text after
    std::size_t boardLines;                     // board lines changed (removed and added)
};

// Which reference and unit each placed symbol shows, and each label's text, read back.
std::map<std::string, std::string> Shows(const kicad::KicadDesign& d)
{
    std::map<std::string, std::string> out;
    for (const kicad::SymbolUse& use : d.project->uses)
        out[d.project->Symbol(use).uuid.substr(33)] = use.ref + " " + std::to_string(use.unit);
    return out;
}

std::map<std::string, std::string> Labels(const kicad::KicadDesign& d)
{
    std::map<std::string, std::string> out;
    for (const kicad::Label& l : d.project->files[0]->labels)
        out[kicad::FormatMillimetres(l.at.x) + "," + kicad::FormatMillimetres(l.at.y)] = l.text;
    return out;
}

Project Written(const kicad::KicadOutput& out) { return Project{out.board, out.schematics.at(0).second}; }

class KicadWriteBack : public ::testing::TestWithParam<std::tuple<Style, int>> {};

}  // namespace

TEST_P(KicadWriteBack, EachExchangeLandsInPadNetsInstanceDataAndLabels)
{
    const Style style = std::get<0>(GetParam());
    const Project project = MakeProject(style);
    const auto imported = Import(project);
    const Board& b = imported.board;
    const Scenario scenarios[] = {
        {"pins of one gate", Exchange("U1", {"1"}, "U1", {"2"}, b), 0, 2, {}, {{"43.18,48.26", "B1"}, {"43.18,53.34", "A1"}}, 4},
        {"gates of one part", Exchange("U1", {"1", "2", "3"}, "U1", {"4", "5", "6"}, b), 2, 0, {{"101", "U1 2"}, {"102", "U1 1"}}, {}, 12},
        {"gates of two parts", Exchange("U1", {"4", "5", "6"}, "U2", {"1", "2", "3"}, b), 2, 0,
         {{"102", "U2 1"}, {"201", "U1 2"}}, {}, 14},
        {"a gate onto a unit not placed", Exchange("U1", {"1", "2", "3"}, "U1", {"9", "10", "8"}, b), 2, 0, {{"101", "U1 3"}}, {}, 9},
    };
    const Scenario& s = scenarios[std::get<1>(GetParam())];
    SCOPED_TRACE(s.name);
    const Board after = WithMoves(b, s.moves);
    const kicad::KicadOutput out = kicad::WriteKicad(*imported.design, b, after);
    EXPECT_EQ(out.exchanges.gates.size(), s.gateExchanges);
    EXPECT_EQ(out.exchanges.pins.size(), s.pinExchanges);

    const auto again = Import(Written(out));
    std::map<std::string, std::string> shows = Shows(*imported.design), labels = Labels(*imported.design);
    for (const auto& [k, v] : s.shows)
        shows[k] = v;
    for (const auto& [k, v] : s.labels)
        labels[k] = v;
    EXPECT_EQ(Shows(*again.design), shows);
    EXPECT_EQ(Labels(*again.design), labels);
    EXPECT_EQ(LineDiff(project.board, out.board).size(), s.boardLines) << fmt::format("{}", fmt::join(LineDiff(project.board, out.board), "\n"));
    if (style == Style::Kicad6) {  // KiCad 6's own pcbnew loads the written board with the same pads
        lqe2e::TempDir dir;
        lqe2e::WriteFile(dir / "fix.kicad_pcb", out.board);
        EXPECT_EQ(PcbnewPads(dir / "fix.kicad_pcb"), LqhostPads(again.design->board));
    }
    // Schematic lines: each placed unit that changed part or unit has its instance data and own
    // fields rewritten, each moved label its text; nothing else.
    for (const std::string& line : LineDiff(project.schematic, out.schematics[0].second))
        EXPECT_TRUE(line.find("(unit ") != std::string::npos || line.find("(reference ") != std::string::npos ||
                    line.find("(label ") != std::string::npos || line.find("\"Reference\"") != std::string::npos)
            << line;
}

INSTANTIATE_TEST_SUITE_P(Table, KicadWriteBack,
                         ::testing::Combine(::testing::Values(Style::Kicad6, Style::Kicad10), ::testing::Range(0, 4)),
                         [](const auto& info) {
                             return ::testing::PrintToString(std::get<0>(info.param)) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(KicadWriteBack, NothingChangedIsEveryByteAndUnroutedDropsTheCopperOfChangedNetsOnly)
{
    for (const Style style : {Style::Kicad6, Style::Kicad10}) {
        const Project project = MakeProject(style);
        const auto imported = Import(project);
        const kicad::KicadOutput same = kicad::WriteKicad(*imported.design, imported.board, imported.board);
        EXPECT_EQ(same.board, project.board);
        EXPECT_EQ(same.schematics.at(0).second, project.schematic);

        // A footprint link that was wrong in the input (here U1's, to U2's unit A) is left as it was.
        Project wrong = project;
        wrong.board = lqeagle::Replace(wrong.board, "(path \"/00000000-0000-0000-0000-000000000101\")",
                                       "(path \"/00000000-0000-0000-0000-000000000201\")");
        const auto linked = Import(wrong);
        EXPECT_EQ(kicad::WriteKicad(*linked.design, linked.board, linked.board).board, wrong.board);

        const auto unrouted = Import(project, true);
        // A1 (with a track and a via) and B1 change; the track and via go, nothing else.
        const Board after = WithMoves(unrouted.board, Exchange("U1", {"1"}, "U1", {"2"}, unrouted.board));
        const kicad::KicadOutput out = kicad::WriteKicad(*unrouted.design, unrouted.board, after);
        EXPECT_EQ(out.reroutedNets, 2u);
        const std::vector<std::string> diff = LineDiff(project.board, out.board);
        EXPECT_EQ(std::count_if(diff.begin(), diff.end(), [](const std::string& l) { return l.starts_with("-  (segment") || l.starts_with("-  (via"); }), 2);
        EXPECT_EQ(diff.size(), 6u) << fmt::format("{}", fmt::join(diff, "\n"));
        if (style == Style::Kicad6) {
            lqe2e::TempDir dir;
            lqe2e::WriteFile(dir / "fix.kicad_pcb", out.board);
            EXPECT_EQ(PcbnewPads(dir / "fix.kicad_pcb"), LqhostPads(Import(Written(out), true).design->board));
        }
    }
}

TEST(KicadWriteBack, AChangeNoKicadExchangeGivesIsRefusedNamingTheGate)
{
    const auto imported = Import(MakeProject(Style::Kicad6));
    // An input and the output of one NAND exchanged: they are in different pin groups.
    const Board after = WithMoves(imported.board, Exchange("U1", {"1"}, "U1", {"3"}, imported.board));
    EXPECT_EQ(lqe2e::ErrorText<JobError>([&] { kicad::WriteKicad(*imported.design, imported.board, after); }),
              "fix.kicad_pcb: the nets of gate U1.A changed in a way no KiCad gate or pin exchange gives; nothing was written");
}
