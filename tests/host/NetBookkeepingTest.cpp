// Nets, net pins and pins keep each other's pointers consistent through every kind of removal.
#include <gtest/gtest.h>

#include "host/AttributeNames.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "tests/support/BoardBuilder.h"

namespace {
using lqtest::BoardBuilder;
using lqtest::NetOf;
using lqtest::PinsOf;
using Names = std::vector<std::string>;

class NetBookkeeping : public ::testing::Test {
protected:
    NetBookkeeping()
    {
        u1 = board.Part("U1");
        for (int i = 0; i < 4; ++i)
            pins[i] = board.Pin(u1, CLQPoint(100 * i, 0), {{LQ_PIN, std::to_string(i + 1)}});
    }
    BoardBuilder board;
    CLayoutComponent* u1 = nullptr;
    CLayoutPin* pins[4] = {};
};

TEST_F(NetBookkeeping, NetPinsKeepInsertionOrderAndRemovalKeepsTheRest)
{
    CLayoutNet* net = board.Net("N", {pins[2], pins[0], pins[3], pins[1]});
    EXPECT_EQ(PinsOf(net), (Names{"U1.3", "U1.1", "U1.4", "U1.2"}));

    CLayoutNetPin* second = pins[0]->GetNetConnection()->GetNetPin();
    EXPECT_TRUE(net->RemoveNetPin(second));
    EXPECT_EQ(PinsOf(net), (Names{"U1.3", "U1.4", "U1.2"}));
    EXPECT_EQ(second->GetNet(), nullptr);
    // Removal is not deletion: the pin still holds its net pin, which is now off every net.
    EXPECT_EQ(pins[0]->GetNetConnection()->GetNetPin(), second);
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

    // Still on its net.
    delete pins[1]->GetNetConnection()->GetNetPin();
    EXPECT_EQ(pins[1]->GetNetConnection()->GetNetPin(), nullptr);
    EXPECT_EQ(NetOf(pins[1]), "");
    EXPECT_EQ(PinsOf(net), (Names{"U1.1", "U1.3"}));

    // Already taken off its net.
    CLayoutNetPin* removed = pins[0]->GetNetConnection()->GetNetPin();
    ASSERT_TRUE(net->RemoveNetPin(removed));
    delete removed;
    EXPECT_EQ(pins[0]->GetNetConnection()->GetNetPin(), nullptr);
    EXPECT_EQ(PinsOf(net), (Names{"U1.3"}));

    // A net pin that its pin no longer points to leaves the pin's new net pin alone.
    CLayoutNetPin* old = pins[2]->GetNetConnection()->GetNetPin();
    net->RemoveNetPin(old);
    pins[2]->GetNetConnection()->SetNetPin(nullptr);
    BoardBuilder::Attach(pins[2], net);
    CLayoutNetPin* current = pins[2]->GetNetConnection()->GetNetPin();
    delete old;
    EXPECT_EQ(pins[2]->GetNetConnection()->GetNetPin(), current);
    EXPECT_EQ(PinsOf(net), (Names{"U1.3"}));
}

TEST_F(NetBookkeeping, DeletingANetOrASheetDeletesItsNetPinsCleanly)
{
    // Under the address sanitizer a dangling pointer in either direction fails here.
    {
        CLayoutNet temporary("TEMP");
        BoardBuilder::Attach(pins[0], &temporary);
    }
    EXPECT_EQ(pins[0]->GetNetConnection()->GetNetPin(), nullptr);

    board.Net("N1", {pins[0], pins[1]});
    CLayoutNet outside("OUTSIDE");
    BoardBuilder::Attach(pins[2], &outside);
    BoardBuilder::Attach(pins[3], &outside);
    LQCloseSubSheet(board.Release());
    // The pins deleted with the sheet took their net pins off the net that outlives it.
    EXPECT_EQ(outside.GetNetPinCount(), 0);
}

}  // namespace
