// The run's figures and outputs: airwire trees, their lengths and crossings on cases worked out by
// hand; the report in its three views; and drawing into SVG (the draw context the plug-in paints
// into, and board pictures).
#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>
#include <numeric>
#include <random>
#include <set>
#include <sstream>

#include "app/metrics/Airwires.h"
#include "app/metrics/Crossings.h"
#include "app/render/BoardSvg.h"
#include "app/render/SvgDrawContext.h"
#include "app/report/RunReport.h"
#include "host/DrawObject.h"
#include "host/LayoutPin.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {

constexpr auto kLo = std::numeric_limits<std::int32_t>::min(), kHi = std::numeric_limits<std::int32_t>::max();

// A board with one part whose pins sit at the points, and nets of pin numbers.
AirwireFigures Measure(const std::vector<Point>& points, const std::vector<std::vector<int>>& nets)
{
    Board board;
    board.parts.push_back(MakePart("P", Point{0, 0}, points));
    for (std::size_t n = 0; n < nets.size(); ++n) {
        board.nets.push_back(Net{"N" + std::to_string(n), {}});
        for (int pin : nets[n])
            board.nets.back().pins.push_back(PinRef{"P", std::to_string(pin)});
    }
    return MeasureAirwires(board);
}

// The length of the tree over one net of all the points.
std::uint64_t TreeLength(const std::vector<Point>& points)
{
    std::vector<int> all(points.size());
    std::iota(all.begin(), all.end(), 1);
    return Measure(points, {all}).length;
}

}  // namespace

TEST(SpanningTree, SmallCasesWorkedOutByHand)
{
    EXPECT_TRUE(MinimumSpanningTree({}).empty());
    EXPECT_TRUE(MinimumSpanningTree({{5, 5}}).empty());
    EXPECT_EQ(TreeLength({{0, 0}, {3, 0}, {0, 4}}), 7u);                          // the legs, never the hypotenuse
    EXPECT_EQ(TreeLength({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 30u);              // three sides of a square
    EXPECT_EQ(TreeLength({{50, 0}, {0, 0}, {20, 0}, {100, 0}, {70, 0}}), 100u);    // a shuffled line
    EXPECT_EQ(TreeLength({{10, 0}, {0, 0}, {-10, 0}, {0, 10}, {0, -10}, {0, 1}}), 40u);  // a star
    EXPECT_EQ(TreeLength({{7, 7}, {7, 7}, {7, 7}}), 0u);
    // Equal candidates: the earlier pin is taken.
    EXPECT_EQ(MinimumSpanningTree({{0, 0}, {10, 0}, {-10, 0}}),
              (std::vector<std::pair<std::size_t, std::size_t>>{{0, 1}, {0, 2}}));
}

TEST(SpanningTree, CornerToCornerOfTheCoordinateRangeDoesNotOverflowAndRoundsDown)
{
    EXPECT_EQ(TreeLength({{kLo, kLo}, {kHi, kHi}}), 6074000998u);  // isqrt(2 * (2^32 - 1)^2)
    // Two edges of isqrt(2^62 + (2^31 - 1)^2) = 3037000499 each; the long side is left out.
    EXPECT_EQ(TreeLength({{kLo, 0}, {kHi, 0}, {0, kLo}}), 6074000998u);
    EXPECT_EQ(IntegerSqrt(0), 0u);
    EXPECT_EQ(IntegerSqrt(24), 4u);
    EXPECT_EQ(IntegerSqrt(25), 5u);
    const unsigned __int128 big = static_cast<unsigned __int128>(6074001000u) * 6074001000u;
    EXPECT_EQ(IntegerSqrt(big), 6074001000u);
    EXPECT_EQ(IntegerSqrt(big - 1), 6074000999u);
}

TEST(SegmentCrossing, OnlyProperIntersectionsCount)
{
    EXPECT_TRUE(SegmentsCross({0, 0}, {10, 10}, {0, 10}, {10, 0}));   // an X
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {5, 0}, {5, 10}));    // a T: one ends on the other
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {10, 0}, {20, 5}));   // a shared end
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {5, 0}, {15, 0}));    // collinear overlap
    EXPECT_FALSE(SegmentsCross({0, 0}, {10, 0}, {0, 1}, {10, 1}));    // parallel
    EXPECT_FALSE(SegmentsCross({0, 0}, {4, 4}, {6, 0}, {10, -4}));    // apart
    EXPECT_TRUE(SegmentsCross({kLo, kLo}, {kHi, kHi}, {kLo, kHi}, {kHi, kLo}));
}

