// Nets, net pins and pins keep each other's pointers consistent through removal and deletion;
// which copper the host counts as connected to a pin's pad.
#include <gtest/gtest.h>

#include <functional>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "host/Netlist.h"
#include "tests/support/BoardBuilder.h"

namespace {
using namespace lqtest;
using Names = std::vector<std::string>;

class NetBookkeeping : public ::testing::Test {
protected:
    NetBookkeeping()
    {
        CLayoutComponent* u1 = board.Part("U1");
        for (int i = 0; i < 4; ++i)
            pins[i] = board.Pin(u1, CLQPoint(100 * i, 0), {{LQ_PIN, std::to_string(i + 1)}});
    }
    CLayoutNetPin* NetPin(int i) { return pins[i]->GetNetConnection()->GetNetPin(); }

    BoardBuilder board;
    CLayoutPin* pins[4] = {};
};

TEST_F(NetBookkeeping, NetPinsKeepInsertionOrderAndRemovalKeepsTheRest)
{
    CLayoutNet* net = board.Net("N", {pins[2], pins[0], pins[3], pins[1]});
    EXPECT_EQ(PinsOf(net), (Names{"U1.3", "U1.1", "U1.4", "U1.2"}));
    CLayoutNetPin* second = NetPin(0);
    EXPECT_TRUE(net->RemoveNetPin(second));
    EXPECT_EQ(PinsOf(net), (Names{"U1.3", "U1.4", "U1.2"}));
    // Removal is not deletion: the pin still holds its net pin, which is now off every net.
    EXPECT_EQ(second->GetNet(), nullptr);
    EXPECT_EQ(NetPin(0), second);
    EXPECT_EQ(NetOf(pins[0]), "");
    EXPECT_FALSE(net->RemoveNetPin(second));
    // Adding back appends; adding twice keeps one entry.
    second->SetNet(net);
    net->AddNetPin(second);
    net->AddNetPin(second);
    EXPECT_EQ(PinsOf(net), (Names{"U1.3", "U1.4", "U1.2", "U1.1"}));
}

TEST_F(NetBookkeeping, DeletingANetPinLeavesNoPointerBehind)
{
    CLayoutNet* net = board.Net("N", {pins[0], pins[1], pins[2]});
    delete NetPin(1);  // still on its net
    EXPECT_EQ(NetPin(1), nullptr);
    EXPECT_EQ(PinsOf(net), (Names{"U1.1", "U1.3"}));
    CLayoutNetPin* removed = NetPin(0);  // already taken off its net
    ASSERT_TRUE(net->RemoveNetPin(removed));
    delete removed;
    EXPECT_EQ(NetPin(0), nullptr);
    EXPECT_EQ(PinsOf(net), (Names{"U1.3"}));

    // A net pin that its pin no longer points to leaves the pin's new net pin alone.
    CLayoutNetPin* old = NetPin(2);
    net->RemoveNetPin(old);
    pins[2]->GetNetConnection()->SetNetPin(nullptr);
    CLayoutNetlist::AttachPin(pins[2], net);
    CLayoutNetPin* current = NetPin(2);
    delete old;
    EXPECT_EQ(NetPin(2), current);
    EXPECT_EQ(PinsOf(net), (Names{"U1.3"}));
}

TEST_F(NetBookkeeping, TheNetlistRecordsEachEditWithItsNetPinDirectionAndSwitch)
{
    CLayoutNet* a = board.Net("A", {pins[0], pins[1]});
    CLayoutNet* b = board.Net("B", {pins[2]});
    CLayoutNetlist* netlist = board.Sheet()->GetNetlist();
    netlist->ClearRecords();
    ASSERT_TRUE(netlist->GetEdits().empty());
    // Every combination of direction and back-annotation switch, on two nets.
    CLayoutNetPin* moved = NetPin(1);
    a->RemoveNetPin(moved);
    CLayoutNet::m_bBackAnnotate = false;
    moved->SetNet(b);
    b->AddNetPin(moved);
    b->RemoveNetPin(moved);
    CLayoutNet::m_bBackAnnotate = true;
    moved->SetNet(a);
    a->AddNetPin(moved);
    Names edits;
    for (const CNetEdit& e : netlist->GetEdits())
        edits.push_back(std::string(e.bAdd ? "+" : "-") + e.pNet->GetName().str() + (e.pObject == pins[1] ? ".2" : "?") +
                        (e.bBackAnnotate ? " BA" : ""));
    EXPECT_EQ(edits, (Names{"-A.2 BA", "+B.2", "-B.2", "+A.2 BA"}));
}

int CopperOf(CLayoutPin* pin, CDrawingStore* store = nullptr, int* pOthers = nullptr)
{
    CZNDynArray<CDrawObject*> copper(15), others(15);
    pin->GetNetConnection()->GetConnectedObjects(store, copper, others);
    if (pOthers != nullptr)
        *pOthers = others.GetCount();
    return copper.GetCount();
}

using Copper = std::function<void(BoardBuilder&)>;
Copper Track(CLQPoint from, CLQPoint to, int layer) { return [=](BoardBuilder& b) { b.Track(from, to, layer); }; }
Copper Via(CLQPoint at) { return [=](BoardBuilder& b) { b.Via(at); }; }
Copper Polygon(int layer, std::vector<CLQPoint> corners)
{
    return [=](BoardBuilder& b) {
        b.Sheet()->GetDrawingStore()->Add(std::make_unique<CLayoutPolygon>(layer, corners));
    };
}

TEST(CopperConnection, TrackEndsAndViasInsideThePadOnASharedLayerAndPolygonsOverTheCentre)
{
    const UINT top = LQLayerBit(1);
    const struct {
        const char* what;
        CLQPoint at;  // the pad reaches 10 further each way
        UINT layers;
        Copper copper;
        int expected;
    } cases[] = {
        {"track end inside", {0, 0}, LQ_ALL_COPPER_LAYERS, Track({5, 5}, {500, 5}, 1), 1},
        {"track end on the pad border", {0, 0}, top, Track({10, -10}, {500, 5}, 1), 1},
        {"track end just outside", {0, 0}, top, Track({11, 0}, {500, 0}, 1), 0},
        {"track on another layer", {0, 0}, top, Track({0, 0}, {500, 0}, 2), 0},
        {"via inside a one-layer pad", {0, 0}, top, Via({-10, 10}), 1},
        {"via outside", {0, 0}, top, Via({0, 11}), 0},
        {"pad across an index cell border", {1 << 20, 0}, top, Track({(1 << 20) - 9, 0}, {0, 0}, 1), 1},
        {"polygon over the centre", {0, 0}, top, Polygon(1, {{-1, -1}, {100, -1}, {100, 100}, {-1, 100}}), 1},
        {"polygon over the pad only", {0, 0}, top, Polygon(1, {{1, -20}, {100, -20}, {100, 20}, {1, 20}}), 0},
        {"polygon on another layer", {0, 0}, top, Polygon(2, {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}}), 0},
    };
    for (const auto& c : cases) {
        BoardBuilder board;
        const CLQRect pad(c.at.x - 10, c.at.y - 10, c.at.x + 10, c.at.y + 10);
        CLayoutPin* pin = board.Sheet()->GetDrawingStore()->Add(std::make_unique<CLayoutPin>(c.at, pad, c.layers));
        c.copper(board);
        EXPECT_EQ(CopperOf(pin), c.expected) << c.what;
    }
}

