// The gate marker as the calls it makes on a draw context.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "module/gates/Gate.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::Attrs;
using lqtest::ModuleTest;
using Calls = std::vector<std::string>;

class GateDraw : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        // Far from the current context's zoom, so that a radius taken from the wrong one shows.
        paint.SetZoom(10);
        LQ_TEXTFORMAT format;
        format.m_nSizeX = 7;
        format.m_nSizeY = 8;
        format.m_nAngle = 45;
        format.m_byAlign = 1;
        format.m_byMirror = 1;
        format.m_byStyle = 3;
        format.m_nFont = 5;
        format.m_nFlags = 6;
        paint.SetTextFormat(format);
        paint.ClearCalls();
        part = board.Part("U1", 1, true, {}, {0, 0, 200, 100});
    }
    CLayoutPin* PinAt(CLQPoint at, const char* type = "")
    {
        Attrs attrs{{LQ_PIN, std::to_string(++m_nPins)}};
        if (*type != '\0')
            attrs.emplace_back(LQ_PINTYPE, type);
        return board.Pin(part, at, attrs);
    }

    CDrawContext paint;
    CLayoutComponent* part = nullptr;
    int m_nPins = 0;
};

TEST_F(GateDraw, NormalGateDrawsSignalPinLinesDiscOutlineAndName)
{
    CGate gate(part, "1", "G");
    gate.AddPin(PinAt({0, 0}));
    gate.AddPin(PinAt({100, -500}, "PWR"));
    gate.AddPin(PinAt({200, 10}));
    gate.AddPin(PinAt({150, 20}, "pwr"));
    gate.Draw(&paint, false, false);
    const Calls expected{
        "SetColor(38)", "SetLineWidth(1)", "SetDrawFlag(0)", "DrawLine(0,0-100,30)", "DrawLine(200,10-100,30)",
        "DrawLine(150,20-100,30)", "SetColor(8)", "SetFill(1,0)", "DrawCircle(100,30 r90)", "SetColor(38)",
        "SetLineWidth(10)", "SetFill(0,0)", "DrawCircle(100,30 r90)", "SetLineWidth(1)",
        "SetTextFormat(90,90,0,4,0,3,5,6)", "DrawText(100,30 \"1\")", "SetDrawFlag(0)"};
    EXPECT_EQ(paint.GetCalls(), expected);
}

TEST_F(GateDraw, SelectedGateFillsWithTheSelectionColour)
{
    CGate gate(part, "B", "G");
    gate.AddPin(PinAt({0, 0}));
    gate.AddPin(PinAt({200, 10}));
    gate.Draw(&paint, true, true);
    const Calls expected{
        "SetColor(38)", "SetLineWidth(1)", "SetDrawFlag(1)", "DrawLine(0,0-100,27)", "DrawLine(200,10-100,27)",
        "SetColor(32)", "SetFill(1,0)", "DrawCircle(100,27 r90)", "SetColor(38)", "SetLineWidth(10)",
        "SetFill(0,0)", "DrawCircle(100,27 r90)", "SetLineWidth(1)", "SetTextFormat(90,90,0,4,0,3,5,6)",
        "DrawText(100,27 \"B\")", "SetDrawFlag(0)"};
    EXPECT_EQ(paint.GetCalls(), expected);
}

TEST_F(GateDraw, GateOfPowerPinsOnlyDrawsNoLines)
{
    CGate gate(part, "2", "G");
    gate.AddPin(PinAt({0, 0}, "PWR"));
    gate.AddPin(PinAt({200, 0}, "PWR"));
    gate.Draw(&paint, false, false);
    const Calls expected{
        "SetColor(38)", "SetLineWidth(1)", "SetDrawFlag(0)", "SetColor(8)", "SetFill(1,0)", "DrawCircle(50,0 r90)",
        "SetColor(38)", "SetLineWidth(10)", "SetFill(0,0)", "DrawCircle(50,0 r90)", "SetLineWidth(1)",
        "SetTextFormat(90,90,0,4,0,3,5,6)", "DrawText(50,0 \"2\")", "SetDrawFlag(0)"};
    EXPECT_EQ(paint.GetCalls(), expected);
}