TEST(SegmentCrossing, SweepCountsWhatTestingEveryPairCounts)
{
    // Each coordinate is one of its axis's bases plus 0..8, so collinear, touching and shared ends
    // are common; `far` moves one end to a corner of the coordinate range.
    struct Case {
        std::vector<std::int64_t> xBases, yBases;
        bool far;
    };
    const std::vector<Case> cases{
        {{0}, {0}, false},
        {{kLo, kHi - 8}, {kLo, kHi - 8}, false},  // near the limits
        {{0}, {0}, true},                         // one far point among small ones
        {{0, kHi - 8}, {0, kHi - 8}, false},      // a span of 2^31 - 1, the widest below 2^31
        {{-1, kHi - 8}, {0, kHi - 8}, false},     // a span of 2^31 on one axis
        {{kLo, kHi - 8}, {0, kHi - 8}, false},   // near the limits on one axis only
        {{0, kHi - 8}, {kLo, kHi - 8}, false},
        {{-5, 5, kHi / 2, kLo / 2}, {-5, 5, kHi / 2, kLo / 2}, false},
    };
    std::mt19937 random(5700);
    for (std::size_t n = 0; n < cases.size(); ++n) {
        const Case& c = cases[n];
        const auto coordinate = [&](const std::vector<std::int64_t>& bases) {
            return static_cast<std::int32_t>(bases[random() % bases.size()] + static_cast<std::int64_t>(random() % 9));
        };
        const auto point = [&] { return Point{coordinate(c.xBases), coordinate(c.yBases)}; };
        for (int set = 0; set < 3; ++set) {
            std::vector<Airwire> airwires(300);
            for (Airwire& a : airwires)
                a = Airwire{random() % 4, point(), point(), 0};
            if (c.far)
                airwires[random() % airwires.size()].to = Point{kHi, kLo};
            std::uint64_t plain = 0;
            for (std::size_t i = 0; i < airwires.size(); ++i)
                for (std::size_t j = i + 1; j < airwires.size(); ++j)
                    plain += airwires[i].net != airwires[j].net &&
                             SegmentsCross(airwires[i].from, airwires[i].to, airwires[j].from, airwires[j].to);
            ASSERT_GT(plain, 0u);
            EXPECT_EQ(CountCrossings(airwires), plain) << "case " << n << ", set " << set;
            // A change to some nets, counted from the count before: one net's airwires replaced,
            // one net emptied, or (the last set) so many that the whole is counted again.
            const auto byNet = [](const Airwire& a, const Airwire& b) { return a.net < b.net; };
            std::stable_sort(airwires.begin(), airwires.end(), byNet);
            std::vector<Airwire> after;
            const std::size_t netA = random() % 4, netB = (netA + 1) % 4;
            for (const Airwire& a : airwires)
                if (a.net != netA && (a.net != netB || set == 0))
                    after.push_back(a);
            for (int k = 0; k < (set == 2 ? 400 : 20); ++k)
                after.push_back(Airwire{netA, point(), point(), 0});
            std::stable_sort(after.begin(), after.end(), byNet);
            EXPECT_EQ(CountCrossingsAfter(airwires, plain, after), CountCrossings(after)) << "case " << n << ", set " << set;
        }
    }
}

TEST(AirwireFiguresTest, CrossingsAndLengthsOfSmallNets)
{
    // Pins 1-2 and 3-4 form an X.
    const std::vector<Point> pins{{0, 0}, {10, 10}, {0, 10}, {10, 0}, {5, -5}, {5, 20}};
    const AirwireFigures x = Measure(pins, {{1, 2}, {3, 4}});
    EXPECT_EQ(x.airwires, 2u);
    EXPECT_EQ(x.crossings, 1u);
    EXPECT_EQ(x.length, 28u);  // 14 + 14, each rounded down from 14.14
    // Net 0 over pins 1, 2, 5, 6 is the tree 1-5, 1-2, 2-6 (7 + 14 + 11); only 1-2 crosses 3-4.
    const AirwireFigures tree = Measure(pins, {{1, 2, 5, 6}, {3, 4}});
    EXPECT_EQ(tree.airwires, 4u);
    EXPECT_EQ(tree.length, 46u);
    EXPECT_EQ(tree.crossings, 1u);
    // Two rows and three columns, each its own net: six crossings; one unconnected pin adds none.
    const AirwireFigures grid = Measure({{0, 10}, {40, 10}, {0, 20}, {40, 20}, {10, 0}, {10, 30}, {20, 0}, {20, 30}, {30, 0},
                                         {30, 30}, {15, 15}},
                                        {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}});
    EXPECT_EQ(grid.crossings, 6u);
    EXPECT_EQ(grid.length, 2u * 40u + 3u * 30u);
}

