// Writing back after a run: only what the exchanges change is rewritten, the pair stays
// consistent, and every other byte is as it was read.
#include <gtest/gtest.h>

#include <map>

#include "app/formats/eagle/EagleConsistency.h"
#include "app/formats/eagle/EagleWriter.h"
#include "tests/app/eagle/EagleFixture.h"

using namespace lq;
using namespace lqeagle;

namespace {

using Lines = std::vector<std::string>;

// R1's pins exchange their nets; IC1.A (pads 1-3 on N1, N2, OUT) and IC2.B (pads 4-6: OUT, none, none) exchange theirs.
const std::vector<Move> kPinExchange{{"R1", "1", "N2"}, {"R1", "2", "N1"}};
const std::vector<Move> kGateExchange{{"IC1", "1", "OUT"}, {"IC1", "2", ""}, {"IC1", "3", ""},
                                      {"IC2", "4", "N1"},  {"IC2", "5", "N2"}, {"IC2", "6", "OUT"}};

struct Written {
    eagle::EagleOutput output;
    SmallDesign input;
};

Written WriteAfter(const SmallDesign& input, const std::vector<Move>& moves, bool unrouted = false)
{
    EagleImport imported = Import(input, unrouted);
    const Board after = WithMoves(imported.board, moves);
    return Written{eagle::WriteEagle(*imported.design, imported.board, after), input};
}

std::map<std::string, std::set<PinRef>> NetSets(const Board& board)
{
    std::map<std::string, std::set<PinRef>> out;
    for (const Net& net : board.nets)
        out[net.name].insert(net.pins.begin(), net.pins.end());
    return out;
}

// The written pair read again: consistent, and with the nets of the run.
void ExpectReadsBackAs(const Written& w, const std::vector<Move>& moves)
{
    const EagleImport again = Import(SmallDesign{w.output.board, w.output.schematic});
    EXPECT_EQ(eagle::ConsistencyProblems(*again.design), Lines{});
    EXPECT_EQ(NetSets(again.board), NetSets(WithMoves(Import(w.input).board, moves)));
}

}  // namespace

TEST(EagleWriteBack, APinExchangeRewritesTwoContactsTwoPinReferencesAndTheWireEndsOnThePins)
{
    const std::vector<Move>& moves = kPinExchange;
    const Written w = WriteAfter(MakeDesign(TypicalSignals()), moves);
    EXPECT_EQ(LineDiff(w.input.board, w.output.board),
              (Lines{"-<contactref element=\"R1\" pad=\"1\"/>", "+<contactref element=\"R1\" pad=\"2\"/>",
                     "-<contactref element=\"R1\" pad=\"2\"/>", "+<contactref element=\"R1\" pad=\"1\"/>"}));
    // R1 sits at (25.4, 50.8) on the sheet: pin 1 at x 20.32, pin 2 at x 30.48.
    EXPECT_EQ(LineDiff(w.input.schematic, w.output.schematic),
              (Lines{"-<pinref part=\"R1\" gate=\"G$1\" pin=\"1\"/>",
                     "-<wire x1=\"20.32\" y1=\"50.8\" x2=\"20.32\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>",
                     "+<pinref part=\"R1\" gate=\"G$1\" pin=\"2\"/>",
                     "+<wire x1=\"30.48\" y1=\"50.8\" x2=\"20.32\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>",
                     "-<pinref part=\"R1\" gate=\"G$1\" pin=\"2\"/>",
                     "-<wire x1=\"30.48\" y1=\"50.8\" x2=\"30.48\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>",
                     "+<pinref part=\"R1\" gate=\"G$1\" pin=\"1\"/>",
                     "+<wire x1=\"20.32\" y1=\"50.8\" x2=\"30.48\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>"}));
    EXPECT_EQ(w.output.changedSignals, 2u);
    ExpectReadsBackAs(w, moves);
}

