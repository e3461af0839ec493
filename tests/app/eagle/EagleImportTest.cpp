// Reading an Eagle board and schematic: where placements put pads (rotations, mirroring, arbitrary
// angles, spin, pad shapes, millimetres rounded to nanometres), and the mapping to parts, pins,
// nets and routed pins.
#include <gtest/gtest.h>

#include "app/formats/eagle/EagleGeometry.h"
#include "app/formats/eagle/EagleImport.h"
#include "app/session/HostSheet.h"
#include "host/AttributeNames.h"
#include "host/SubSheet.h"
#include "tests/app/eagle/EagleFixture.h"

using namespace lq;
using namespace lqeagle;

namespace {

const Pin& PinOf(const Board& board, const std::string& ref, const std::string& pad)
{
    const BoardIndex index(board);
    const PinIndex at = index.FindPin(PinRef{ref, pad}).value();
    return board.parts[at.part].pins[at.pin];
}

const Part& PartOf(const Board& board, const std::string& ref)
{
    return board.parts[BoardIndex(board).FindPart(ref).value()];
}

// Which pins the host itself finds copper on, as the plug-in asks it.
std::set<std::string> PinsTheHostSeesRouted(const Board& board)
{
    HostSheet sheet(board, "board.brd");
    std::set<std::string> out;
    for (std::size_t i = 0; i < board.parts.size(); ++i)
        for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
            CZNDynArray<CDrawObject*> copper, others;
            sheet.PinObject(PinIndex{i, j})->GetNetConnection()->GetConnectedObjects(sheet.Sheet()->GetDrawingStore(), copper, others);
            if (copper.GetSize() > 0)
                out.insert(board.parts[i].ref + "." + PinName(board.parts[i].pins[j]));
        }
    return out;
}

}  // namespace

TEST(EagleImport, PartsCarryTheirDeviceAndPadsTheirGatePinDirectionAndSwapLevels)
{
    const Board board = Import(MakeDesign(TypicalSignals())).board;
    ASSERT_EQ(board.parts.size(), 3u);
    EXPECT_EQ(PartOf(board, "IC1").attributes,
              (Attributes{{LQ_GATESWAP, "2"}, {"value", "7400N"}, {"library", "demo"}, {"package", "DIL14"},
                          {"deviceset", "7400"}, {"device", "N"}, {"technology", ""}}));
    EXPECT_EQ(FindAttribute(PartOf(board, "R1").attributes, LQ_GATESWAP), "1");
    EXPECT_TRUE(PartOf(board, "R1").pinSwap);
    EXPECT_EQ(PartOf(board, "IC1").pins.size(), 14u);

    // Pads take gate, pin, direction and swap levels from the connect table.
    EXPECT_EQ(PinOf(board, "IC1", "2").attributes,
              (Attributes{{LQ_PIN, "2"}, {LQ_GATE, "A"}, {LQ_GATEGROUP, "demo/NAND/1"}, {LQ_LABEL, "B"},
                          {LQ_PINTYPE, "in"}, {LQ_PINGROUP, "1"}}));
    // An output of level 0 in an exchangeable gate: a group of its own name, so gates match pin by pin.
    EXPECT_EQ(FindAttribute(PinOf(board, "IC2", "8").attributes, LQ_PINGROUP), "=Y");
    EXPECT_EQ(FindAttribute(PinOf(board, "IC2", "8").attributes, LQ_GATE), "C");
    // The power gate is never placed, yet its pads import through the connect table.
    const Pin& vcc = PinOf(board, "IC1", "14");
    EXPECT_EQ(FindAttribute(vcc.attributes, LQ_PINTYPE), "PWR");
    EXPECT_EQ(FindAttribute(vcc.attributes, LQ_GATEGROUP), "demo/PWRN/0/IC1.P");
    EXPECT_FALSE(FindAttribute(vcc.attributes, LQ_PINGROUP));
    // A level-0 gate gets a group of its own; its level-1 pins may still swap.
    EXPECT_EQ(FindAttribute(PinOf(board, "R1", "1").attributes, LQ_GATEGROUP), "demo/R/0/R1.G$1");
    EXPECT_EQ(FindAttribute(PinOf(board, "R1", "1").attributes, LQ_PINGROUP), "1");
}