namespace {

RunReport OneRun()
{
    BoardRun run;
    run.board = "a,b.qbrd.json";
    run.output = "out.qbrd.json";
    run.before = AirwireFigures{3, 2000000, 4};
    run.after = AirwireFigures{3, 1500000, 0};
    run.changes = {PinChange{{0, 0}, "U1", "1", "N\"1", ""}, PinChange{{0, 1}, "U1", "2", "", "+5V"}};
    run.records = {BackAnnotationEntry{13, 0xFFFFFFFFu, {"U1", "1", "U1", "2"}}};
    run.seconds = 0.25;
    RunReport report;
    report.boards.push_back(run);
    return report;
}

}  // namespace

TEST(RunReportData, NetChangesListPinsWhoseNetDiffers)
{
    const Board before = SmallBoard();
    Board after = before;
    std::swap(after.nets[6].pins[0], after.nets[7].pins[0]);  // R1.2 and R1.1 exchange nets
    after.nets[8].pins.pop_back();                             // U2.7 leaves GND
    EXPECT_EQ(NetChanges(before, after), (std::vector<PinChange>{{{1, 6}, "U2", "7", "GND", ""},
                                                                 {{2, 0}, "R1", "1", "RR", "RL"},
                                                                 {{2, 1}, "R1", "2", "RL", "RR"}}));
    EXPECT_TRUE(NetChanges(before, before).empty());
}

TEST(RunReportData, PercentAndMillimetres)
{
    EXPECT_DOUBLE_EQ(*PercentChange(4, 6), 50.0);
    EXPECT_FALSE(PercentChange(0, 5).has_value());
    EXPECT_EQ(Millimetres(1234567891), "1234.567 mm");  // cut, not rounded
    EXPECT_EQ(Millimetres(999), "0.000 mm");
    EXPECT_EQ(Millimetres(5001000), "5.001 mm");
}

TEST(RunReportViews, JsonCarriesEveryFigure)
{
    const auto j = nlohmann::json::parse(FormatReportJson(OneRun()));
    EXPECT_EQ(j["format"], "quillon-report");
    const auto& b = j["boards"][0];
    using J = nlohmann::json;
    EXPECT_EQ(J::array({b["board"], b["output"], b["before"]["length"], b["after"]["crossings"], b["pinsMoved"]}),
              J::array({"a,b.qbrd.json", "out.qbrd.json", 2000000, 0, 2}));
    EXPECT_EQ(J::array({b["lengthChangePercent"], b["crossingsChangePercent"]}), J::array({-25.0, -100.0}));
    EXPECT_EQ(J::array({b["changes"][0]["oldNet"], b["changes"][1]["newNet"]}), J::array({"N\"1", "+5V"}));
    EXPECT_EQ(J::array({b["backAnnotation"][0]["undoId"], b["backAnnotation"][0]["texts"][3]}), J::array({0xFFFFFFFFu, "2"}));
    RunReport none = OneRun();
    none.boards[0].before = AirwireFigures{};
    none.boards[0].output.clear();
    const auto k = nlohmann::json::parse(FormatReportJson(none));
    EXPECT_TRUE(k["boards"][0]["lengthChangePercent"].is_null());
    EXPECT_TRUE(k["boards"][0]["output"].is_null());
    // A change too small for two decimals is 0, not -0.
    RunReport tiny = OneRun();
    tiny.boards[0].before.length = 1000000, tiny.boards[0].after.length = 999999;
    EXPECT_NE(FormatReportJson(tiny).find("\"lengthChangePercent\": 0.0,"), std::string::npos) << FormatReportJson(tiny);
}

