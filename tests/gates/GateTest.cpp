// The gate record (pins, identity, pin search IDs, centre, marker size, swap pin items and
// groups) and the gate marker as the calls it makes on a draw context.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "host/AttributeNames.h"
#include "host/Net.h"
#include "module/gates/Gate.h"
#include "module/swap/SwapItemPin.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
using Calls = std::vector<std::string>;
using PinGroups = std::vector<std::vector<CLayoutPin*>>;

class ProbeGate : public CGate {
public:
    using CGate::CGate;
    using CGate::GetPinSearchIDs;
};

// The groups as pins, every item checked to be one of the gate's own items.
PinGroups GroupPins(CGate& gate)
{
    const std::vector<CSwapItem*>& items = gate.GetSwapPinItems();
    PinGroups out;
    for (const std::vector<CSwapItem*>& group : gate.GetSwapPinItemGroups()) {
        out.emplace_back();
        for (CSwapItem* item : group) {
            EXPECT_NE(std::find(items.begin(), items.end(), item), items.end());
            out.back().push_back(static_cast<CSwapItemPin*>(item)->GetPin());
        }
    }
    return out;
}

// A pin's place and LQ_PINTYPE ("" for none).
struct PinDef {
    CLQPoint at;
    const char* type;
};

class GateRecord : public ModuleTest {
protected:
    CLayoutPin* PinAt(CLayoutComponent* part, CLQPoint at, const char* type = "", int halfPad = 10)
    {
        Attrs attrs{{LQ_PIN, std::to_string(++m_nPins)}};
        if (*type != '\0')
            attrs.emplace_back(LQ_PINTYPE, type);
        return board.Pin(part, at, attrs, halfPad);
    }
    int m_nPins = 0;
};

TEST_F(GateRecord, AddPinKeepsOwnPinsInOrderWithDuplicatesAndRefusesOthers)
{
    CLayoutComponent* u1 = board.Part("U1");
    CLayoutPin* a = PinAt(u1, {0, 0});
    CLayoutPin* b = PinAt(u1, {10, 0});
    CGate gate(u1, "A", "G");
    EXPECT_TRUE(gate.AddPin(b));
    EXPECT_TRUE(gate.AddPin(a));
    EXPECT_TRUE(gate.AddPin(b));
    EXPECT_FALSE(gate.AddPin(PinAt(board.Part("U2"), {0, 0})));
    EXPECT_FALSE(gate.AddPin(PinAt(nullptr, {0, 0})));
    EXPECT_EQ(gate.GetPins(), (std::vector<CLayoutPin*>{b, a, b}));
}

TEST_F(GateRecord, PinSearchIdsOfRealGatesAddTheNetSerialToPowerPinsOnly)
{
    CLayoutComponent* u1 = board.Part("U1");
    const Attrs power{{LQ_PIN, "14"}, {LQ_LABEL, "VCC"}, {LQ_GATE, "A"}, {LQ_PINGROUP, "PW"}, {LQ_GATEGROUP, "G"}};
    auto powerPin = [&](const char* type) {
        Attrs attrs = power;
        attrs.emplace_back(LQ_PINTYPE, type);
        return board.Pin(u1, {0, 0}, attrs);
    };
    CLayoutPin* signal = board.Pin(u1, {0, 0}, {{LQ_PIN, "1"}, {LQ_LABEL, "IN"}, {LQ_GATE, "A"}, {LQ_PINGROUP, "P1"}});
    CLayoutPin* noGroup = board.Pin(u1, {0, 0}, {{LQ_PIN, "2"}, {LQ_GATE, "A"}});
    CLayoutPin *vcc1 = powerPin("PWR"), *vcc2 = powerPin("pwr"), *unconnected = powerPin("Pwr"),
               *elsewhere = powerPin("PWR");
    const std::string n1 = std::to_string(board.Net("VCC", {vcc1, vcc2, signal})->GetSerial());
    const std::string n2 = std::to_string(board.Net("VDD", {elsewhere})->GetSerial());
    ASSERT_NE(n1, n2);

    ProbeGate real(u1, "A", "G"), pseudo(u1, "", "");
    for (CLayoutPin* pin : {signal, noGroup, vcc1, vcc2, unconnected, elsewhere}) {
        real.AddPin(pin);
        pseudo.AddPin(pin);
    }
    auto texts = [](const std::vector<CPoolString>& ids) {
        std::vector<std::string> out(ids.size());
        std::transform(ids.begin(), ids.end(), out.begin(), [](const CPoolString& id) { return id.GetString(); });
        return out;
    };
    const std::string id = "LQ_GATE:A;LQ_LABEL:VCC;LQ_PIN:14;LQ_PINGROUP:PW;";
    EXPECT_EQ(texts(real.GetPinSearchIDs()),
              (std::vector<std::string>{"LQ_PINGROUP:P1;", "", id + n1, id + n1, id + "0", id + n2}));
    EXPECT_EQ(texts(pseudo.GetPinSearchIDs()),
              (std::vector<std::string>{"LQ_GATE:A;LQ_LABEL:IN;LQ_PIN:1;LQ_PINGROUP:P1;", "LQ_GATE:A;LQ_PIN:2;", id, id,
                                        id, id}));
}