TEST(EagleImport, APinOnSeveralPadsGivesEachTheSameAttributesAndUnconnectedPadsOnlyTheirName)
{
    SmallDesign d = MakeDesign({{"N1", {{"R1", "1"}, {"R1", "2"}}, ""}});
    d.schematic = Replace(d.schematic, "<connect gate=\"G$1\" pin=\"1\" pad=\"1\"/>\n<connect gate=\"G$1\" pin=\"2\" pad=\"2\"/>",
                          "<connect gate=\"G$1\" pin=\"1\" pad=\"1 2\"/>");
    d.schematic = Replace(d.schematic, "<pinref part=\"R1\" gate=\"G$1\" pin=\"2\"/>", "<pinref part=\"R1\" gate=\"G$1\" pin=\"1\"/>");
    Attributes one = PinOf(Import(d).board, "R1", "1").attributes;
    Attributes two = PinOf(Import(d).board, "R1", "2").attributes;
    EXPECT_EQ(FindAttribute(two, LQ_LABEL), "1");
    one.erase(one.begin()), two.erase(two.begin());
    EXPECT_EQ(one, two);
    // Level 1 on two pads: the pads stay together, so no pin group.
    EXPECT_FALSE(FindAttribute(one, LQ_PINGROUP));

    SmallDesign e = MakeDesign({{"N1", {{"R1", "1"}}, ""}});
    e.schematic = Replace(e.schematic, "<connect gate=\"G$1\" pin=\"2\" pad=\"2\"/>\n", "");
    EXPECT_EQ(PinOf(Import(e).board, "R1", "2").attributes, (Attributes{{LQ_PIN, "2"}}));
}

TEST(EagleImport, BoardOnlyElementsAndBoardsWithoutSchematicCarryNoSwapInformation)
{
    SmallDesign d = MakeDesign(TypicalSignals());
    d.board = Replace(d.board, "</elements>",
                      "<element name=\"LOGO\" library=\"demo\" package=\"R0805\" value=\"\" x=\"0\" y=\"0\">\n"
                      "<attribute name=\"NAME\" x=\"1\" y=\"1\" size=\"1\" layer=\"25\"/>\n</element>\n</elements>");
    const Board board = Import(d).board;
    EXPECT_EQ(PartOf(board, "LOGO").attributes, (Attributes{{LQ_GATESWAP, "0"}, {"value", ""}, {"library", "demo"},
                                                            {"package", "R0805"}, {"NAME", ""}}));
    EXPECT_EQ(PinOf(board, "LOGO", "1").attributes, (Attributes{{LQ_PIN, "1"}}));

    const Board alone = ImportBoardOnly(MakeDesign(TypicalSignals()).board).board;
    for (const Part& part : alone.parts) {
        EXPECT_EQ(FindAttribute(part.attributes, LQ_GATESWAP), "0");
        for (const Pin& pin : part.pins)
            EXPECT_EQ(pin.attributes.size(), 1u);
    }
}

