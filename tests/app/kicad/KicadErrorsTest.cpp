// Bad KiCad input: each refusal is one line naming the file, line and column and what is wrong;
// lqhost exits 1 and writes nothing.
#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/app/kicad/KicadFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqkicad;

namespace {

enum class In { Board, Schematic };

struct BadCase {
    const char* name;
    Style style;
    In in;
    std::string from;  // empty: the whole file becomes `to`
    std::string to;
    std::string message;  // expected after "file:line:column: "; {0} stands for the place of `other`, {1} its line
    std::string at = "";  // the place reported: the first occurrence of this text after the change (default: `to`)...
    std::size_t shift = 0;   // ...and this many bytes on
    std::string other = "";  // for duplicates: where the first one is, before the change
};

// "line:column" of the first occurrence of snippet, shifted.
std::string PlaceOf(const std::string& text, const std::string& snippet, std::size_t shift = 0)
{
    std::size_t at = text.find(snippet);
    if (at == std::string::npos)
        return "?";
    at += shift;
    const std::size_t lineStart = text.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    return fmt::format("{}:{}", line, at - (lineStart == std::string::npos || at == 0 ? std::size_t(-1) : lineStart));
}

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class KicadBadInput : public ::testing::TestWithParam<BadCase> {};

const std::string kSheet = "  (sheet (at 10 10) (size 10 10)\n    (uuid 20000000-0000-0000-0000-000000000001)\n"
                           "    (property \"Sheet name\" \"amp\" (id 0) (at 10 9 0))\n"
                           "    (property \"Sheet file\" \"amp.kicad_sch\" (id 1) (at 10 21 0))\n  )\n\n  (sheet_instances";

}  // namespace