TEST_F(GateRecord, CentreHalvesTowardZeroAlongTheLongerExtentAndTowardTheComponentAlongTheOther)
{
    constexpr std::int32_t kMax = INT32_MAX, kMin = INT32_MIN;
    const struct {
        const char* name;
        CLQRect outline;
        std::vector<PinDef> pins;
        CLQPoint centre;
    } cases[] = {
        {"horizontal row", {0, 0, 200, 100}, {{{0, 0}, ""}, {{100, 0}, ""}, {{200, 10}, ""}}, {100, 27}},
        {"vertical column", {0, 0, 120, 200}, {{{0, 0}, ""}, {{10, 300}, ""}}, {32, 150}},
        {"square counts as vertical", {0, 0, 600, 600}, {{{0, 0}, ""}, {{100, 100}, ""}}, {175, 50}},
        {"PWR pins left out, lower-case pwr kept", {0, 0, 600, 600},
         {{{0, 0}, ""}, {{100, 0}, ""}, {{5000, 5000}, "PWR"}, {{100, 40}, "pwr"}}, {50, 160}},
        {"only power pins", {0, 0, 601, 100}, {{{1000, 1000}, "PWR"}, {{2000, 3000}, "PWR"}}, {150, 0}},
        {"single negative pin", {0, 0, 0, 0}, {{{-3, -7}, ""}}, {-1, -7}},
        {"negative row", {0, 0, 0, 0}, {{{-5, -1}, ""}, {{-2, -1}, ""}}, {-3, 0}},
        {"near the upper limit", {kMax - 100, kMax - 100, kMax, kMax},
         {{{kMax - 10, kMax - 2}, ""}, {{kMax, kMax}, ""}}, {kMax - 5, kMax - 26}},
        {"near the lower limit", {kMin, kMin, kMin + 2, kMin + 2}, {{{kMin, kMin}, ""}, {{kMin + 9, kMin}, ""}},
         {kMin + 5, kMin + 1}},
        {"extent across the whole range", {0, 0, 0, 200}, {{{kMin, 0}, ""}, {{kMax - 2, 1}, ""}}, {-1, 50}},
    };
    for (const auto& c : cases) {
        CLayoutComponent* part = board.Part("U1", 1, true, {}, c.outline);
        CGate gate(part, "A", "G");
        for (const PinDef& p : c.pins)
            gate.AddPin(PinAt(part, p.at, p.type, 0));
        EXPECT_EQ(gate.GetCenterPoint(), c.centre) << c.name;
    }
    // Recomputed on every request.
    CGate gate(board.Part("U2", 1, true, {}, {0, 0, 0, 0}), "A", "G");
    gate.AddPin(PinAt(gate.GetComponent(), {0, 0}));
    gate.AddPin(PinAt(gate.GetComponent(), {100, 0}));
    gate.GetPins()[1]->Offset(100, 0);
    EXPECT_EQ(gate.GetCenterPoint(), CLQPoint(100, 0));
}

