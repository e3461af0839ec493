// A KiCad project as the host sees it: parts, gates, pin groups, nets and routed pins, and the
// swap rules that decide them.
#include <gtest/gtest.h>

#include "app/formats/kicad/KicadRules.h"
#include "host/AttributeNames.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/app/kicad/KicadFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqkicad;

namespace {

std::string Attr(const Board& board, const std::string& ref, const std::string& pin, const char* name)
{
    for (const Part& part : board.parts)
        if (part.ref == ref)
            for (const Pin& p : part.pins)
                if (PinName(p) == pin)
                    return FindAttribute(p.attributes, name).value_or("(none)");
    return "(no pin)";
}

std::string PartAttr(const Board& board, const std::string& ref, const char* name)
{
    for (const Part& part : board.parts)
        if (part.ref == ref)
            return FindAttribute(part.attributes, name).value_or("(none)");
    return "(no part)";
}

class KicadProjectImport : public ::testing::TestWithParam<Style> {};

}  // namespace

TEST_P(KicadProjectImport, UnitsAreGatesRulesGivePinGroupsAndCopperMarksRoutedPins)
{
    const auto imported = Import(MakeProject(GetParam()));
    const Board& b = imported.board;
    ASSERT_EQ(b.parts.size(), 7u);
    EXPECT_EQ(b.parts[0].attributes, (Attributes{{LQ_GATESWAP, "2"}, {"symbol", "74xx:74HC00"}, {"value", "74HC00"},
                                                 {"footprint", "Package_DIP:DIP-14_W7.62mm"}}));
    EXPECT_EQ(PartAttr(b, "R1", LQ_GATESWAP), "1");
    // A unit's inputs share the rule's pin group; its output stands for itself; power pins never move.
    EXPECT_EQ(Attr(b, "U1", "1", LQ_PINGROUP), "1");
    EXPECT_EQ(Attr(b, "U1", "2", LQ_PINGROUP), "1");
    EXPECT_EQ(Attr(b, "U1", "3", LQ_PINGROUP), "=@7.62,0");
    EXPECT_EQ(Attr(b, "U1", "9", LQ_PINGROUP), "1") << "units not placed are gates too";
    EXPECT_EQ(Attr(b, "U1", "3", LQ_GATE), "A");
    EXPECT_EQ(Attr(b, "U1", "8", LQ_GATE), "C");
    EXPECT_EQ(Attr(b, "U1", "8", LQ_GATEGROUP), Attr(b, "U2", "3", LQ_GATEGROUP));
    EXPECT_EQ(Attr(b, "U1", "14", LQ_PINTYPE), "PWR");
    EXPECT_EQ(Attr(b, "U1", "14", LQ_PINGROUP), "(none)");
    EXPECT_NE(Attr(b, "U1", "14", LQ_GATEGROUP), Attr(b, "U2", "14", LQ_GATEGROUP)) << "a unit with power pins stays";
    EXPECT_EQ(Attr(b, "R1", "1", LQ_PINGROUP), "(none)") << "no rule for a single resistor";
    EXPECT_EQ(imported.design->parts[0].rule.substr(0, 14), "library rule \"");
    EXPECT_EQ(imported.design->parts[2].rule, "none");

    // Nets: the labels' nets; pads of units not placed are on none.
    std::map<std::string, std::vector<PinRef>> nets;
    for (const Net& n : b.nets)
        nets[n.name] = n.pins;
    EXPECT_EQ(nets["A1"], (std::vector<PinRef>{{"U1", "1"}, {"R1", "1"}}));
    EXPECT_EQ(nets["GND"], (std::vector<PinRef>{{"U1", "7"}, {"U2", "7"}, {"R5", "2"}}));
    EXPECT_EQ(nets.size(), 11u);
    // R1.1 is the one routed pin: a track of A1 ends on it; the host sees one marker there.
    ASSERT_EQ(b.tracks.size(), 1u);
    EXPECT_EQ(b.tracks[0].net, "A1");
    EXPECT_EQ(b.tracks[0].from, (Point{110'000'000, 130'000'000}));
    EXPECT_TRUE(Import(MakeProject(GetParam()), true).board.tracks.empty()) << "--unrouted";
}

INSTANTIATE_TEST_SUITE_P(Versions, KicadProjectImport, ::testing::Values(Style::Kicad6, Style::Kicad10),
                         ::testing::PrintToStringParamName());

