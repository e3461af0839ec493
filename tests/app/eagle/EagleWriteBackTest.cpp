// After a run: inferring the Eagle gate and pin exchanges from the nets the automatic pass left,
// writing them back (only what they change is rewritten, the pair stays consistent, every other
// byte is as it was read), and which files a board name stands for.
#include <gtest/gtest.h>

#include <algorithm>
#include <fmt/core.h>
#include <map>

#include "app/core/Errors.h"
#include "app/formats/BoardFiles.h"
#include "app/formats/eagle/EagleConsistency.h"
#include "app/formats/eagle/EagleExchanges.h"
#include "app/formats/eagle/EagleWriter.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqeagle;
using namespace lqe2e;
using Strings = std::vector<std::string>;

namespace {

// Every pin of the placed NAND gates and of R1 on a net of its own, named after gate and pin:
// IC1 pads 1-3 on a1-a3, 4-6 on b1-b3; IC2 pads 1-3 on c1-c3, 4-6 on d1-d3; R1 on r1, r2.
std::vector<EagleSignal> OneNetPerPin()
{
    std::vector<EagleSignal> s;
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
    const eagle::SchematicExchanges x = eagle::InferExchanges(*imported.design, imported.board, WithMoves(imported.board, moves));
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

namespace {

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
    EXPECT_EQ(eagle::ConsistencyProblems(*again.design), Strings{});
    EXPECT_EQ(NetSets(again.board), NetSets(WithMoves(Import(w.input).board, moves)));
}

}  // namespace

TEST(EagleWriteBack, APinExchangeRewritesTwoContactsTwoPinReferencesAndTheWireEndsOnThePins)
{
    const Written w = WriteAfter(MakeDesign(TypicalSignals()), kPinExchange);
    EXPECT_EQ(LineDiff(w.input.board, w.output.board),
              (Strings{"-<contactref element=\"R1\" pad=\"1\"/>", "+<contactref element=\"R1\" pad=\"2\"/>",
                     "-<contactref element=\"R1\" pad=\"2\"/>", "+<contactref element=\"R1\" pad=\"1\"/>"}));
    // R1 sits at (25.4, 50.8) on the sheet: pin 1 at x 20.32, pin 2 at x 30.48.
    EXPECT_EQ(LineDiff(w.input.schematic, w.output.schematic),
              (Strings{"-<pinref part=\"R1\" gate=\"G$1\" pin=\"1\"/>",
                     "-<wire x1=\"20.32\" y1=\"50.8\" x2=\"20.32\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>",
                     "+<pinref part=\"R1\" gate=\"G$1\" pin=\"2\"/>",
                     "+<wire x1=\"30.48\" y1=\"50.8\" x2=\"20.32\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>",
                     "-<pinref part=\"R1\" gate=\"G$1\" pin=\"2\"/>",
                     "-<wire x1=\"30.48\" y1=\"50.8\" x2=\"30.48\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>",
                     "+<pinref part=\"R1\" gate=\"G$1\" pin=\"1\"/>",
                     "+<wire x1=\"20.32\" y1=\"50.8\" x2=\"30.48\" y2=\"53.34\" width=\"0.1524\" layer=\"91\"/>"}));
    EXPECT_EQ(w.output.changedSignals, 2u);
    ExpectReadsBackAs(w, kPinExchange);
}

TEST(EagleWriteBack, AGateExchangeSwapsTheInstancesLabelsAndThePinReferencesFollow)
{
    const Written w = WriteAfter(MakeDesign(TypicalSignals()), kGateExchange);
    EXPECT_EQ(LineDiff(w.input.board, w.output.board),
              (Strings{"-<contactref element=\"IC1\" pad=\"1\"/>", "+<contactref element=\"IC2\" pad=\"4\"/>",
                     "-<contactref element=\"IC1\" pad=\"2\"/>", "+<contactref element=\"IC2\" pad=\"5\"/>",
                     "-<contactref element=\"IC1\" pad=\"3\"/>", "-<contactref element=\"IC2\" pad=\"4\"/>",
                     "+<contactref element=\"IC1\" pad=\"1\"/>", "+<contactref element=\"IC2\" pad=\"6\"/>"}));
    EXPECT_EQ(LineDiff(w.input.schematic, w.output.schematic),
              (Strings{"-<instance part=\"IC1\" gate=\"A\" x=\"0\" y=\"0\"/>", "+<instance part=\"IC2\" gate=\"B\" x=\"0\" y=\"0\"/>",
                     "-<instance part=\"IC2\" gate=\"B\" x=\"50.8\" y=\"25.4\"/>",
                     "+<instance part=\"IC1\" gate=\"A\" x=\"50.8\" y=\"25.4\"/>",
                     "-<pinref part=\"IC1\" gate=\"A\" pin=\"A\"/>", "+<pinref part=\"IC2\" gate=\"B\" pin=\"A\"/>",
                     "-<pinref part=\"IC1\" gate=\"A\" pin=\"B\"/>", "+<pinref part=\"IC2\" gate=\"B\" pin=\"B\"/>",
                     "-<pinref part=\"IC1\" gate=\"A\" pin=\"Y\"/>", "+<pinref part=\"IC2\" gate=\"B\" pin=\"Y\"/>",
                     "-<pinref part=\"IC2\" gate=\"B\" pin=\"A\"/>", "+<pinref part=\"IC1\" gate=\"A\" pin=\"A\"/>"}));
    ExpectReadsBackAs(w, kGateExchange);
}

TEST(EagleWriteBack, ChangedSignalsLoseTheirAirwiresAndWithUnroutedTheirWiresAndVias)
{
    std::vector<EagleSignal> s = TypicalSignals();
    const std::string airwire = "<wire x1=\"2.38\" y1=\"6.19\" x2=\"24\" y2=\"30\" width=\"0\" layer=\"19\" extent=\"1-1\"/>\n";
    const std::string track = "<wire x1=\"30\" y1=\"20\" x2=\"20\" y2=\"20\" width=\"0.2\" layer=\"16\"/>\n";
    const std::string via = "<via x=\"30\" y=\"20\" extent=\"1-16\" drill=\"0.3\"/>\n";
    s[0].copper = airwire + track + via;  // N1 changes
    s[3].copper = airwire + track + via;  // VCC does not

    auto removed = [](const Strings& diff) {
        Strings out;
        for (const std::string& line : diff)
            if (line.rfind("-<wire", 0) == 0 || line.rfind("-<via", 0) == 0)
                out.push_back(line.substr(1) + "\n");
        return out;
    };
    const Written routed = WriteAfter(MakeDesign(s), kPinExchange);
    EXPECT_EQ(removed(LineDiff(routed.input.board, routed.output.board)), Strings{airwire});
    EXPECT_EQ(routed.output.reroutedSignals, 0u);

    const Written unrouted = WriteAfter(MakeDesign(s), kPinExchange, true);
    EXPECT_EQ(removed(LineDiff(unrouted.input.board, unrouted.output.board)), (Strings{airwire, track, via}));
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
    const Written windows = WriteAfter(SmallDesign{crlf(plain.board), crlf(plain.schematic)}, kGateExchange);
    const Written unix = WriteAfter(plain, kGateExchange);
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
    const Strings problems = eagle::ConsistencyProblems(*Import(d).design);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0], "pad R1.2 is in signal N1, but pin R1.G$1.2 is on net N2");
}