TEST_F(GateRecord, RealGatesGroupSwappablePinsOverTheSameItemsAndPseudoGatesKeepEachPinAlone)
{
    CLayoutComponent* u1 = board.Part("U1", 1, true);
    CLayoutComponent* locked = board.Part("U2", 1, false);
    auto pinsOf = [&](CLayoutComponent* part, int x) {
        std::vector<CLayoutPin*> pins;
        for (const char* group : {"1", "2", "1", "1"})
            pins.push_back(board.GatePin(part, {x += 100, 0}, std::to_string(pins.size() + 1), "A", "G", group));
        board.Via(pins[3]->GetLocation());
        return pins;
    };
    const std::vector<CLayoutPin*> p = pinsOf(u1, 0), q = pinsOf(locked, 10000);
    const struct {
        const char* name;
        CLayoutComponent* part;
        const char* gateName;
        const std::vector<CLayoutPin*>& pins;
        PinGroups groups;
    } cases[] = {
        {"real gate: pin groups, copper alone", u1, "A", p, {{p[0], p[2]}, {p[1]}, {p[3]}}},
        {"pseudo-gate", u1, "", p, {{p[0]}, {p[1]}, {p[2]}, {p[3]}}},
        {"real gate without pin swapping", locked, "A", q, {{q[0]}, {q[1]}, {q[2]}, {q[3]}}},
    };
    for (const auto& c : cases) {
        CGate gate(c.part, c.gateName, *c.gateName != '\0' ? "G" : "");
        for (CLayoutPin* pin : c.pins)
            gate.AddPin(pin);
        EXPECT_EQ(GroupPins(gate), c.groups) << c.name;
    }

    // Items wrap each pin once and are kept; ResetPinGroups rebuilds the same list over them.
    CGate gate(u1, "A", "G");
    for (CLayoutPin* pin : {p[0], p[1], p[2]})
        gate.AddPin(pin);
    const std::vector<CSwapItem*> items = gate.GetSwapPinItems();
    ASSERT_EQ(items.size(), 3u);
    const auto* list = &gate.GetSwapPinItemGroups();
    ASSERT_EQ(GroupPins(gate), (PinGroups{{p[0], p[2]}, {p[1]}}));
    board.Via(p[2]->GetLocation());
    EXPECT_EQ(GroupPins(gate), (PinGroups{{p[0], p[2]}, {p[1]}})) << "served from the record";
    gate.ResetPinGroups();
    EXPECT_EQ(GroupPins(gate), (PinGroups{{p[0]}, {p[1]}, {p[2]}}));
    EXPECT_EQ(&gate.GetSwapPinItemGroups(), list);
    EXPECT_EQ(gate.GetSwapPinItems(), items);
    EXPECT_EQ(gate.GetSwapPinItemGroups().back(), (std::vector<CSwapItem*>{items[2]}));
}

class GateDraw : public GateRecord {
protected:
    void SetUp() override
    {
        GateRecord::SetUp();
        // Far from the current context's zoom, so that a radius taken from the wrong one shows.
        paint.SetZoom(10);
        LQ_TEXTFORMAT format;  // only style, font and flags are kept
        format.m_nSizeX = 7, format.m_nSizeY = 8, format.m_nAngle = 45, format.m_byAlign = 1, format.m_byMirror = 1;
        format.m_byStyle = 3, format.m_nFont = 5, format.m_nFlags = 6;
        paint.SetTextFormat(format);
    }
    CDrawContext paint;
    CLayoutComponent* part = board.Part("U1", 1, true, {}, {0, 0, 200, 100});
};