TEST_P(KicadBadInput, IsRefusedInOneLineWithFileLineAndColumn)
{
    const BadCase& c = GetParam();
    const Project original = MakeProject(c.style);
    Project p = original;
    std::string& changed = c.in == In::Board ? p.board : p.schematic;
    changed = c.from.empty() ? c.to : lqeagle::Replace(changed, c.from, c.to);
    const std::string file = c.in == In::Board ? "fix.kicad_pcb" : "fix.kicad_sch";
    const std::string other = c.other.empty() ? "" : PlaceOf(c.in == In::Board ? original.board : original.schematic, c.other);
    const std::string expected = fmt::format("{}:{}: {}", file, PlaceOf(changed, c.at.empty() ? c.to : c.at, c.shift),
                                             fmt::format(fmt::runtime(c.message), other, other.substr(0, other.find(':'))));
    const std::string error = lqe2e::ErrorText<JobError>([&] { Import(p); });
    EXPECT_EQ(error, expected);
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

const BadCase kCases[] = {
    {"Empty", Style::Kicad6, In::Board, "", " \n\t\n", "the file is empty", " "},
    {"Binary", Style::Kicad6, In::Board, "", std::string("(kicad_pcb\0 )", 13), "binary data (byte 0x00), not a KiCad file",
     "(kicad_pcb", 10},
    {"NotKicad", Style::Kicad6, In::Board, "", "{\"format\": \"quillon-board\"}", "not a KiCad file: it does not start with '('"},
    {"SchematicAsBoard", Style::Kicad6, In::Board, "(kicad_pcb (version 20211014) (generator pcbnew)", "(kicad_sch (version 20211123)",
     "a KiCad schematic, not a board (give the .kicad_pcb)"},
    {"UnbalancedParenthesis", Style::Kicad6, In::Board, "", "(kicad_pcb (version 20211014)))", "a ')' that closes no '('", ")))", 2},
    {"TextAfterTheEnd", Style::Kicad6, In::Board, "", "(kicad_pcb (version 20211014)) (x)",
     "text after the end of the file's one top-level list", "(x)"},
    {"CutShort", Style::Kicad10, In::Board, "", "(kicad_pcb (version 20260206)\n  (footprint \"x\"\n    (pad \"1\"",
     "the file ends before the list opened here is closed", "(pad"},
    {"UnterminatedString", Style::Kicad10, In::Board, "", "(kicad_pcb (version 20260206) (generator \"pcbnew)\n)",
     "the string that starts here is never closed", "\"pcbnew"},
    {"BoardTooOld", Style::Kicad6, In::Board, "(version 20211014)", "(version 20200101)",
     "board version 20200101 is older than lqhost reads (KiCad 6 to 10: 20211014 to 20260206)", "20200101"},
    {"SchematicTooNew", Style::Kicad10, In::Schematic, "(version 20260306)", "(version 20270101)",
     "schematic version 20270101 is newer than lqhost reads (KiCad 6 to 10: 20211123 to 20260306)", "20270101"},
    {"NetCodeNotInTable", Style::Kicad6, In::Board, "(net 1 \"A1\") (pintype \"input\")", "(net 77 \"A1\") (pintype \"input\")",
     "net code 77 is not in the board's net table", "77 \"A1\""},
    {"DuplicateFootprintReference", Style::Kicad6, In::Board, "(fp_text reference \"R2\"", "(fp_text reference \"R1\"",
     "a second footprint with reference R1 (the first is on line {1})", "(fp_text reference \"R1\" (at 0 -3) (layer \"F.SilkS\"))\n    "
     "(fp_text value \"10k\" (at 0 20) (layer \"F.Fab\"))\n    (pad \"1\" thru_hole circle (at 0 0) (size 1.6 1.6) (drill 0.8) (layers *.Cu *.Mask)\n      (net 2",
     19, "(footprint \"Resistor_THT:R_Axial_DIN0207_L6.3mm_D2.5mm_P7.62mm_Horizontal\" (layer \"F.Cu\")\n    (at 110 130)"},
    {"CoordinateBeyond32Bits", Style::Kicad10, In::Board, "(at 130 100)", "(at 3000 100)",
     "3000 mm lies beyond the 32-bit nanometre range (±2147.483647 mm)", "3000"},
    {"LengthBeyondAnyBoard", Style::Kicad10, In::Board, "(at 130 100)", "(at 99999999999999999999 100)",
     "99999999999999999999 mm is beyond any board", "99999999999999999999"},
    {"PadPlacedBeyond32Bits", Style::Kicad10, In::Board, "(at 100 100)", "(at 2147 100)",
     "the placed pad lies beyond the 32-bit nanometre range (±2147.483647 mm)", "(at 7.62 15.24)"},
    {"FootprintWithoutItsPart", Style::Kicad6, In::Board, "(fp_text reference \"R5\"", "(fp_text reference \"R9\"",
     "footprint R9: no schematic part has this reference, and its symbol link leads to R5; update the board from the schematic in KiCad",
     "\"R9\""},
    {"MissingSubSheet", Style::Kicad6, In::Schematic, "  (sheet_instances", kSheet,
     "sub-sheet amp.kicad_sch is missing (amp.kicad_sch not found)", "\"amp.kicad_sch\""},
    {"UnitBeyondTheSymbol", Style::Kicad6, In::Schematic, "(reference \"U2\") (unit 5)", "(reference \"U2\") (unit 9)",
     "unit 9 of U2, but symbol 74xx:74HC00 has 5 units", "9) (value"},
    {"SymbolNotEmbedded", Style::Kicad10, In::Schematic, "(symbol (lib_id \"Device:R\") (at 139.7", "(symbol (lib_id \"Device:RX\") (at 139.7",
     "library symbol \"Device:RX\" is not embedded in the schematic's (lib_symbols ...)", "(lib_id \"Device:RX\")"},
    {"UnitPlacedTwice", Style::Kicad6, In::Schematic, "(reference \"U1\") (unit 2)", "(reference \"U1\") (unit 1)",
     "duplicate reference: U1 unit A is placed twice (also at fix.kicad_sch:{0})", "(symbol (lib_id \"74xx:74HC00\") (at 50.8 76.2", 0,
     "(symbol (lib_id \"74xx:74HC00\") (at 50.8 50.8"},
};

INSTANTIATE_TEST_SUITE_P(Cases, KicadBadInput, ::testing::ValuesIn(kCases), ::testing::PrintToStringParamName());

TEST(KicadBadInput, NestingBeyondTheLimitAndRulesFilesNameTheirPlaceToo)
{
    std::string deep;
    for (int k = 0; k < 65; ++k)
        deep += "(a ";
    Project p = MakeProject(Style::Kicad6);
    p.board = deep;
    EXPECT_EQ(lqe2e::ErrorText<JobError>([&] { Import(p); }), "fix.kicad_pcb:1:193: lists nested more than 64 deep");

    lqe2e::TempDir dir;
    lqe2e::WriteFile(dir / "bad.lqrules", "(quillon_swap_rules (version 1)\n  (rule \"x\" (symbols \"74%00\") (gates maybe)))\n");
    const auto ok = MakeProject(Style::Kicad6);
    lqe2e::WriteFile(dir / "ok.kicad_pcb", ok.board);
    lqe2e::WriteFile(dir / "ok.kicad_sch", ok.schematic);
    const lqe2e::Result r = lqe2e::RunLqhost({"info", dir / "ok.kicad_pcb", "--rules", dir / "bad.lqrules"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lqhost: " + dir / "bad.lqrules:2:38: (gates ...) is swap or fixed, not \"maybe\"\n");

    // As a process: one line, exit code 1, nothing written.
    lqe2e::WriteFile(dir / "fix.kicad_pcb", lqeagle::Replace(MakeProject(Style::Kicad6).board, "(net 1 \"A1\") (pintype \"input\")", "(net 77 \"A1\") (pintype \"input\")"));
    lqe2e::WriteFile(dir / "fix.kicad_sch", MakeProject(Style::Kicad6).schematic);
    const lqe2e::Result w = lqe2e::RunLqhost({"autoswap", dir / "fix.kicad_pcb", "-o", dir / "out/fix.kicad_pcb"});
    EXPECT_EQ(w.exitCode, 1);
    EXPECT_EQ(lqe2e::Count(w.err, "\n"), 1u) << w.err;
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.lqrules", "fix.kicad_pcb", "fix.kicad_sch", "ok.kicad_pcb", "ok.kicad_sch"}));
}