TEST(EagleImport, SignalsAreNetsAndOnlyCopperOfAPinsOwnSignalOnALayerOfItsPadRoutesIt)
{
    // Pad centres: IC1.1 (2.38, 6.19), IC1.2 (4.92, 6.19), IC1.3 (7.46, 6.19), IC2.4 (40, 6.19) through
    // hole; R1.1 (24, 30) smd on top.
    std::vector<EagleSignal> s = TypicalSignals();
    s[0].copper = "<wire x1=\"2.5\" y1=\"6.2\" x2=\"20\" y2=\"20\" width=\"0.2\" layer=\"16\"/>\n"    // ends on IC1.1
                  "<wire x1=\"24\" y1=\"30\" x2=\"20\" y2=\"20\" width=\"0.2\" layer=\"16\"/>\n";  // R1.1 is on top
    s[1].copper = "<wire x1=\"24.1\" y1=\"30\" x2=\"4.92\" y2=\"6.19\" width=\"0\" layer=\"19\"/>\n"  // airwire
                  "<polygon width=\"0.2\" layer=\"1\">\n<vertex x=\"39\" y=\"5\"/>\n<vertex x=\"41\" y=\"5\"/>\n"
                  "<vertex x=\"41\" y=\"7\"/>\n<vertex x=\"39\" y=\"7\"/>\n</polygon>\n";  // over IC2.4 of OUT
    s[2].copper = "<via x=\"7.5\" y=\"6.3\" extent=\"1-16\" drill=\"0.3\"/>\n";                      // on IC1.3
    s[3].copper = "<polygon width=\"0.2\" layer=\"1\">\n<vertex x=\"0\" y=\"0\"/>\n<vertex x=\"60\" y=\"0\"/>\n"
                  "<vertex x=\"60\" y=\"40\"/>\n<vertex x=\"0\" y=\"40\"/>\n</polygon>\n";  // covers both VCC pins
    const EagleImport imported = Import(MakeDesign(s));
    EXPECT_EQ(imported.board.nets[2], (Net{"OUT", {{"IC1", "3"}, {"IC2", "4"}}}));  // signals are nets in contact order
    EXPECT_EQ(imported.board.nets.size(), 4u);
    EXPECT_EQ(PinsTheHostSeesRouted(imported.board), (std::set<std::string>{"IC1.1", "IC1.3", "IC1.14", "IC2.14"}));
    EXPECT_EQ(imported.design->routedPins, 4u);
    // The user is told why routed pins do not move, and not with --unrouted.
    ASSERT_EQ(imported.notes.size(), 1u);
    EXPECT_EQ(imported.notes[0], "board.brd: 2 of the 26 swappable pins are routed and keep their nets; with --unrouted the "
                                 "board is read as if nothing were routed");  // IC1.1 and IC1.3; the VCC pins have no group
    const EagleImport unrouted = Import(MakeDesign(s), true);
    EXPECT_TRUE(PinsTheHostSeesRouted(unrouted.board).empty());
    EXPECT_TRUE(unrouted.notes.empty());
}

namespace {

Point PadAt(const Board& board, const std::string& ref, std::size_t pin)
{
    const Part& part = PartOf(board, ref);
    return AbsolutePin(part, part.pins.at(pin));
}

Rect PadRect(const Board& board, const std::string& ref, std::size_t pin)
{
    const Part& part = PartOf(board, ref);
    return AbsolutePad(part, part.pins.at(pin));
}

// IC2 sits at (40, 10) mm; its pad 1 at (-7.62, -3.81) in the package.
Point Ic2Pad1(const std::string& rotation)
{
    return PadAt(Import(MakeDesign(TypicalSignals(), rotation)).board, "IC2", 0);
}

}  // namespace

TEST(EagleRotation, ReadsMirrorSpinAndAngle)
{
    const auto r = eagle::ParseRotation("SMR45.5");
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->mirror && r->spin && r->degrees == 45.5);
    EXPECT_FALSE(eagle::ParseRotation("R90")->mirror);
    for (const char* bad : {"", "R", "90", "R360", "R-90", "R+90", "MMR0", "X90", "r90", "R9x", "R1e2", "MR"})
        EXPECT_FALSE(eagle::ParseRotation(bad)) << bad;
}

TEST(EaglePlacement, QuarterTurnsAndMirroringLandOnWholeNanometres)
{
    // Eagle turns first, then mirrors x; spin only keeps texts readable.
    const std::pair<const char*, Point> cases[] = {
        {"R0", {32380000, 6190000}},   {"R90", {43810000, 2380000}}, {"R180", {47620000, 13810000}}, {"R270", {36190000, 17620000}},
        {"MR0", {47620000, 6190000}}, {"MR90", {36190000, 2380000}}, {"SR90", {43810000, 2380000}}};
    for (const auto& [rotation, pad] : cases)
        EXPECT_EQ(Ic2Pad1(rotation), pad) << rotation;
}