TEST_F(GateDraw, SignalPinLinesThenDiscOutlineAndNameWithTheDrawFlagRestored)
{
    const struct {
        const char* name;
        std::vector<PinDef> pins;
        bool selected, flag;
        Calls lines;
        const char *fill, *centre;
    } cases[] = {
        {"1", {{{0, 0}, ""}, {{100, -500}, "PWR"}, {{200, 10}, ""}, {{150, 20}, "pwr"}}, false, false,
         {"DrawLine(0,0-100,30)", "DrawLine(200,10-100,30)", "DrawLine(150,20-100,30)"}, "8", "100,30"},
        {"B", {{{0, 0}, ""}, {{200, 10}, ""}}, true, true, {"DrawLine(0,0-100,27)", "DrawLine(200,10-100,27)"}, "32",
         "100,27"},
        {"2", {{{0, 0}, "PWR"}, {{200, 0}, "PWR"}}, false, false, {}, "8", "50,0"},
        {"", {{{40, 60}, ""}}, false, false, {"DrawLine(40,60-70,60)"}, "8", "70,60"},
    };
    for (const auto& c : cases) {
        CGate gate(part, c.name, "G");
        for (const PinDef& p : c.pins)
            gate.AddPin(PinAt(part, p.at, p.type));
        paint.ClearCalls();
        gate.Draw(&paint, c.selected, c.flag);
        Calls expected{"SetColor(38)", "SetLineWidth(1)", std::string("SetDrawFlag(") + (c.flag ? "1" : "0") + ")"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        const std::string circle = "DrawCircle(" + std::string(c.centre) + " r90)";
        expected.insert(
            expected.end(),
            {"SetColor(" + std::string(c.fill) + ")", "SetFill(1,0)", circle, "SetColor(38)", "SetLineWidth(10)",
             "SetFill(0,0)", circle, "SetLineWidth(1)", "SetTextFormat(90,90,0,4,0,3,5,6)",
             "DrawText(" + std::string(c.centre) + " \"" + c.name + "\")", "SetDrawFlag(0)"});
        EXPECT_EQ(paint.GetCalls(), expected) << "gate '" << c.name << "'";
    }

    // Only the draw flag is restored; colour, width, fill and alignment stay as drawn.
    CGate gate(part, "1", "G");
    gate.AddPin(PinAt(part, {40, 60}));
    for (bool previous : {false, true}) {
        paint.SetDrawFlag(previous), paint.SetColor(5), paint.SetLineWidth(7), paint.SetFill(true, 0);
        gate.Draw(&paint, false, !previous);
        EXPECT_EQ(paint.GetDrawFlag(), previous);
        const std::vector<int> state{paint.GetColor(), paint.GetLineWidth(), paint.GetFill(),
                                     paint.GetTextFormat().m_byAlign};
        EXPECT_EQ(state, std::vector<int>({38, 1, 0, 4}));
    }
}

// The marker is nine pixels of the drawing context (GetGateSize: of the current one), at most a
// million units, its outline at most 100000.
TEST_F(GateDraw, RadiusAndOutlineAreClampedAtExtremeZoom)
{
    const struct {
        std::int64_t zoom;
        int radius, outline;
    } cases[] = {{99999, 899991, 99999}, {100000, 900000, 100000}, {111111, 999999, 100000}, {111112, 1000000, 100000},
                 {1000000000000000LL, 1000000, 100000}};
    CGate gate(part, "1", "G");
    gate.AddPin(PinAt(part, {0, 0}, "PWR"));
    for (const auto& c : cases) {
        paint.SetZoom(c.zoom);
        dc.SetZoom(c.zoom);
        EXPECT_EQ(gate.GetGateSize(), c.radius) << c.zoom;
        paint.ClearCalls();
        gate.Draw(&paint, false, false);
        const Calls& calls = paint.GetCalls();
        ASSERT_EQ(calls.size(), 14u);
        const std::string r = std::to_string(c.radius);
        EXPECT_EQ(calls[5], "DrawCircle(50,0 r" + r + ")") << c.zoom;
        EXPECT_EQ(calls[7], "SetLineWidth(" + std::to_string(c.outline) + ")") << c.zoom;
        EXPECT_EQ(calls[11], "SetTextFormat(" + r + "," + r + ",0,4,0,3,5,6)") << c.zoom;
    }
    LQSetDrawContext(nullptr);
    EXPECT_EQ(gate.GetGateSize(), 1000000);
}

}  // namespace
