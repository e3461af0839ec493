// The pin swap distance: which pins of the partner's net count, the fallbacks, and exact lengths.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/AttributeNames.h"
#include "host/Net.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::ModuleTest;

constexpr std::int64_t kNothing = INT64_MAX;

// Worked out apart from the module: a floating estimate, corrected with exact 128-bit squares.
std::int64_t ReferenceDistance(CLQPoint a, CLQPoint b)
{
    const __int128 dx = static_cast<__int128>(a.x) - b.x;
    const __int128 dy = static_cast<__int128>(a.y) - b.y;
    const unsigned __int128 sum = static_cast<unsigned __int128>(dx * dx + dy * dy);
    unsigned __int128 r = static_cast<unsigned __int128>(std::floor(std::sqrt(static_cast<long double>(sum))));
    while (r * r > sum)
        --r;
    while ((r + 1) * (r + 1) <= sum)
        ++r;
    return static_cast<std::int64_t>(r);
}

class PinDistance : public ModuleTest {
protected:
    // A gate on its own component with pins at the given points; the pins have no pads to speak of,
    // so that points at the coordinate limits stay representable.
    CGate* GateWith(std::vector<CLQPoint> points)
    {
        CLayoutComponent* part = board.Part("U" + std::to_string(m_gates.size() + 1));
        m_gates.push_back(std::make_unique<CGate>(part, "1", "G"));
        for (const CLQPoint& at : points)
            m_gates.back()->AddPin(board.Pin(part, at, {{LQ_PIN, std::to_string(++m_nPins)}}, 0));
        return m_gates.back().get();
    }
    // A second gate on the component of an existing one.
    CGate* GateBeside(CGate* gate, std::vector<CLQPoint> points)
    {
        m_gates.push_back(std::make_unique<CGate>(gate->GetComponent(), "2", "G"));
        for (const CLQPoint& at : points)
            m_gates.back()->AddPin(board.Pin(gate->GetComponent(), at, {{LQ_PIN, std::to_string(++m_nPins)}}, 0));
        return m_gates.back().get();
    }
    CLayoutPin* Foreign(CLQPoint at) { return GateWith({at})->GetPins()[0]; }
    static CSwapItem* Item(CGate* gate, std::size_t i) { return gate->GetSwapPinItems().at(i); }
    static CLayoutPin* Pin(CGate* gate, std::size_t i) { return gate->GetPins().at(i); }
    static std::int64_t Distance(CSwapItem* a, CSwapItem* b, std::int64_t fallback = 0)
    {
        CObject** data = nullptr;
        return a->GetDistance(b, data, fallback);
    }

    std::vector<std::unique_ptr<CGate>> m_gates;
    int m_nPins = 0;
};

TEST_F(PinDistance, PinsOutsideBothGatesDecide)
{
    // Own pin at the origin, the only other pin 3 right and 4 up on another component.
    CGate* a = GateWith({{0, 0}});
    board.Net("N1", {Pin(a, 0), Foreign({3, 4})});
    EXPECT_EQ(Distance(Item(a, 0), Item(a, 0)), 5);

    // A foreign pin at 100 wins over a pin of the partner's gate at 10.
    CGate* a2 = GateWith({{1000, 0}});
    CGate* b2 = GateWith({{1010, 0}});
    board.Net("N2", {Pin(b2, 0), Foreign({1100, 0})});
    EXPECT_EQ(Distance(Item(a2, 0), Item(b2, 0)), 100);

    // The nearest of several foreign pins, also one at the same place.
    CGate* a3 = GateWith({{5000, 0}});
    board.Net("N3", {Pin(a3, 0), Foreign({5050, 0}), Foreign({5000, 30}), Foreign({4960, 0})});
    EXPECT_EQ(Distance(Item(a3, 0), Item(a3, 0)), 30);
    CGate* a4 = GateWith({{7000, 7000}});
    board.Net("N4", {Pin(a4, 0), Foreign({7000, 7000})});
    EXPECT_EQ(Distance(Item(a4, 0), Item(a4, 0)), 0);
}

TEST_F(PinDistance, WithoutForeignPinsThePartnersGateComesBeforeTheOwnGate)
{
    // Pins of the partner's gate at 30 and 20 beat a nearer pin of the own gate at 5.
    CGate* a = GateWith({{0, 0}, {5, 0}});
    CGate* b = GateWith({{30, 0}, {0, 20}});
    board.Net("N1", {Pin(b, 0), Pin(a, 1), Pin(b, 1)});
    EXPECT_EQ(Distance(Item(a, 0), Item(b, 0)), 20);

    // The partner's gate is the own gate: its pins count only as own-gate pins.
    CGate* c = GateWith({{1000, 0}, {1007, 0}, {1012, 0}});
    board.Net("N2", {Pin(c, 2), Pin(c, 1)});
    EXPECT_EQ(Distance(Item(c, 0), Item(c, 1)), 7);

    // The own pin on the net belongs to the own gate and is the nearest of that list.
    CGate* d = GateWith({{2000, 0}, {2009, 0}});
    board.Net("N3", {Pin(d, 1), Pin(d, 0)});
    EXPECT_EQ(Distance(Item(d, 0), Item(d, 0)), 0);

    // Another gate of the same component is the partner's gate, not the own one.
    CGate* e = GateWith({{3000, 0}});
    CGate* f = GateBeside(e, {{3030, 0}, {3000, 5}});
    board.Net("N4", {Pin(f, 0), Pin(e, 0)});
    EXPECT_EQ(Distance(Item(e, 0), Item(f, 0)), 30);
    CGate* g = GateWith({{4000, 0}, {4000, 8}});
    board.Net("N5", {Pin(g, 1), Pin(f, 1)});
    EXPECT_EQ(Distance(Item(g, 0), Item(g, 1)), 1000) << "f's pin is foreign to g";
}