// Cells that begin like a formula used to reach spreadsheets as they were ("=HYPERLINK(...)").
TEST(RunReportViews, EcoCsvQuotesWhereNeededAndKeepsFormulasText)
{
    RunReport report = OneRun();
    report.boards[0].changes.push_back(PinChange{{0, 2}, "@U1", "-3", "=1+1", "\tX"});
    EXPECT_EQ(FormatEcoCsv(report),
              "board,record,part,pin,old_net,new_net,kind,undo_id,text1,text2,text3,text4\r\n"
              "\"a,b.qbrd.json\",net,U1,1,\"N\"\"1\",,,,,,,\r\n"
              "\"a,b.qbrd.json\",net,U1,2,,\"'+5V\",,,,,,\r\n"
              "\"a,b.qbrd.json\",net,\"'@U1\",\"'-3\",\"'=1+1\",\"'\tX\",,,,,,\r\n"
              "\"a,b.qbrd.json\",backannotation,,,,,13,0xFFFFFFFF,U1,1,U1,2\r\n");
}

TEST(RunReportViews, TableShowsFiguresChangesAndRecordsAndCutsLongLists)
{
    const std::string t = FormatReportTable(OneRun());
    EXPECT_NE(t.find("airwire length           2.000 mm       1.500 mm   -25.0 %"), std::string::npos) << t;
    EXPECT_NE(t.find("airwire crossings               4              0  -100.0 %"), std::string::npos) << t;
    EXPECT_NE(t.find("pins moved: 2"), std::string::npos);
    EXPECT_NE(t.find("written to out.qbrd.json"), std::string::npos);
    EXPECT_NE(t.find("U1    2    (none)   +5V"), std::string::npos) << t;
    EXPECT_NE(t.find("kind 13 (pin swap), undo id 0xFFFFFFFF: \"U1\", \"1\", \"U1\", \"2\""), std::string::npos) << t;
    // Long lists are cut.
    RunReport report = OneRun();
    report.boards[0].changes.assign(25, PinChange{{0, 0}, "U1", "1", "A", "B"});
    EXPECT_NE(FormatReportTable(report).find("... and 5 more"), std::string::npos);
}

TEST(SvgUnits, NanometresBecomeMicrometresWithYUpAndColoursAreDistinct)
{
    EXPECT_EQ(SvgLength(1500), "1.5");
    EXPECT_EQ(SvgLength(-2147483648LL), "-2147483.648");
    EXPECT_EQ(SvgY(1000), "-1");
    EXPECT_EQ(XmlEscape("<a & \"b\">'"), "&lt;a &amp; &quot;b&quot;&gt;&apos;");
    // The gate markers' colours are distinct; unknown colours fall back to one.
    EXPECT_EQ((std::set<std::string>{SvgColour(8), SvgColour(32), SvgColour(38)}).size(), 3u);
    EXPECT_EQ(SvgColour(5), SvgColour(99));
}

TEST(SvgDrawContextTest, CallsBecomeElementsAndAreStillRecorded)
{
    SvgDrawContext dc;
    dc.SetZoom(1000);
    dc.SetColor(38);
    dc.SetLineWidth(1);
    dc.DrawLine(CLQPoint(0, 0), CLQPoint(5000, -3000));
    dc.SetColor(32);
    dc.SetFill(true, 0);
    dc.DrawCircle(CLQPoint(1000, 2000), 9000);
    dc.SetFill(false, 0);
    dc.SetLineWidth(3000);
    dc.DrawCircle(CLQPoint(1000, 2000), 9000);
    LQ_TEXTFORMAT format = dc.GetTextFormat();
    format.m_nSizeY = 9000;
    format.m_byAlign = 4;
    dc.SetTextFormat(format);
    dc.SetDrawFlag(true);
    dc.DrawText(CLQPoint(1000, 2000), CString("A<1>"));

    const std::string& e = dc.Elements();
    // A 1 nm line is drawn one pixel (1000 nm) wide.
    EXPECT_NE(e.find("<line x1=\"0\" y1=\"0\" x2=\"5\" y2=\"3\" stroke=\"" + SvgColour(38) + "\" stroke-width=\"1\""),
              std::string::npos) << e;
    EXPECT_NE(e.find("<circle cx=\"1\" cy=\"-2\" r=\"9\" fill=\"" + SvgColour(32) + "\" stroke=\"none\"/>"), std::string::npos) << e;
    EXPECT_NE(e.find("r=\"9\" fill=\"none\" stroke=\"" + SvgColour(32) + "\" stroke-width=\"3\"/>"), std::string::npos) << e;
    EXPECT_NE(e.find("font-size=\"9\" fill=\"" + SvgColour(32) +
                     "\" text-anchor=\"middle\" dominant-baseline=\"central\" opacity=\"0.35\">A&lt;1&gt;</text>"),
              std::string::npos) << e;
    EXPECT_EQ(dc.GetCalls()[2], "DrawLine(0,0-5000,-3000)");  // still recorded
}