TEST_F(GateDraw, UnnamedGateWritesAnEmptyText)
{
    CGate gate(part, "", "G");
    gate.AddPin(PinAt({40, 60}));
    gate.Draw(&paint, false, false);
    const Calls expected{
        "SetColor(38)", "SetLineWidth(1)", "SetDrawFlag(0)", "DrawLine(40,60-70,60)", "SetColor(8)", "SetFill(1,0)",
        "DrawCircle(70,60 r90)", "SetColor(38)", "SetLineWidth(10)", "SetFill(0,0)", "DrawCircle(70,60 r90)",
        "SetLineWidth(1)", "SetTextFormat(90,90,0,4,0,3,5,6)", "DrawText(70,60 \"\")", "SetDrawFlag(0)"};
    EXPECT_EQ(paint.GetCalls(), expected);
}

TEST_F(GateDraw, OnlyTheDrawFlagIsRestored)
{
    CGate gate(part, "1", "G");
    gate.AddPin(PinAt({0, 0}));
    for (bool previous : {false, true}) {
        for (bool passed : {false, true}) {
            SCOPED_TRACE(std::string("previous ") + (previous ? "1" : "0") + ", passed " + (passed ? "1" : "0"));
            paint.SetDrawFlag(previous);
            paint.SetColor(5);
            paint.SetLineWidth(7);
            paint.SetFill(true, 0);
            paint.ClearCalls();
            gate.Draw(&paint, false, passed);
            const Calls& calls = paint.GetCalls();
            ASSERT_GE(calls.size(), 3u);
            EXPECT_EQ(calls[2], std::string("SetDrawFlag(") + (passed ? "1" : "0") + ")");
            EXPECT_EQ(calls.back(), std::string("SetDrawFlag(") + (previous ? "1" : "0") + ")");
            EXPECT_EQ(paint.GetDrawFlag(), previous);
            EXPECT_EQ(paint.GetColor(), 38);
            EXPECT_EQ(paint.GetLineWidth(), 1);
            EXPECT_FALSE(paint.GetFill());
            EXPECT_EQ(paint.GetTextFormat().m_nSizeX, 90);
            EXPECT_EQ(paint.GetTextFormat().m_byAlign, 4);
        }
    }
}

TEST_F(GateDraw, CentreIsRecomputedForEachDrawing)
{
    CGate gate(part, "1", "G");
    CLayoutPin* pin = PinAt({40, 60});
    gate.AddPin(pin);
    gate.Draw(&paint, false, false);
    pin->Offset(20, 0);
    paint.ClearCalls();
    gate.Draw(&paint, false, false);
    ASSERT_GE(paint.GetCalls().size(), 4u);
    EXPECT_EQ(paint.GetCalls()[3], "DrawLine(60,60-80,60)");
}

TEST_F(GateDraw, RadiusAndOutlineAreClampedAtExtremeZoom)
{
    struct Case {
        std::int64_t zoom;
        int radius;
        int outline;
    };
    const Case cases[] = {
        {99999, 899991, 99999},       {100000, 900000, 100000},        {111111, 999999, 100000},
        {111112, 1000000, 100000},    {1000000000000000LL, 1000000, 100000},
    };
    CGate gate(part, "1", "G");
    gate.AddPin(PinAt({0, 0}, "PWR"));
    for (const Case& c : cases) {
        SCOPED_TRACE("zoom " + std::to_string(c.zoom));
        paint.SetZoom(c.zoom);
        paint.ClearCalls();
        gate.Draw(&paint, false, false);
        const Calls& calls = paint.GetCalls();
        ASSERT_EQ(calls.size(), 14u);
        const std::string r = std::to_string(c.radius);
        EXPECT_EQ(calls[5], "DrawCircle(50,0 r" + r + ")");
        EXPECT_EQ(calls[7], "SetLineWidth(" + std::to_string(c.outline) + ")");
        EXPECT_EQ(calls[9], "DrawCircle(50,0 r" + r + ")");
        EXPECT_EQ(calls[11], "SetTextFormat(" + r + "," + r + ",0,4,0,3,5,6)");
    }
}

}  // namespace