TEST(BoardFiles, TheNameDecidesTheFormatAndAnEagleBoardWithItsSchematicIsAPair)
{
    EXPECT_EQ(BoardFormatOf("B.BRD"), BoardFormat::Eagle);
    EXPECT_EQ(BoardFormatOf("b.QBRD.json", true), BoardFormat::QuillonJson);
    // Kinds lqhost does not read used to be read as board JSON ("malformed JSON"; the message is
    // checked in LqhostErrorsTest), and any output name was written as board JSON, an input
    // schematic's included.
    EXPECT_THROW(BoardFormatOf("brd"), JobError);
    EXPECT_THROW(BoardOutputs("x.brd", {}, "p.sch"), UsageError);
    TempDir dir;
    const SmallDesign d = MakeDesign(TypicalSignals());
    WriteFile(dir / "a.brd", d.board);
    EXPECT_EQ(BoardInputs(dir / "a.brd", {}), (std::vector<std::string>{dir / "a.brd"}));
    EXPECT_EQ(BoardOutputs(dir / "a.brd", {}, dir / "out.brd"), (std::vector<std::string>{dir / "out.brd"}));
    WriteFile(dir / "a.sch", d.schematic);
    EXPECT_EQ(BoardInputs(dir / "a.brd", {}), (std::vector<std::string>{dir / "a.brd", dir / "a.sch"}));
    EXPECT_EQ(BoardOutputs(dir / "a.brd", {}, dir / "out.brd"), (std::vector<std::string>{dir / "out.brd", dir / "out.sch"}));
    EXPECT_EQ(BoardOutputs(dir / "a.brd", {}, dir / "out.qbrd.json"), (std::vector<std::string>{dir / "out.qbrd.json"}));
    EXPECT_THROW(BoardOutputs("x.qbrd.json", {}, "x.brd"), UsageError);
    EXPECT_THROW(LoadBoard(dir / "a.qbrd.json", BoardReadOptions{"", true}), UsageError);

    // Unchanged, the pair is written back byte for byte, with a note.
    LoadedBoard loaded = LoadBoard(dir / "a.brd", {});
    const SavedBoard saved = SaveBoard(loaded, loaded.board, dir / "out.brd");
    EXPECT_EQ(saved.files, (decltype(saved.files){{dir / "out.brd", d.board}, {dir / "out.sch", d.schematic}}));
    ASSERT_EQ(saved.notes.size(), 1u);
    EXPECT_NE(saved.notes[0].find("0 gates and 0 pins exchanged, 0 signals changed"), std::string::npos);
}
