// Bad Eagle input: each refusal is one line naming the file, the line and what is wrong.
#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqeagle;

namespace {

struct BadCase {
    const char* name;
    bool inSchematic;  // the change is made to and reported in the schematic (else the board)
    std::string from;
    std::string to;
    std::string message;  // expected after "file:line: "; {} stands for the line of `first`
    std::string at = "";  // the line reported is that of this text (default: `to`) after the change
    std::string first = "";  // for duplicates: the first of the two, before the change
};

int LineOf(const std::string& text, const std::string& snippet)
{
    const std::size_t at = text.find(snippet);
    return at == std::string::npos ? 0 : 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

std::string ErrorOf(const SmallDesign& d) { return lqe2e::ErrorText<ParseError>([&] { Import(d); }); }

// ctest lists the case by its name, not by its bytes.
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class EagleBadInput : public ::testing::TestWithParam<BadCase> {};

}  // namespace

TEST_P(EagleBadInput, IsRefusedWithFileLineAndReason)
{
    const BadCase& c = GetParam();
    const SmallDesign original = MakeDesign(TypicalSignals());
    SmallDesign d = original;
    std::string& changed = c.inSchematic ? d.schematic : d.board;
    changed = Replace(changed, c.from, c.to);
    const int first = LineOf(c.inSchematic ? original.schematic : original.board, c.first);
    const std::string expected = fmt::format("{}:{}: {}", c.inSchematic ? "board.sch" : "board.brd",
                                             LineOf(changed, c.at.empty() ? c.to : c.at),
                                             fmt::format(fmt::runtime(c.message), first));
    const std::string error = ErrorOf(d);
    EXPECT_EQ(error, expected);
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

const BadCase kBoardCases[] = {
    {"UnknownElement", false, R"(<contactref element="IC1" pad="1"/>)", R"(<contactref element="IC9" pad="1"/>)",
     "<contactref>: signal N1 names element \"IC9\", which is not on the board"},
    {"UnknownPad", false, R"(<contactref element="IC1" pad="1"/>)", R"(<contactref element="IC1" pad="99"/>)",
     "<contactref>: signal N1 names pad \"99\" of element IC1, whose package DIL14 has no such pad"},
    {"PadInTwoSignals", false, R"(<contactref element="IC2" pad="4"/>)",
     "<contactref element=\"IC1\" pad=\"1\"/>\n<contactref element=\"IC2\" pad=\"4\"/>", "<contactref>: pad IC1.1 is already in signal N1"},
    {"NoPackage", false, R"(package="DIL14" value="7400N" x="10")", R"(package="DIL99" value="7400N" x="10")",
     "<element name=\"IC1\">: package \"DIL99\" is not in library demo"},
    {"NoLibrary", false, R"(name="IC1" library="demo")", R"(name="IC1" library="gone")",
     "<element name=\"IC1\">: library \"gone\" is not in the board's libraries"},
    {"DuplicateElement", false, R"(<element name="R1")", R"(<element name="IC1")",
     "<element name=\"IC1\">: a second element named \"IC1\" (the first is on line {})",
     R"(<element name="IC1" library="demo" package="R0805")", R"(<element name="IC1")"},
    {"DuplicateSignal", false, R"(<signal name="N2">)", R"(<signal name="N1">)",
     "<signal name=\"N1\">: a second signal named \"N1\" (the first is on line {})",
     "<signal name=\"N1\">\n<contactref element=\"IC1\" pad=\"2\"/>", R"(<signal name="N1">)"},
    {"DuplicatePad", false, R"(<pad name="2" x="-5.08")", R"(<pad name="1" x="-5.08")", "<pad name=\"1\">: package DIL14 has two pads named \"1\""},
    {"CoordinateBeyond32Bits", false, R"(value="7400N" x="10")", R"(value="7400N" x="3000")",
     "<element name=\"IC1\">: x=\"3000\" is outside the 32-bit nanometre range (±2147.483647 mm)"},
    {"PadPlacedBeyond32Bits", false, R"(value="7400N" x="10")", R"(value="7400N" x="2145")",
     "<element name=\"IC1\">: a pad lies outside the 32-bit nanometre range (±2147.483647 mm)"},
    {"NotANumber", false, R"(value="7400N" x="10")", R"(value="7400N" x="1O")", "<element name=\"IC1\">: x=\"1O\" is not a number"},
    {"BadRotation", false, R"(rot="R0")", R"(rot="R400")", "<element name=\"IC2\">: rot=\"R400\" is not a rotation (such as R90, MR180 or SR45)"},
    {"BadViaExtent", false, "</signal>\n</signals>", "<via x=\"1\" y=\"1\" extent=\"1-17\" drill=\"0.3\"/>\n</signal>\n</signals>",
     "<via>: extent=\"1-17\" is not a layer range such as 1-16"},
    // Negative copper sizes used to be read without a word.
    {"NegativeViaDrill", false, "</signal>\n</signals>", "<via x=\"1\" y=\"1\" extent=\"1-16\" drill=\"-0.3\"/>\n</signal>\n</signals>",
     "<via>: drill is negative"},
    {"NegativeWireWidth", false, "</signal>\n</signals>", "<wire x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\" width=\"-0.2\" layer=\"1\"/>\n</signal>\n</signals>",
     "<wire>: width is negative"},
};

const BadCase kSchematicCases[] = {
    {"UnknownDeviceSet", true, R"(deviceset="R" device="")", R"(deviceset="RX" device="")", "<part name=\"R1\">: library demo has no device set \"RX\""},
    {"UnknownDevice", true, R"(<part name="IC1" library="demo" deviceset="7400" device="N")",
     R"(<part name="IC1" library="demo" deviceset="7400" device="Q")", "<part name=\"IC1\">: device set 7400 has no device \"Q\""},
    {"DuplicatePart", true, R"(<part name="IC2")", R"(<part name="IC1")", "<part name=\"IC1\">: a second part named \"IC1\" (the first is on line {})",
     "<part name=\"IC1\" library=\"demo\" deviceset=\"7400\" device=\"N\" value=\"7400N\"/>\n<part name=\"R1\"", R"(<part name="IC1")"},
    {"UnknownPinOfAPinReference", true, R"(<pinref part="R1" gate="G$1" pin="2"/>)", R"(<pinref part="R1" gate="G$1" pin="3"/>)",
     "<pinref>: gate G$1 (symbol R) has no pin \"3\""},
    {"ConnectToAMissingPad", true, R"(<connect gate="G$1" pin="2" pad="2"/>)", R"(<connect gate="G$1" pin="2" pad="7"/>)",
     "<connect>: package R0805 has no pad \"7\""},
    {"PartWithoutElement", true, "</parts>", "<part name=\"R9\" library=\"demo\" deviceset=\"R\" device=\"\"/>\n</parts>",
     "<part name=\"R9\">: part R9 has package R0805, but the board board.brd has no element R9: the board and schematic do not "
     "belong together"},
    {"Hierarchical", true, "<parts>", "<modules><module name=\"M\" dx=\"10\" dy=\"10\"/></modules>\n<parts>",
     "<module name=\"M\">: hierarchical schematics (modules) are not read"},
};

INSTANTIATE_TEST_SUITE_P(Board, EagleBadInput, ::testing::ValuesIn(kBoardCases), ::testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(Schematic, EagleBadInput, ::testing::ValuesIn(kSchematicCases), ::testing::PrintToStringParamName());

TEST(EagleBadInput, AnElementWhosePackageDiffersFromItsPartsDeviceDoesNotBelong)
{
    SmallDesign d = MakeDesign({{"N1", {{"IC1", "1"}, {"R1", "1"}}, ""}});
    d.board = Replace(d.board, R"(name="IC1" library="demo" package="DIL14")", R"(name="IC1" library="demo" package="R0805")");
    EXPECT_EQ(ErrorOf(d), fmt::format("board.brd:{}: <element name=\"IC1\">: package R0805, but the schematic's part IC1 "
                                      "(line {}) has package DIL14: the board and schematic do not belong together",
                                      LineOf(d.board, "<element name=\"IC1\""), LineOf(d.schematic, "<part name=\"IC1\"")));
}

TEST(EagleBadInput, EmptyBinaryForeignAndOversizedFilesAreRefused)
{
    auto refusal = [](const std::string& text) { return lqe2e::ErrorText<ParseError>([&] { eagle::XmlFile file(text, "x.brd"); }); };
    EXPECT_EQ(refusal(""), "x.brd: the file is empty");
    EXPECT_EQ(refusal(" \n\t\n"), "x.brd: the file is empty");
    EXPECT_EQ(refusal(std::string("PK\x03\x04\0\0", 6)), "x.brd: binary data, not an Eagle XML file");
    EXPECT_EQ(refusal("<?xml version=\"1.0\"?>\n<kicad_pcb/>\n"), "x.brd:2: <kicad_pcb>: not an Eagle file: the root element is not <eagle>");
    EXPECT_EQ(refusal("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<eagle/>"),
              "x.brd:1: encoding \"ISO-8859-1\": only UTF-8 Eagle files are read");
    EXPECT_EQ(refusal("<eagle>\n<a>\n<b/>\n</eagle>\n"), "x.brd:4:3: malformed XML: Start-end tags mismatch");
    // Names that were not UTF-8 used to reach board JSON written out, which then could not be read.
    EXPECT_EQ(refusal("<eagle>\n<signal name=\"N\xFF\"/>\n</eagle>\n"), "x.brd:2:16: byte 0xFF is not UTF-8; Eagle files are UTF-8 text");

    std::string deep = "<eagle>\n";
    for (int i = 0; i < 80; ++i)
        deep += i < 40 ? "<x>" : "</x>";
    EXPECT_EQ(refusal(deep + "\n</eagle>"), "x.brd:2: <x>: nested deeper than 32 elements");
    EXPECT_EQ(refusal("<eagle>\n<note text=\"" + std::string(5000, 'a') + "\"/>\n</eagle>"),
              "x.brd:2: <note>: attribute text is longer than 4096 bytes");
    // Tiny elements used to be parsed whole first: twenty times the file's size in memory.
    std::string dense = "<eagle>\n";
    while (dense.size() < (2u << 20))
        dense += "<a/>\n";
    EXPECT_EQ(refusal(dense + "</eagle>\n"), "x.brd: too dense: its elements and attributes would take more than 20 MiB to hold, 8 "
                                              "times its size (Eagle's own files take five to six)");

    EXPECT_EQ(lqe2e::ErrorText<ParseError>([] { ImportBoardOnly(MakeDesign(TypicalSignals()).schematic); }),
              "board.brd:3: <eagle>: not an Eagle board: there is no <drawing><board>");
}
