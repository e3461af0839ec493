// Where Eagle's placements put pads: rotations, mirroring, arbitrary angles, spin, pad shapes and
// the rounding of millimetres to nanometres, seen on the imported board.
#include <gtest/gtest.h>

#include "app/formats/eagle/EagleGeometry.h"
#include "tests/app/eagle/EagleFixture.h"

using namespace lq;
using namespace lqeagle;

namespace {

const Part& PartNamed(const Board& board, const std::string& ref) { return board.parts[BoardIndex(board).FindPart(ref).value()]; }

Point PadAt(const Board& board, const std::string& ref, std::size_t pin)
{
    const Part& part = PartNamed(board, ref);
    return AbsolutePin(part, part.pins.at(pin));
}

Rect PadRect(const Board& board, const std::string& ref, std::size_t pin)
{
    const Part& part = PartNamed(board, ref);
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
    EXPECT_EQ(Ic2Pad1("R0"), (Point{32380000, 6190000}));
    EXPECT_EQ(Ic2Pad1("R90"), (Point{43810000, 2380000}));
    EXPECT_EQ(Ic2Pad1("R180"), (Point{47620000, 13810000}));
    EXPECT_EQ(Ic2Pad1("R270"), (Point{36190000, 17620000}));
    // Eagle turns first, then mirrors x.
    EXPECT_EQ(Ic2Pad1("MR0"), (Point{47620000, 6190000}));
    EXPECT_EQ(Ic2Pad1("MR90"), (Point{36190000, 2380000}));
    // Spin only keeps texts readable.
    EXPECT_EQ(Ic2Pad1("SR90"), Ic2Pad1("R90"));
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
    EXPECT_EQ(PartNamed(plain, "R1").pins[0].layers, 0x1u);
    EXPECT_EQ(PartNamed(mirrored, "R1").pins[0].layers, 0x8000u);
    EXPECT_EQ(PadAt(mirrored, "R1", 0), (Point{26000000, 30000000}));
    EXPECT_EQ(PartNamed(mirrored, "IC1").pins[0].layers, kAllCopperLayers);
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
        return PartNamed(Import(d).board, "IC1").at.x;
    };
    EXPECT_EQ(ic1At("10.0000004"), 10000000);
    EXPECT_EQ(ic1At("10.0000006"), 10000001);
    EXPECT_EQ(ic1At("-10.0000006"), -10000001);
    EXPECT_EQ(ic1At("2000"), 2000000000);
}
