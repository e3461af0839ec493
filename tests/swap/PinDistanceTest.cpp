// The pin swap distance: which pins of the partner's net count, the fallbacks, and exact lengths.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "host/AttributeNames.h"
#include "host/Net.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemGate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
constexpr std::int64_t kNothing = INT64_MAX;

class PinDistance : public ModuleTest {
protected:
    // A gate with pins at the given points, on its own component or beside another gate; the pads
    // have no size, so that points at the coordinate limits stay representable.
    CGate* GateWith(std::vector<CLQPoint> points, CGate* beside = nullptr)
    {
        CLayoutComponent* part = beside ? beside->GetComponent() : board.Part("U" + std::to_string(m_gates.size() + 1));
        m_gates.push_back(std::make_unique<CGate>(part, beside ? "2" : "1", "G"));
        for (const CLQPoint& at : points)
            m_gates.back()->AddPin(board.Pin(part, at, {{LQ_PIN, std::to_string(++m_nPins)}}, 0));
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
    // The partner's gate is the own gate: its pins count only as own-gate pins, the own pin too.
    CGate* c = GateWith({{1000, 0}, {1007, 0}, {1012, 0}});
    board.Net("N2", {Pin(c, 2), Pin(c, 1)});
    EXPECT_EQ(Distance(Item(c, 0), Item(c, 1)), 7);
    CGate* d = GateWith({{2000, 0}, {2009, 0}});
    board.Net("N3", {Pin(d, 1), Pin(d, 0)});
    EXPECT_EQ(Distance(Item(d, 0), Item(d, 0)), 0);
    // Another gate of the same component is the partner's gate, not the own one.
    CGate* e = GateWith({{3000, 0}});
    CGate* f = GateWith({{3030, 0}, {3000, 5}}, e);
    board.Net("N4", {Pin(f, 0), Pin(e, 0)});
    EXPECT_EQ(Distance(Item(e, 0), Item(f, 0)), 30);
    CGate* g = GateWith({{4000, 0}, {4000, 8}});
    board.Net("N5", {Pin(g, 1), Pin(f, 1)});
    EXPECT_EQ(Distance(Item(g, 0), Item(g, 1)), 1000) << "f's pin is foreign to g";
}

TEST_F(PinDistance, AnUnconnectedPartnerGivesTheFallbackByItsLiveNetAndOtherKindsMinusOne)
{
    CGate* a = GateWith({{0, 0}});
    CGate* b = GateWith({{10, 0}});
    board.Net("N1", {Pin(a, 0), Foreign({3, 4})});
    for (std::int64_t fallback : {std::int64_t{0}, std::int64_t{777}, std::int64_t{-5}, kNothing})
        EXPECT_EQ(Distance(Item(a, 0), Item(b, 0), fallback), fallback);
    CSwapItemGate gateItem(a, true);
    CObject* sentinel = &gateItem;
    CObject** data = &sentinel;
    EXPECT_EQ(Item(a, 0)->GetDistance(&gateItem, data, 0), -1);
    EXPECT_EQ(Item(a, 0)->GetDistance(nullptr, data, 0), -1);
    EXPECT_EQ(Item(a, 0)->GetDistance(Item(a, 0), data, 0), 5);
    EXPECT_EQ(data, &sentinel);
    EXPECT_EQ(sentinel, &gateItem);

    // Items remember the net they were made with; the live net decides.
    CLayoutNetlist::AttachPin(Pin(b, 0), board.Net("N2", {Foreign({30, 40})}));
    EXPECT_EQ(Distance(Item(a, 0), Item(b, 0), 42), 50);
    CSwapItemPin::Unconnect(Pin(a, 0));
    EXPECT_EQ(Distance(Item(b, 0), Item(a, 0), 42), 42);
}

TEST_F(PinDistance, NetWithoutLayoutPinsMeasuresNothing)
{
    CGate* a = GateWith({{0, 0}});
    CGate* b = GateWith({{10, 0}});
    CLayoutNet* net = board.Net("N1");
    // The partner's net pin stands for another kind of object; a second one for nothing at all.
    auto* stranger = new CLayoutNetPin(CPoolString("R1"), CPoolString("1"));
    stranger->SetDrawObject(board.Via({500, 500}));
    auto* empty = new CLayoutNetPin(CPoolString("R2"), CPoolString("1"));
    for (CLayoutNetPin* netPin : {stranger, empty}) {
        netPin->SetNet(net);
        net->AddNetPin(netPin);
    }
    Pin(b, 0)->GetNetConnection()->SetNetPin(stranger);
    EXPECT_EQ(Distance(Item(a, 0), Item(b, 0), 0), kNothing);
    // The net owns both net pins; the pin must not delete one of them again.
    Pin(b, 0)->GetNetConnection()->SetNetPin(nullptr);
}

TEST_F(PinDistance, LengthsAreExactOverTheWholeCoordinateRange)
{
    constexpr std::int32_t kMax = INT32_MAX, kMin = INT32_MIN;
    // 889516851 - INT32_MIN is 3037000499, the largest side whose square stays below 2^63.
    const struct {
        CLQPoint from, to;
        std::int64_t length;
    } cases[] = {
        {{kMin, kMin}, {kMax, kMax}, 6074000998}, {{kMax, kMin}, {kMin, kMax}, 6074000998},
        {{kMin, 0}, {kMax, 0}, 4294967295},       {{0, kMax}, {0, kMin}, 4294967295},
        {{kMin, kMin}, {kMax, 0}, 4801919416},    {{kMin, 0}, {889516851, 0}, 3037000499},
        {{kMin, 0}, {889516852, 0}, 3037000500},  {{0, 0}, {kMax, kMax}, 3037000498},
        {{kMin, kMin}, {0, 0}, 3037000499},       {{kMin, 7}, {kMax, -7}, 4294967295},
        {{-1, -1}, {kMax, kMax}, 3037000499},     {{12, -5}, {-12, 5}, 26},
    };
    for (const auto& c : cases) {
        CGate* a = GateWith({c.from});
        board.Net("N", {Pin(a, 0), Foreign(c.to)});
        EXPECT_EQ(Distance(Item(a, 0), Item(a, 0)), c.length)
            << "(" << c.from.x << "," << c.from.y << ") to (" << c.to.x << "," << c.to.y << ")";
    }
}

}  // namespace
