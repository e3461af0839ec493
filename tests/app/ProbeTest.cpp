// Learning the plug-in's gates and groups through its tools: reading the overlay painting, and
// the whole probe on a small board with the plug-in loaded as lqhost loads it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/probe/BoardProbe.h"
#include "app/probe/GateMarkers.h"
#include "app/probe/InfoFormat.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/HostApp.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;

namespace {

constexpr std::int32_t kMm = 1000000;

// Paints one marker the way a gate paints itself.
void Marker(CDrawContext& dc, CLQPoint centre, const std::vector<CLQPoint>& pins, const char* name, int fill, bool flag)
{
    dc.SetColor(38);
    const bool was = dc.GetDrawFlag();
    dc.SetDrawFlag(flag);
    for (const CLQPoint& p : pins)
        dc.DrawLine(p, centre);
    dc.SetColor(fill);
    dc.SetFill(true, 0);
    dc.DrawCircle(centre, 9);
    dc.SetColor(38);
    dc.SetFill(false, 0);
    dc.DrawCircle(centre, 9);
    dc.DrawText(centre, CString(name));
    dc.SetDrawFlag(was);
}

Part Package(const std::string& ref, Point at)
{
    const auto gate = [](const char* g, const char* group) {
        return Attributes{{"LQ_GATE", g}, {"LQ_GATEGROUP", "G"}, {"LQ_PINGROUP", group}};
    };
    Part p = lqapptest::MakePart(ref, at, {{-3 * kMm, -2 * kMm}, {-2 * kMm, -2 * kMm}, {-1 * kMm, -2 * kMm},
                                           {1 * kMm, -2 * kMm}, {2 * kMm, -2 * kMm}, {3 * kMm, -2 * kMm}, {0, 2 * kMm}});
    const Attributes attrs[] = {gate("A", "IN"), gate("A", "IN"), gate("A", "OUT"),
                                gate("B", "IN"), gate("B", "IN"), gate("B", "OUT"), {{"LQ_PINTYPE", "PWR"}}};
    for (std::size_t i = 0; i < 7; ++i)
        for (const Attribute& a : attrs[i])
            p.pins[i].attributes.push_back(a);
    p.attributes = {{"LQ_GATESWAP", "2"}};
    return p;
}

// Two packages whose gates may move between them, P2's gate B routed; a resistor whose gates stay
// inside it; a connector without pin groups.
Board ProbeBoardFixture()
{
    Board b;
    b.parts = {Package("P1", {0, 0}), Package("P2", {20 * kMm, 0})};
    Part r = lqapptest::MakePart("R1", {10 * kMm, 10 * kMm}, {{-kMm, 0}, {kMm, 0}},
                                 {{"LQ_GATE", "R"}, {"LQ_GATEGROUP", "RES"}, {"LQ_PINGROUP", "1"}});
    r.attributes = {{"LQ_GATESWAP", "1"}};
    Part j = lqapptest::MakePart("J1", {-20 * kMm, 0}, {{0, 0}, {0, kMm}});
    j.attributes = {{"LQ_GATESWAP", "0"}};
    b.parts.push_back(r);
    b.parts.push_back(j);
    b.nets = {lqapptest::MakeNet("N1", {{"J1", "1"}, {"P1", "1"}}), lqapptest::MakeNet("N2", {{"J1", "2"}, {"P2", "1"}})};
    b.tracks = {Track{"", 1, 100000, Point{23 * kMm, -2 * kMm}, Point{23 * kMm, -10 * kMm}}};
    return b;
}

const ProbedGate* FindGate(const Board& board, const BoardProbe& probe, const std::string& label)
{
    for (const ProbedGate& g : probe.gates)
        if (GateLabel(board, g) == label)
            return &g;
    return nullptr;
}

}  // namespace

TEST(OverlayReading, MarkersAndEmphasisedObjects)
{
    RecordingDrawContext dc;
    CDrawObject pad;
    dc.PrepareDraw(0, 0, true);
    pad.DrawObject(&dc, 0x1FF);
    Marker(dc, CLQPoint(10, 0), {CLQPoint(0, -5), CLQPoint(20, -5)}, "A", 8, true);
    Marker(dc, CLQPoint(50, 0), {}, "", 8, false);
    Marker(dc, CLQPoint(10, 0), {CLQPoint(0, -5), CLQPoint(20, -5)}, "A", kSelectedMarkerFill, false);
    const OverlayPainting p = ReadOverlay(dc.Events());
    EXPECT_EQ(p.objects, std::vector<CDrawObject*>{&pad});
    ASSERT_EQ(p.markers.size(), 3u);
    EXPECT_EQ(p.markers[0].name, "A");
    EXPECT_EQ(p.markers[0].pinEnds, (std::vector<CLQPoint>{CLQPoint(0, -5), CLQPoint(20, -5)}));
    EXPECT_TRUE(p.markers[0].background);
    EXPECT_FALSE(p.markers[0].selected);
    EXPECT_TRUE(p.markers[1].pinEnds.empty());
    EXPECT_FALSE(p.markers[1].background);
    EXPECT_TRUE(p.markers[2].selected);
    EXPECT_TRUE(SameMarker(p.markers[0], p.markers[2]));
    EXPECT_FALSE(SameMarker(p.markers[0], p.markers[1]));
    dc.Clear();
    EXPECT_TRUE(dc.Events().empty());
    EXPECT_TRUE(dc.GetCalls().empty());
}

