// Drawing into SVG: the draw context the plug-in paints into, and board pictures.
#include <gtest/gtest.h>

#include "app/render/BoardSvg.h"
#include "app/render/SvgDrawContext.h"
#include "host/DrawObject.h"
#include "host/LayoutPin.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

TEST(SvgUnits, NanometresBecomeMicrometresWithYUpAndColoursAreDistinct)
{
    EXPECT_EQ(SvgLength(0), "0");
    EXPECT_EQ(SvgLength(1500), "1.5");
    EXPECT_EQ(SvgLength(-2000001), "-2000.001");
    EXPECT_EQ(SvgLength(-2147483648LL), "-2147483.648");
    EXPECT_EQ(SvgY(1000), "-1");
    EXPECT_EQ(SvgX(1000), "1");
    EXPECT_EQ(XmlEscape("<a & \"b\">'"), "&lt;a &amp; &quot;b&quot;&gt;&apos;");
    // The gate markers' colours are distinct; unknown colours fall back to one.
    EXPECT_NE(SvgColour(8), SvgColour(32));
    EXPECT_NE(SvgColour(8), SvgColour(38));
    EXPECT_NE(SvgColour(32), SvgColour(38));
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
    EXPECT_EQ(dc.GetCalls().size(), 12u);
    EXPECT_EQ(dc.GetCalls()[2], "DrawLine(0,0-5000,-3000)");
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
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}