TEST(KicadProjectImport, PinsNotJoinedByOneLabelAloneMoveWithTheirGateOnly)
{
    // A wire from U1.1 to a resistor's pin: that exchange could not be written by label texts,
    // so no 74HC00 input of the whole gate class shares a pin group any more.
    Project p = MakeProject(Style::Kicad6);
    p.schematic = lqeagle::Replace(p.schematic, "  (label \"A1\" (at 43.18 48.26 0)",
                                   "  (wire (pts (xy 43.18 48.26) (xy 40 48.26)))\n  (symbol (lib_id \"Device:R\") (at 40 52.07 0) (unit 1)\n"
                                   "    (uuid 00000000-0000-0000-0000-000000000399)\n    (property \"Reference\" \"R9\" (id 0) (at 0 0 0))\n  )\n"
                                   "  (label \"A1\" (at 43.18 48.26 0)");
    const Board b = Import(p).board;
    for (const auto& [ref, pin] : std::vector<std::pair<std::string, std::string>>{{"U1", "1"}, {"U1", "5"}, {"U2", "2"}})
        EXPECT_EQ(Attr(b, ref, pin, LQ_PINGROUP).substr(0, 2), "=@") << ref << "." << pin;
    EXPECT_EQ(Attr(b, "U1", "1", LQ_GATEGROUP), Attr(b, "U2", "1", LQ_GATEGROUP)) << "the gates still swap";
}

struct MatchCase {
    const char* pattern;
    const char* libId;
    bool matches;
};
void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.pattern << " against " << c.libId; }
class SymbolPattern : public ::testing::TestWithParam<MatchCase> {};

TEST_P(SymbolPattern, MatchesNamesAcrossLibrariesAndSuffixes)
{
    EXPECT_EQ(kicad::SymbolMatches(GetParam().pattern, GetParam().libId), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Table, SymbolPattern,
                         ::testing::Values(MatchCase{"74%00", "74xx:74HC00", true}, MatchCase{"74%00", "74xx:74LS00D", true},
                                           MatchCase{"74%00", "74xx:7400", true}, MatchCase{"74%00", "74xx:74LS002", false},
                                           MatchCase{"74%14", "74xx:74HC148", false}, MatchCase{"%40106", "Locrius:CD40106BM96", true},
                                           MatchCase{"%40106", "4xxx:40106", true}, MatchCase{"tl07?", "AO:TL074", true},
                                           MatchCase{"%6002", "PCM:MCP6002-I-SN", true}, MatchCase{"Device:R_Pack0*", "Device:R_Pack04", true},
                                           MatchCase{"Device:R_Pack0*", "Other:R_Pack04", false}, MatchCase{"%358", "LM3580", false}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(KicadRules, UserRulesComeFirstAndSayWhereTheyCameFrom)
{
    const Project p = MakeProject(Style::Kicad10);
    lqe2e::TempDir dir;
    lqe2e::WriteFile(dir / "mine.lqrules", "; mine\n(quillon_swap_rules (version 1)\n  (rule \"fixed NANDs\" (symbols \"74%00\") (gates fixed)))\n");
    lq::kicad::KicadReadOptions options;
    options.schematic = "fix.kicad_sch";
    options.rules = {dir / "mine.lqrules"};
    const lq::kicad::FileReader fixture = Files(p);
    const auto imported = lq::kicad::ReadKicadBoard("fix.kicad_pcb", options, [&](const std::string& path) {
        return path == dir / "mine.lqrules" ? std::optional<std::string>(lqe2e::ReadFile(path)) : fixture(path);
    });
    EXPECT_EQ(imported.design->parts[0].rule, "user rule \"fixed NANDs\" (" + dir / "mine.lqrules:3)");
    EXPECT_EQ(PartAttr(imported.board, "U1", LQ_GATESWAP), "1");
    EXPECT_NE(Attr(imported.board, "U1", "1", LQ_GATEGROUP), Attr(imported.board, "U1", "4", LQ_GATEGROUP));

    // Without a rule, units with the same pins exchange within their part only.
    Project other = p;
    for (const char* from : {"74xx:74HC00\"", "\"74xx:74HC00\""})
        while (other.schematic.find(from) != std::string::npos)
            other.schematic.replace(other.schematic.find(from), std::string(from).size(),
                                    std::string(from).replace(std::string(from).find("74HC00"), 6, "QUAD9"));
    const auto inferred = Import(other);
    EXPECT_EQ(inferred.design->parts[0].rule, "inferred: units with the same pins, within the part");
    EXPECT_EQ(PartAttr(inferred.board, "U1", LQ_GATESWAP), "1");
    EXPECT_EQ(Attr(inferred.board, "U1", "1", LQ_GATEGROUP), Attr(inferred.board, "U1", "4", LQ_GATEGROUP));
    EXPECT_EQ(Attr(inferred.board, "U1", "1", LQ_PINGROUP), "=@-7.62,2.54");
}
