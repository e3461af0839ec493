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

// The small board with U2's gate B routed: its output pin U2.6 has a track on it.
Board ProbeBoardFixture()
{
    Board b = lqapptest::SmallBoard();
    b.tracks.push_back(Track{"BY", 1, 100000, Point{101 * kMm, 2 * kMm}, Point{101 * kMm, 10 * kMm}});
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

TEST(OverlayReading, MarkersEmphasisedObjectsAndGroupsOfCandidates)
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
    EXPECT_TRUE(p.markers[0].background && !p.markers[0].selected);
    EXPECT_TRUE(p.markers[1].pinEnds.empty() && !p.markers[1].background);
    EXPECT_TRUE(p.markers[2].selected);
    EXPECT_TRUE(SameMarker(p.markers[0], p.markers[2]));
    EXPECT_FALSE(SameMarker(p.markers[0], p.markers[1]));
    // Grouping follows the candidates, first fit: 0 and 2 are each other's, 1 may not be swapped, 3 only names 0.
    EXPECT_EQ(GroupByCandidates({true, false, true, true, true}, {{2}, {}, {0}, {0}, {}}),
              (std::vector<std::vector<std::size_t>>{{0, 2, 3}, {4}}));
}

TEST(BoardProbing, GatesGroupsAndPinsAsThePlugInSeesThemAndWhatTheTextSays)
{
    const Board board = ProbeBoardFixture();
    PlugInSession session(DefaultModulePath());
    HostSheet sheet(board, "probe.qbrd.json");
    const BoardProbe probe = ProbeBoard(session, sheet);

    std::vector<std::string> labels;
    for (const ProbedGate& g : probe.gates)
        labels.push_back(GateLabel(board, g));
    EXPECT_EQ(labels, (std::vector<std::string>{"R1 R", "U1 (pseudo-gate)", "U1 A", "U1 B", "U2 (pseudo-gate)", "U2 A", "U2 B"}));
    const ProbedGate* u1a = FindGate(board, probe, "U1 A");
    ASSERT_NE(u1a, nullptr);
    EXPECT_EQ(u1a->centre, CLQPoint(-kMm, -kMm));
    EXPECT_EQ(u1a->pins, (std::vector<PinIndex>{{0, 0}, {0, 1}, {0, 2}}));
    EXPECT_FALSE(FindGate(board, probe, "U2 B")->swappable);
    EXPECT_TRUE(FindGate(board, probe, "U1 (pseudo-gate)")->pseudo);
    EXPECT_EQ(FindGate(board, probe, "U1 (pseudo-gate)")->pins.size(), 7u);
    ASSERT_EQ(probe.gateGroups.size(), 1u);
    EXPECT_EQ(probe.gateGroups[0], (std::vector<std::size_t>{2, 3, 5}));  // U1 A, U1 B, U2 A
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

    // The text says what cannot be seen.
    const std::string text = FormatInfoText(board, "probe.qbrd.json", probe);
    EXPECT_NE(text.find("  U1 A             real    at -1mm, -1mm; pins 1 2 3; group 1, swaps with U1 B, U2 A\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("  U2.6       has a pin group but may not be swapped\n"), std::string::npos);
    EXPECT_NE(text.find("  1: U1.1, U1.2\n"), std::string::npos);
    EXPECT_NE(text.find("Gate group names are not drawn"), std::string::npos);
}