TEST(EaglePlacement, ArbitraryAnglesTurnPadsAndWidenTheirRectangles)
{
    // R1's smd 1 at (-1, 0) mm, 1 x 1.2 mm, element at (25, 30) turned by 45 degrees.
    SmallDesign d = MakeDesign(TypicalSignals());
    d.board = Replace(d.board, "x=\"25\" y=\"30\"/>", "x=\"25\" y=\"30\" rot=\"R45\"/>");
    const Board board = Import(d).board;
    EXPECT_EQ(PadAt(board, "R1", 0), (Point{24292893, 29292893}));
    const Rect r = PadRect(board, "R1", 0);
    // Half of the turned rectangle's extent: (0.5 + 0.6) * cos 45 mm.
    EXPECT_NEAR(r.x2 - 24292893, 777817, 1);
    EXPECT_NEAR(24292893 - r.x1, 777817, 1);
    EXPECT_NEAR(r.y2 - r.y1, 2 * 777817, 2);
}

TEST(EaglePlacement, MirroredSmdsMoveToTheBottomLayerAndPadsStayOnAll)
{
    SmallDesign d = MakeDesign(TypicalSignals());
    d.board = Replace(d.board, "x=\"25\" y=\"30\"/>", "x=\"25\" y=\"30\" rot=\"MR0\"/>");
    const Board mirrored = Import(d).board;
    const Board plain = Import(MakeDesign(TypicalSignals())).board;
    EXPECT_EQ(PartOf(plain, "R1").pins[0].layers, 0x1u);
    EXPECT_EQ(PartOf(mirrored, "R1").pins[0].layers, 0x8000u);
    EXPECT_EQ(PadAt(mirrored, "R1", 0), (Point{26000000, 30000000}));
    EXPECT_EQ(PartOf(mirrored, "IC1").pins[0].layers, kAllCopperLayers);
}

TEST(EaglePlacement, PadShapesAndDesignRuleDiameters)
{
    const std::string pad1 = R"(<pad name="1" x="-7.62" y="-3.81" drill="0.8" diameter="1.6"/>)";
    auto rectOf = [&](const std::string& replacement) {
        SmallDesign d = MakeDesign(TypicalSignals());
        d.board = Replace(d.board, pad1, replacement);
        return PadRect(Import(d).board, "IC1", 0);  // pad centre (2.38, 6.19) mm
    };
    EXPECT_EQ(rectOf(pad1), (Rect{1580000, 5390000, 3180000, 6990000}));
    EXPECT_EQ(rectOf(R"(<pad name="1" x="-7.62" y="-3.81" drill="0.8" diameter="1.6" shape="long"/>)"),
              (Rect{780000, 5390000, 3980000, 6990000}));
    EXPECT_EQ(rectOf(R"(<pad name="1" x="-7.62" y="-3.81" drill="0.8" diameter="1.6" shape="offset"/>)"),
              (Rect{1580000, 5390000, 4780000, 6990000}));
    EXPECT_EQ(rectOf(R"(<pad name="1" x="-7.62" y="-3.81" drill="0.8" diameter="1.6" shape="long" rot="R90"/>)"),
              (Rect{1580000, 4590000, 3180000, 7790000}));
    // No diameter: the drill plus a restring of 25 % of it, at least 10 mil (0.254 mm).
    EXPECT_EQ(rectOf(R"(<pad name="1" x="-7.62" y="-3.81" drill="0.8"/>)"), (Rect{1726000, 5536000, 3034000, 6844000}));
}

TEST(EaglePlacement, MillimetresRoundToTheNearestNanometre)
{
    auto ic1At = [](const std::string& x) {
        SmallDesign d = MakeDesign(TypicalSignals());
        d.board = Replace(d.board, "value=\"7400N\" x=\"10\"", "value=\"7400N\" x=\"" + x + "\"");
        return PartOf(Import(d).board, "IC1").at.x;
    };
    EXPECT_EQ(ic1At("10.0000004"), 10000000);
    EXPECT_EQ(ic1At("10.0000006"), 10000001);
    EXPECT_EQ(ic1At("-10.0000006"), -10000001);
    EXPECT_EQ(ic1At("2000"), 2000000000);
}
