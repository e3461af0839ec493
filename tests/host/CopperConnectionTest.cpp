// Which copper the host counts as connected to a pin's pad.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "host/HostApp.h"
#include "tests/support/BoardBuilder.h"

namespace {
using lqtest::BoardBuilder;

int CopperOf(CLayoutPin* pin, CDrawingStore* store = nullptr)
{
    CZNDynArray<CDrawObject*> copper(15), others(15);
    pin->GetNetConnection()->GetConnectedObjects(store, copper, others);
    return copper.GetCount();
}

void Polygon(BoardBuilder& b, int layer, std::vector<CLQPoint> corners)
{
    b.Sheet()->GetDrawingStore()->Add(std::make_unique<CLayoutPolygon>(layer, std::move(corners)));
}

struct CopperCase {
    const char* what;
    CLQPoint at;  // the pad reaches 10 further each way
    UINT layers;
    std::function<void(BoardBuilder&)> copper;
    int expected;
};

TEST(CopperConnection, TrackEndsAndViasInsideThePadOnASharedLayerAndPolygonsOverTheCentre)
{
    const UINT top = LQLayerBit(1);
    const CopperCase cases[] = {
        {"track end inside", {0, 0}, LQ_ALL_COPPER_LAYERS, [](BoardBuilder& b) { b.Track({5, 5}, {500, 5}, 1); }, 1},
        {"track end on the pad border", {0, 0}, top, [](BoardBuilder& b) { b.Track({10, -10}, {500, 5}, 1); }, 1},
        {"track end just outside", {0, 0}, top, [](BoardBuilder& b) { b.Track({11, 0}, {500, 0}, 1); }, 0},
        {"track on another layer", {0, 0}, top, [](BoardBuilder& b) { b.Track({0, 0}, {500, 0}, 2); }, 0},
        {"via inside a one-layer pad", {0, 0}, top, [](BoardBuilder& b) { b.Via({-10, 10}); }, 1},
        {"via outside", {0, 0}, top, [](BoardBuilder& b) { b.Via({0, 11}); }, 0},
        {"pad across an index cell border", {1 << 20, 0}, top,
         [](BoardBuilder& b) { b.Track({(1 << 20) - 9, 0}, {0, 0}, 1); }, 1},
        {"polygon over the centre", {0, 0}, top,
         [](BoardBuilder& b) { Polygon(b, 1, {{-1, -1}, {100, -1}, {100, 100}, {-1, 100}}); }, 1},
        {"polygon over the pad but not its centre", {0, 0}, top,
         [](BoardBuilder& b) { Polygon(b, 1, {{1, -20}, {100, -20}, {100, 20}, {1, 20}}); }, 0},
        {"polygon on another layer", {0, 0}, top,
         [](BoardBuilder& b) { Polygon(b, 2, {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}}); }, 0},
    };
    for (const CopperCase& c : cases) {
        BoardBuilder board;
        const CLQRect pad(c.at.x - 10, c.at.y - 10, c.at.x + 10, c.at.y + 10);
        CLayoutPin* pin = board.Sheet()->GetDrawingStore()->Add(std::make_unique<CLayoutPin>(c.at, pad, c.layers));
        c.copper(board);
        EXPECT_EQ(CopperOf(pin), c.expected) << c.what;
    }
}

TEST(CopperConnection, WithoutAStoreThePinsOwnDocumentAnswersAndFollowsEdits)
{
    BoardBuilder board;
    BoardBuilder other;
    CLayoutPin* pin = board.Pin(nullptr, {0, 0}, {});
    CLayoutTrack* track = board.Track({0, 0}, {100, 0});
    LQSetDrwSubSheet(nullptr);
    EXPECT_EQ(CopperOf(pin), 1);
    LQSetDrwSubSheet(other.Sheet());
    EXPECT_EQ(CopperOf(pin), 1);
    // A store that is given is the one asked.
    EXPECT_EQ(CopperOf(pin, other.Sheet()->GetDrawingStore()), 0);
    LQSetDrwSubSheet(nullptr);
    CLayoutPin loose(CLQPoint(0, 0), CLQRect(-10, -10, 10, 10));
    EXPECT_EQ(CopperOf(&loose), 0);

    track->Offset(50, 0);
    EXPECT_EQ(CopperOf(pin), 0);
    board.Via({3, 3});
    EXPECT_EQ(CopperOf(pin), 1);
    pin->Offset(1000, 0);
    EXPECT_EQ(CopperOf(pin), 0);
}

}  // namespace