TEST(EagleWriteBack, AGateExchangeSwapsTheInstancesLabelsAndThePinReferencesFollow)
{
    const std::vector<Move>& moves = kGateExchange;
    const Written w = WriteAfter(MakeDesign(TypicalSignals()), moves);
    EXPECT_EQ(LineDiff(w.input.board, w.output.board),
              (Lines{"-<contactref element=\"IC1\" pad=\"1\"/>", "+<contactref element=\"IC2\" pad=\"4\"/>",
                     "-<contactref element=\"IC1\" pad=\"2\"/>", "+<contactref element=\"IC2\" pad=\"5\"/>",
                     "-<contactref element=\"IC1\" pad=\"3\"/>", "-<contactref element=\"IC2\" pad=\"4\"/>",
                     "+<contactref element=\"IC1\" pad=\"1\"/>", "+<contactref element=\"IC2\" pad=\"6\"/>"}));
    EXPECT_EQ(LineDiff(w.input.schematic, w.output.schematic),
              (Lines{"-<instance part=\"IC1\" gate=\"A\" x=\"0\" y=\"0\"/>", "+<instance part=\"IC2\" gate=\"B\" x=\"0\" y=\"0\"/>",
                     "-<instance part=\"IC2\" gate=\"B\" x=\"50.8\" y=\"25.4\"/>",
                     "+<instance part=\"IC1\" gate=\"A\" x=\"50.8\" y=\"25.4\"/>",
                     "-<pinref part=\"IC1\" gate=\"A\" pin=\"A\"/>", "+<pinref part=\"IC2\" gate=\"B\" pin=\"A\"/>",
                     "-<pinref part=\"IC1\" gate=\"A\" pin=\"B\"/>", "+<pinref part=\"IC2\" gate=\"B\" pin=\"B\"/>",
                     "-<pinref part=\"IC1\" gate=\"A\" pin=\"Y\"/>", "+<pinref part=\"IC2\" gate=\"B\" pin=\"Y\"/>",
                     "-<pinref part=\"IC2\" gate=\"B\" pin=\"A\"/>", "+<pinref part=\"IC1\" gate=\"A\" pin=\"A\"/>"}));
    ExpectReadsBackAs(w, moves);
}

TEST(EagleWriteBack, ChangedSignalsLoseTheirAirwiresAndWithUnroutedTheirWiresAndVias)
{
    std::vector<SignalSpec> s = TypicalSignals();
    const std::string airwire = "<wire x1=\"2.38\" y1=\"6.19\" x2=\"24\" y2=\"30\" width=\"0\" layer=\"19\" extent=\"1-1\"/>\n";
    const std::string track = "<wire x1=\"30\" y1=\"20\" x2=\"20\" y2=\"20\" width=\"0.2\" layer=\"16\"/>\n";
    const std::string via = "<via x=\"30\" y=\"20\" extent=\"1-16\" drill=\"0.3\"/>\n";
    s[0].copper = airwire + track + via;  // N1 changes
    s[3].copper = airwire + track + via;  // VCC does not
    const std::vector<Move>& moves = kPinExchange;

    auto removed = [](const Lines& diff) {
        Lines out;
        for (const std::string& line : diff)
            if (line.rfind("-<wire", 0) == 0 || line.rfind("-<via", 0) == 0)
                out.push_back(line.substr(1) + "\n");
        return out;
    };
    const Written routed = WriteAfter(MakeDesign(s), moves);
    EXPECT_EQ(removed(LineDiff(routed.input.board, routed.output.board)), Lines{airwire});
    EXPECT_EQ(routed.output.reroutedSignals, 0u);

    const Written unrouted = WriteAfter(MakeDesign(s), moves, true);
    EXPECT_EQ(removed(LineDiff(unrouted.input.board, unrouted.output.board)), (Lines{airwire, track, via}));
    EXPECT_EQ(unrouted.output.changedSignals, 2u);
    EXPECT_EQ(unrouted.output.reroutedSignals, 2u);
}

TEST(EagleWriteBack, FilesWithWindowsLineBreaksKeepThemOnAddedLines)
{
    auto crlf = [](const std::string& text) {
        std::string out;
        for (char c : text)
            out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return out;
    };
    const SmallDesign plain = MakeDesign(TypicalSignals());
    const std::vector<Move>& moves = kGateExchange;
    const Written windows = WriteAfter(SmallDesign{crlf(plain.board), crlf(plain.schematic)}, moves);
    const Written unix = WriteAfter(plain, moves);
    EXPECT_NE(unix.output.board, plain.board);
    EXPECT_EQ(windows.output.board, crlf(unix.output.board));
    EXPECT_EQ(windows.output.schematic, crlf(unix.output.schematic));
}

TEST(EagleWriteBack, NothingChangedWritesTheFilesAsTheyWereRead)
{
    SmallDesign d = MakeDesign(TypicalSignals());
    d.board += "<!-- kept after the root -->\n";
    const Written w = WriteAfter(d, {});
    EXPECT_EQ(w.output.board, d.board);
    EXPECT_EQ(w.output.schematic, d.schematic);

    EagleImport alone = ImportBoardOnly(d.board);
    const eagle::EagleOutput out = eagle::WriteEagle(*alone.design, alone.board, alone.board);
    EXPECT_EQ(out.board, d.board);
    EXPECT_TRUE(out.schematic.empty());
}

TEST(EagleWriteBack, APairWhoseBoardAndSchematicDisagreeIsFoundInconsistent)
{
    SmallDesign d = MakeDesign(TypicalSignals());
    d.board = Replace(d.board, R"(<contactref element="R1" pad="1"/>)", "@");
    d.board = Replace(Replace(d.board, R"(<contactref element="R1" pad="2"/>)", R"(<contactref element="R1" pad="1"/>)"), "@",
                      R"(<contactref element="R1" pad="2"/>)");
    const Lines problems = eagle::ConsistencyProblems(*Import(d).design);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0], "pad R1.2 is in signal N1, but pin R1.G$1.2 is on net N2");
}
