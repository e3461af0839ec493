// Bad Eagle input: each refusal is one line naming the file, the line and what is wrong.
#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "tests/app/eagle/EagleFixture.h"

using namespace lq;
using namespace lqeagle;

namespace {

struct BadCase {
    const char* name;
    bool inSchematic;  // the change is made to the schematic (else to the board)
    std::string from;
    std::string to;
    bool reportedInSchematic;
    std::string message;  // expected after "file:line: "; {} stands for the line of `first`
    std::string at = "";  // the line reported is that of this text (default: `to`) after the change
    std::string first = "";  // for duplicates: the first of the two, before the change
};

int LineOf(const std::string& text, const std::string& snippet)
{
    const std::size_t at = text.find(snippet);
    return at == std::string::npos ? 0 : 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

std::string ErrorOf(const SmallDesign& d)
{
    try {
        Import(d);
    } catch (const ParseError& e) {
        return e.what();
    }
    return "(no error)";
}

class EagleBadInput : public ::testing::TestWithParam<BadCase> {};

}  // namespace

TEST_P(EagleBadInput, IsRefusedWithFileLineAndReason)
{
    const BadCase& c = GetParam();
    const SmallDesign original = MakeDesign(TypicalSignals());
    SmallDesign d = original;
    std::string& changed = c.inSchematic ? d.schematic : d.board;
    changed = Replace(changed, c.from, c.to);
    const std::string& reported = c.reportedInSchematic ? d.schematic : d.board;
    const int first = LineOf(c.reportedInSchematic ? original.schematic : original.board, c.first);
    const std::string expected = fmt::format("{}:{}: {}", c.reportedInSchematic ? "board.sch" : "board.brd",
                                             LineOf(reported, c.at.empty() ? c.to : c.at),
                                             fmt::format(fmt::runtime(c.message), first));
    const std::string error = ErrorOf(d);
    EXPECT_EQ(error, expected);
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Board, EagleBadInput,
    ::testing::Values(
        BadCase{"UnknownElement", false, R"(<contactref element="IC1" pad="1"/>)", R"(<contactref element="IC9" pad="1"/>)", false,
                "<contactref>: signal N1 names element \"IC9\", which is not on the board"},
        BadCase{"UnknownPad", false, R"(<contactref element="IC1" pad="1"/>)", R"(<contactref element="IC1" pad="99"/>)", false,
                "<contactref>: signal N1 names pad \"99\" of element IC1, whose package DIL14 has no such pad"},
        BadCase{"PadInTwoSignals", false, R"(<contactref element="IC2" pad="4"/>)", R"(<contactref element="IC1" pad="1"/>
<contactref element="IC2" pad="4"/>)", false, "<contactref>: pad IC1.1 is already in signal N1"},
        BadCase{"NoPackage", false, R"(name="IC1" library="demo" package="DIL14")", R"(name="IC1" library="demo" package="DIL99")",
                false, "<element name=\"IC1\">: package \"DIL99\" is not in library demo"},
        BadCase{"NoLibrary", false, R"(name="IC1" library="demo")", R"(name="IC1" library="gone")", false,
                "<element name=\"IC1\">: library \"gone\" is not in the board's libraries"},
        BadCase{"DuplicateElement", false, R"(<element name="R1")", R"(<element name="IC1")", false,
                "<element name=\"IC1\">: a second element named \"IC1\" (the first is on line {})",
                R"(<element name="IC1" library="demo" package="R0805")", R"(<element name="IC1")"},
        BadCase{"DuplicateSignal", false, R"(<signal name="N2">)", R"(<signal name="N1">)", false,
                "<signal name=\"N1\">: a second signal named \"N1\" (the first is on line {})",
                "<signal name=\"N1\">\n<contactref element=\"IC1\" pad=\"2\"/>", R"(<signal name="N1">)"},
        BadCase{"DuplicatePad", false, R"(<pad name="2" x="-5.08")", R"(<pad name="1" x="-5.08")", false,
                "<pad name=\"1\">: package DIL14 has two pads named \"1\""},
        BadCase{"CoordinateBeyond32Bits", false, R"(value="7400N" x="10")", R"(value="7400N" x="3000")", false,
                "<element name=\"IC1\">: x=\"3000\" is outside the 32-bit nanometre range (±2147.483647 mm)"},
        BadCase{"PadPlacedBeyond32Bits", false, R"(value="7400N" x="10")", R"(value="7400N" x="2145")", false,
                "<element name=\"IC1\">: a pad lies outside the 32-bit nanometre range (±2147.483647 mm)"},
        BadCase{"NotANumber", false, R"(value="7400N" x="10")", R"(value="7400N" x="1O")", false,
                "<element name=\"IC1\">: x=\"1O\" is not a number"},
        BadCase{"BadRotation", false, R"(x="40" y="10" rot="R0")", R"(x="40" y="10" rot="R400")", false,
                "<element name=\"IC2\">: rot=\"R400\" is not a rotation (such as R90, MR180 or SR45)"},
        BadCase{"BadViaExtent", false, "</signal>\n</signals>", "<via x=\"1\" y=\"1\" extent=\"1-17\" drill=\"0.3\"/>\n</signal>\n</signals>",
                false, "<via>: extent=\"1-17\" is not a layer range such as 1-16"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Schematic, EagleBadInput,
    ::testing::Values(
        BadCase{"UnknownDeviceSet", true, R"(deviceset="R" device="")", R"(deviceset="RX" device="")", true,
                "<part name=\"R1\">: library demo has no device set \"RX\""},
        BadCase{"UnknownDevice", true, R"(<part name="IC1" library="demo" deviceset="7400" device="N")",
                R"(<part name="IC1" library="demo" deviceset="7400" device="Q")", true,
                "<part name=\"IC1\">: device set 7400 has no device \"Q\""},
        BadCase{"DuplicatePart", true, R"(<part name="IC2")", R"(<part name="IC1")", true,
                "<part name=\"IC1\">: a second part named \"IC1\" (the first is on line {})",
                "<part name=\"IC1\" library=\"demo\" deviceset=\"7400\" device=\"N\" value=\"7400N\"/>\n<part name=\"R1\"",
                R"(<part name="IC1")"},
        BadCase{"UnknownPinOfAPinReference", true, R"(<pinref part="R1" gate="G$1" pin="2"/>)",
                R"(<pinref part="R1" gate="G$1" pin="3"/>)", true, "<pinref>: gate G$1 (symbol R) has no pin \"3\""},
        BadCase{"ConnectToAMissingPad", true, R"(<connect gate="G$1" pin="2" pad="2"/>)", R"(<connect gate="G$1" pin="2" pad="7"/>)",
                true, "<connect>: package R0805 has no pad \"7\""},
        BadCase{"PartWithoutElement", true, "</parts>", "<part name=\"R9\" library=\"demo\" deviceset=\"R\" device=\"\"/>\n</parts>",
                true, "<part name=\"R9\">: part R9 has package R0805, but the board board.brd has no element R9: the board "
                      "and schematic do not belong together"},
        BadCase{"Hierarchical", true, "<parts>", "<modules><module name=\"M\" dx=\"10\" dy=\"10\"/></modules>\n<parts>", true,
                "<module name=\"M\">: hierarchical schematics (modules) are not read"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    auto refusal = [](const std::string& text) {
        try {
            eagle::XmlFile file(text, "x.brd");
        } catch (const ParseError& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(refusal(""), "x.brd: the file is empty");
    EXPECT_EQ(refusal(" \n\t\n"), "x.brd: the file is empty");
    EXPECT_EQ(refusal(std::string("PK\x03\x04\0\0", 6)), "x.brd: binary data, not an Eagle XML file");
    EXPECT_EQ(refusal("<?xml version=\"1.0\"?>\n<kicad_pcb/>\n"), "x.brd:2: <kicad_pcb>: not an Eagle file: the root element is not <eagle>");
    EXPECT_EQ(refusal("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<eagle/>"),
              "x.brd:1: encoding \"ISO-8859-1\": only UTF-8 Eagle files are read");
    EXPECT_EQ(refusal("<eagle>\n<a>\n<b/>\n</eagle>\n"), "x.brd:4:3: malformed XML: Start-end tags mismatch");

    std::string deep = "<eagle>\n";
    for (int i = 0; i < 40; ++i)
        deep += "<x>";
    for (int i = 0; i < 40; ++i)
        deep += "</x>";
    EXPECT_EQ(refusal(deep + "\n</eagle>"), "x.brd:2: <x>: nested deeper than 32 elements");
    EXPECT_EQ(refusal("<eagle>\n<note text=\"" + std::string(5000, 'a') + "\"/>\n</eagle>"),
              "x.brd:2: <note>: attribute text is longer than 4096 bytes");

    const SmallDesign d = MakeDesign(TypicalSignals());
    try {
        ImportBoardOnly(d.schematic);
        ADD_FAILURE() << "a schematic read as a board";
    } catch (const ParseError& e) {
        EXPECT_EQ(std::string(e.what()), "board.brd:3: <eagle>: not an Eagle board: there is no <drawing><board>");
    }
}