TEST(CopperConnection, WhatMovesAfterTheFirstQueryIsFoundWhereItIsNow)
{
    BoardBuilder board;
    CLayoutComponent* u1 = board.Part("U1");
    CLayoutPin* a = board.Pin(u1, CLQPoint(0, 0), {{LQ_PIN, "1"}});
    CLayoutPin* b = board.Pin(u1, CLQPoint(3 << 20, 0), {{LQ_PIN, "2"}});
    CLayoutTrack* track = board.Track({5, 0}, {500, 0});
    int others = -1;
    ASSERT_EQ(CopperOf(a, nullptr, &others), 1);
    EXPECT_EQ(others, 0);
    EXPECT_EQ(CopperOf(b), 0);

    // Pads moved across index cells, off the track and onto another pad, and back.
    a->Offset(3 << 20, 5);
    EXPECT_EQ(CopperOf(a, nullptr, &others), 0);
    EXPECT_EQ(others, 1);
    EXPECT_EQ(CopperOf(b, nullptr, &others), 0);
    EXPECT_EQ(others, 1);
    a->Offset(-(3 << 20), -5);
    EXPECT_EQ(CopperOf(a, nullptr, &others), 1);
    EXPECT_EQ(others, 0);
    EXPECT_EQ(CopperOf(b, nullptr, &others), 0);
    EXPECT_EQ(others, 0);
    // A whole part moves its pads with it.
    u1->Offset(1000, 0);
    EXPECT_EQ(CopperOf(a), 0);
    // Moved copper is found where it is now, and new copper at once.
    track->Offset(1000, 0);
    EXPECT_EQ(CopperOf(a), 1);
    board.Via(CLQPoint((3 << 20) + 1000, 0));
    EXPECT_EQ(CopperOf(b), 1);

    // Pads of every width are found under a location away from their centres: three cells wide,
    // and wider than a query looks around (checked by every query), before and after a move.
    CLayoutPin* c = board.Pin(u1, CLQPoint(20 << 20, 0), {{LQ_PIN, "3"}});
    CLayoutPin* three = board.Pin(u1, CLQPoint((20 << 20) + (3 << 19), 0), {{LQ_PIN, "4"}}, (3 << 20) / 2);
    CLayoutPin* wide = board.Pin(u1, CLQPoint((20 << 20) - (6 << 20), 0), {{LQ_PIN, "5"}}, 7 << 20);
    CopperOf(c, nullptr, &others);
    EXPECT_EQ(others, 2);
    wide->Offset(-(2 << 20), 0);
    CopperOf(c, nullptr, &others);
    EXPECT_EQ(others, 1);
    three->Offset(3 << 20, 0);
    CopperOf(c, nullptr, &others);
    EXPECT_EQ(others, 0);
}

}  // namespace