TEST(SvgDrawContextTest, DrawnObjectsShowTheirPad)
{
    SvgDrawContext dc;
    dc.SetZoom(200);
    CLayoutPin pin(CLQPoint(1000, 1000), CLQRect(500, 500, 1500, 1500));
    pin.DrawObject(&dc, DOK_ALL);
    EXPECT_NE(dc.Elements().find("<rect x=\"0.4\" y=\"-1.6\" width=\"1.2\" height=\"1.2\""), std::string::npos)
        << dc.Elements();
}

TEST(BoardSvgTest, PictureHoldsEveryLayerAndTheHighlights)
{
    const Board board = SmallBoard();
    BoardPicture picture{"small & simple", {PinIndex{2, 0}}, "<g id=\"from-module\"/>\n"};
    const std::string svg = RenderBoardSvg(board, picture);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    EXPECT_NE(svg.find("<title>small &amp; simple</title>"), std::string::npos);
    for (const char* layer : {"parts", "copper", "pads", "airwires", "gates", "changed"})
        EXPECT_NE(svg.find(std::string("<g id=\"") + layer + "\""), std::string::npos) << layer;
    EXPECT_NE(svg.find("<g id=\"from-module\"/>"), std::string::npos);
    EXPECT_NE(svg.find(">R1</text>"), std::string::npos);
    auto group = [&](const std::string& id) {
        const std::size_t from = svg.find("<g id=\"" + id + "\"");
        return svg.substr(from, svg.find("</g>", from) - from);
    };
    EXPECT_EQ(Count(group("airwires"), "<line"), 9u);  // nine nets of two pins
    EXPECT_EQ(Count(group("changed"), "<circle"), 1u);
    EXPECT_EQ(Count(group("pads"), "<rect"), 24u);
    EXPECT_EQ(Count(group("pads"), "fill=\"#e63946\""), 1u);
    EXPECT_EQ(Count(group("copper"), "<polygon"), 1u);
}

// A board too wide for the widest picture at the sheet's zoom used to keep the sheet's pixel for its
// lines and texts, which the smaller picture thinned below a pixel.
TEST(BoardSvgTest, LinesStayAPictureWideOnABoardTooWideForTheSheetsZoom)
{
    // At 100 µm a pixel the board fits (about 2200 pixels across); at 1 nm it does not.
    for (const std::int64_t zoom : {std::int64_t{100'000}, std::int64_t{1}}) {
        Board board = SmallBoard();
        board.sheet.zoom = zoom;
        const std::string svg = RenderBoardSvg(board, BoardPicture{"", {}, ""});
        auto after = [&](const std::string& text) { return std::istringstream(svg.substr(svg.find(text) + text.size())); };
        double pictureWidth = 0, viewX = 0, viewY = 0, viewWidth = 0, airwire = 0;
        after("width=\"") >> pictureWidth;
        after("viewBox=\"") >> viewX >> viewY >> viewWidth;
        after("<g id=\"airwires\" stroke=\"#1c6dd0\" stroke-width=\"") >> airwire;
        SCOPED_TRACE(svg.substr(0, 200));
        EXPECT_LE(pictureWidth, 8000);
        EXPECT_GE(airwire, viewWidth / pictureWidth);  // at least a pixel of the picture
    }
}

// Control characters and broken UTF-8 in names used to reach the SVG raw, which no XML reader takes.
TEST(BoardSvgTest, NamesWithControlCharactersAndBrokenUtf8StayWellFormedXml)
{
    Board board = SmallBoard();
    board.parts[2].ref = "R\x1B[31m\x01\xFF";
    const std::string svg = RenderBoardSvg(board, BoardPicture{"title \x07\xC3", {}, ""});
    lqe2e::TempDir dir;
    lqe2e::WriteFile(dir / "p.svg", svg);
    const lqe2e::Result xml = lqe2e::RunProcess({"/usr/bin/xmllint", "--noout", dir / "p.svg"});
    EXPECT_EQ(xml.exitCode, 0) << xml.err;
    EXPECT_NE(svg.find(">R\\x1B[31m\\x01\\xFF</text>"), std::string::npos);
    EXPECT_NE(svg.find("<title>title \\x07\\xC3</title>"), std::string::npos);
}