TEST_F(PinDistance, UnconnectedPartnerGivesTheFallbackByItsLiveNet)
{
    CGate* a = GateWith({{0, 0}});
    CGate* b = GateWith({{10, 0}});
    board.Net("N1", {Pin(a, 0), Foreign({3, 4})});
    for (std::int64_t fallback : {std::int64_t{0}, std::int64_t{777}, std::int64_t{-5}, kNothing})
        EXPECT_EQ(Distance(Item(a, 0), Item(b, 0), fallback), fallback);
    EXPECT_EQ(Distance(Item(b, 0), Item(b, 0), 42), 42);

    // Items remember the net they were made with; the live net decides.
    CLayoutNet* n2 = board.Net("N2", {Foreign({30, 40})});
    lqtest::BoardBuilder::Attach(Pin(b, 0), n2);
    EXPECT_EQ(Distance(Item(a, 0), Item(b, 0), 42), 50);
    CSwapItemPin::Unconnect(Pin(a, 0));
    EXPECT_EQ(Distance(Item(b, 0), Item(a, 0), 42), 42);
}

TEST_F(PinDistance, OtherKindsGiveMinusOneAndDataIsLeftAlone)
{
    CGate* a = GateWith({{0, 0}});
    board.Net("N1", {Pin(a, 0), Foreign({3, 4})});
    CSwapItemGate gateItem(a, true);
    CObject* sentinel = &gateItem;
    CObject** data = &sentinel;
    EXPECT_EQ(Item(a, 0)->GetDistance(&gateItem, data, 0), -1);
    EXPECT_EQ(Item(a, 0)->GetDistance(nullptr, data, 0), -1);
    EXPECT_EQ(Item(a, 0)->GetDistance(Item(a, 0), data, 0), 5);
    EXPECT_EQ(data, &sentinel);
    EXPECT_EQ(sentinel, &gateItem);
}

TEST_F(PinDistance, NetWithoutLayoutPinsMeasuresNothing)
{
    CGate* a = GateWith({{0, 0}});
    CGate* b = GateWith({{10, 0}});
    CLayoutNet* net = board.Net("N1");
    // The partner's net pin stands for another kind of object; a second one for nothing at all.
    auto* stranger = new CLayoutNetPin(CPoolString("R1"), CPoolString("1"));
    stranger->SetDrawObject(board.Via({500, 500}));
    stranger->SetNet(net);
    net->AddNetPin(stranger);
    auto* empty = new CLayoutNetPin(CPoolString("R2"), CPoolString("1"));
    empty->SetNet(net);
    net->AddNetPin(empty);
    Pin(b, 0)->GetNetConnection()->SetNetPin(stranger);
    EXPECT_EQ(Distance(Item(a, 0), Item(b, 0), 0), kNothing);
    // The net owns both net pins; the pin must not delete one of them again.
    Pin(b, 0)->GetNetConnection()->SetNetPin(nullptr);
}

TEST_F(PinDistance, LengthsAreExactOverTheWholeCoordinateRange)
{
    constexpr std::int32_t kMax = INT32_MAX;
    constexpr std::int32_t kMin = INT32_MIN;
    struct Case {
        CLQPoint from;
        CLQPoint to;
    };
    // 889516851 - INT32_MIN is 3037000499, the largest side whose square stays below 2^63.
    const Case cases[] = {
        {{kMin, kMin}, {kMax, kMax}}, {{kMax, kMin}, {kMin, kMax}}, {{kMin, 0}, {kMax, 0}},
        {{0, kMax}, {0, kMin}},       {{kMin, kMin}, {kMax, 0}},    {{kMin, 0}, {889516851, 0}},
        {{kMin, 0}, {889516852, 0}},  {{0, 0}, {kMax, kMax}},       {{kMin, kMin}, {0, 0}},
        {{kMin, 7}, {kMax, -7}},      {{-1, -1}, {kMax, kMax}},     {{12, -5}, {-12, 5}},
    };
    for (const Case& c : cases) {
        CGate* a = GateWith({c.from});
        board.Net("N", {Pin(a, 0), Foreign(c.to)});
        const std::int64_t expected = ReferenceDistance(c.from, c.to);
        EXPECT_EQ(Distance(Item(a, 0), Item(a, 0)), expected)
            << "(" << c.from.x << "," << c.from.y << ") to (" << c.to.x << "," << c.to.y << ")";
    }
    // floor(sqrt(2) * (2^32 - 1)), and the side lengths that straddle 2^63 in the sum of squares.
    EXPECT_EQ(LQPointDistance({kMin, kMin}, {kMax, kMax}), 6074000998);
    EXPECT_EQ(LQPointDistance({kMin, 0}, {kMax, 0}), 4294967295);
    EXPECT_EQ(LQPointDistance({kMin, kMin}, {kMax, 0}), 4801919416);
    EXPECT_EQ(LQPointDistance({kMin, 0}, {889516851, 0}), 3037000499);
    EXPECT_EQ(LQPointDistance({kMin, 0}, {889516852, 0}), 3037000500);
    EXPECT_EQ(LQPointDistance({kMin, kMin}, {0, 0}), 3037000499);
    EXPECT_EQ(ReferenceDistance({kMin, kMin}, {kMax, kMax}), 6074000998);
}

}  // namespace