TEST(OverlayReading, GroupsFollowCandidatesFirstFit)
{
    // 0 and 2 are each other's candidates, 1 may not be swapped, 3 only names 0.
    const auto groups = GroupByCandidates({true, false, true, true, true}, {{2}, {}, {0}, {0}, {}});
    EXPECT_EQ(groups, (std::vector<std::vector<std::size_t>>{{0, 2, 3}, {4}}));
}

TEST(BoardProbing, GatesGroupsAndPinsAsThePlugInSeesThem)
{
    const Board board = ProbeBoardFixture();
    PlugInSession session(DefaultModulePath());
    HostSheet sheet(board, "probe.qbrd.json");
    const BoardProbe probe = ProbeBoard(session, sheet);

    std::vector<std::string> labels;
    for (const ProbedGate& g : probe.gates)
        labels.push_back(GateLabel(board, g));
    EXPECT_EQ(labels, (std::vector<std::string>{"P1 (pseudo-gate)", "P1 A", "P1 B", "P2 (pseudo-gate)", "P2 A", "P2 B",
                                                "R1 R"}));
    const ProbedGate* p1a = FindGate(board, probe, "P1 A");
    ASSERT_NE(p1a, nullptr);
    EXPECT_EQ(p1a->centre, CLQPoint(-2 * kMm, -kMm));
    EXPECT_EQ(p1a->pins, (std::vector<PinIndex>{{0, 0}, {0, 1}, {0, 2}}));
    EXPECT_TRUE(p1a->swappable);
    EXPECT_FALSE(FindGate(board, probe, "P2 B")->swappable);
    EXPECT_TRUE(FindGate(board, probe, "P1 (pseudo-gate)")->pseudo);
    EXPECT_EQ(FindGate(board, probe, "P1 (pseudo-gate)")->pins.size(), 7u);
    ASSERT_EQ(probe.gateGroups.size(), 1u);
    std::vector<std::string> group;
    for (std::size_t g : probe.gateGroups[0])
        group.push_back(GateLabel(board, probe.gates[g]));
    EXPECT_EQ(group, (std::vector<std::string>{"P1 A", "P1 B", "P2 A"}));
    EXPECT_FALSE(FindGate(board, probe, "R1 R")->group);

    const auto pin = [&](std::size_t part, std::size_t index) {
        return *std::find_if(probe.pins.begin(), probe.pins.end(),
                             [&](const ProbedPin& p) { return p.pin == PinIndex{part, index}; });
    };
    EXPECT_EQ(pin(0, 0).candidates, (std::vector<PinIndex>{PinIndex{0, 1}}));
    EXPECT_TRUE(pin(0, 2).swappable);
    EXPECT_TRUE(pin(0, 2).candidates.empty());
    EXPECT_EQ(pin(0, 6).answer, ProbedPin::Answer::NoPinGroup);
    EXPECT_EQ(pin(1, 5).answer, ProbedPin::Answer::Picked);
    EXPECT_FALSE(pin(1, 5).swappable);
    EXPECT_EQ(pin(3, 0).answer, ProbedPin::Answer::NoPinGroup);
    // The tools are at rest again and nothing was swapped.
    EXPECT_EQ(GetDrawTool(), nullptr);
    EXPECT_EQ(sheet.ReadBack().nets, board.nets);
    EXPECT_EQ(sheet.Sheet()->GetDrawingStore()->GetSelectedObjects().GetCount(), 0);
}

TEST(BoardProbing, TextSaysWhatCannotBeSeen)
{
    const Board board = ProbeBoardFixture();
    PlugInSession session(DefaultModulePath());
    HostSheet sheet(board, "probe.qbrd.json");
    const std::string text = FormatInfoText(board, "probe.qbrd.json", ProbeBoard(session, sheet));
    EXPECT_NE(text.find("  P1 A             real    at -2mm, -1mm; pins 1 2 3; group 1, swaps with P1 B, P2 A\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  P2.6       has a pin group but may not be swapped\n"), std::string::npos);
    EXPECT_NE(text.find("  1: P1.1, P1.2\n"), std::string::npos);
    EXPECT_NE(text.find("Gate group names are not drawn"), std::string::npos);
}
