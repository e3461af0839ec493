// A board opened in the host and read back.
#include <gtest/gtest.h>

#include "app/core/Errors.h"
#include "app/session/HostSheet.h"
#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "host/Net.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

namespace {

std::vector<std::string> AttributeTexts(const CDrawObject* object)
{
    std::vector<CDrawObject*> list;
    object->GetAttributes()->GetAttributeList(list, DOK_ALL, 0, 0);
    std::vector<std::string> out;
    for (CDrawObject* o : list) {
        const auto* a = static_cast<CDrawAttribute*>(o);
        out.push_back(a->GetName().str() + "=" + a->GetValueText().str());
    }
    return out;
}

std::vector<std::string> NetPinTexts(const CNet* net)
{
    std::vector<std::string> out;
    for (const CNetPin* p : net->GetNetPins()) {
        const auto* lp = static_cast<const CLayoutNetPin*>(p);
        out.push_back(std::string(lp->GetRefDes().GetString()) + "." + lp->GetPinNumber().GetString());
    }
    return out;
}

}  // namespace

TEST(HostSheetBuild, SheetSettingsPartsAndPinsReachTheHostWithTheDesignatorFirst)
{
    Board board = SmallBoard();
    board.parts[0].pins[0].layers = 0x2;
    board.sheet = SheetSettings{"SCHEMATICDESIGN", false, false, MoveSwap{2, true, 5}, 777};
    HostSheet sheet(board, "small");
    CLayoutSubSheet* s = sheet.Sheet();
    EXPECT_EQ(s->GetDocType().str(), "SCHEMATICDESIGN");
    EXPECT_TRUE(s->SuppressesBackAnnotation());
    EXPECT_EQ(s->GetBackAnnotationManager(), nullptr);
    const CMoveSwapState& m = s->GetMoveSwapState();
    EXPECT_EQ(std::tie(m.m_nMode, m.m_bPinSwap, m.m_nGateSwap), std::make_tuple(2, true, 5));
    EXPECT_EQ(sheet.View()->GetZoom(), 777);
    sheet.MakeCurrent();
    EXPECT_EQ(GetDrwSubSheet(), s);
    EXPECT_EQ(GetDrawContext(), sheet.View());

    const CLayoutComponent* u1 = sheet.Component(0);
    EXPECT_EQ(AttributeTexts(u1), (std::vector<std::string>{"LQ_REFDES=U1", "LQ_GATESWAP=2", "VALUE=7400"}));
    EXPECT_EQ(u1->GetGateSwapAttr(true), 2);
    EXPECT_TRUE(u1->AllowPinSwapping());
    EXPECT_FALSE(sheet.Component(3)->AllowPinSwapping());
    EXPECT_EQ(u1->GetRect(), CLQRect(-1000, -1000, 1000, 1000));

    const CLayoutPin* pin = sheet.PinObject(PinIndex{1, 0});
    EXPECT_EQ(pin->GetOwnerComponent(), sheet.Component(1));
    EXPECT_EQ(pin->GetLocation(), CLQPoint(97000000, -2000000));
    EXPECT_EQ(pin->GetPadRect(), CLQRect(96999900, -2000100, 97000100, -1999900));
    EXPECT_EQ(AttributeTexts(pin),
              (std::vector<std::string>{"LQ_PIN=1", "LQ_GATE=A", "LQ_GATEGROUP=NAND", "LQ_PINGROUP=IN"}));
    EXPECT_EQ(sheet.PinObject(PinIndex{0, 0})->GetLayers(), 0x2u);
    EXPECT_EQ(sheet.FindPin(pin), (PinIndex{1, 0}));
    EXPECT_EQ(sheet.FindPart(sheet.Component(2)), 2u);
    EXPECT_FALSE(sheet.FindPin(sheet.Component(2)).has_value());
}

TEST(HostSheetBuild, NetsHoldNetPinsInOrderAndCopperConnectsThePadsItTouches)
{
    HostSheet sheet(SmallBoard(), "small");
    const CLayoutNet* net = sheet.NetObject(6);
    EXPECT_EQ(net->GetName().str(), "RL");
    EXPECT_EQ(NetPinTexts(net), (std::vector<std::string>{"R1.2", "J1.4"}));
    const CLayoutPin* r2 = sheet.PinObject(PinIndex{2, 1});
    EXPECT_EQ(r2->GetNetConnection()->GetNet(), net);
    EXPECT_EQ(r2->GetNetConnection()->GetNetPin()->GetDrawObject(), r2);
    EXPECT_EQ(sheet.Sheet()->GetNetlist()->GetEdits().size(), 0u);  // loading is not an edit
    // Copper touching a pad connects it.
    CZNDynArray<CDrawObject*> copper, others;
    sheet.PinObject(PinIndex{0, 6})->GetNetConnection()->GetConnectedObjects(nullptr, copper, others);
    EXPECT_EQ(copper.GetCount(), 1);
    copper.RemoveAll();
    sheet.PinObject(PinIndex{1, 6})->GetNetConnection()->GetConnectedObjects(nullptr, copper, others);
    EXPECT_EQ(copper.GetCount(), 0);
}

TEST(HostSheetBuild, UnsoundBoardsAreRefusedWithThePlace)
{
    Board board = SmallBoard();
    board.nets[1].pins[0].part = "U9";
    EXPECT_EQ(lqe2e::ErrorText<ParseError>([&] { HostSheet sheet(board, "boards/x.brd"); }),
              "boards/x.brd:/nets/1/pins/0: unknown part \"U9\"");
}

TEST(HostSheetReadBack, NetEditsAndMovesOfTheHostShowUntilTheCoordinateLimit)
{
    HostSheet sheet(SmallBoard(), "small");
    EXPECT_EQ(sheet.ReadBack(), SmallBoard());
    // Exchange R1's pins as a plug-in would: off both nets, then each onto the other's net.
    CLayoutPin* r1 = sheet.PinObject(PinIndex{2, 0});
    CLayoutPin* r2 = sheet.PinObject(PinIndex{2, 1});
    CNet* rr = r1->GetNetConnection()->GetNet();
    CNet* rl = r2->GetNetConnection()->GetNet();
    delete r1->GetNetConnection()->GetNetPin();
    delete r2->GetNetConnection()->GetNetPin();
    AttachPin(r1, rl);
    AttachPin(r2, rr);
    sheet.Component(2)->Offset(1000, -2000);
    Board after = sheet.ReadBack();
    EXPECT_EQ(after.nets[6], (Net{"RL", {{"J1", "4"}, {"R1", "1"}}}));
    EXPECT_EQ(after.nets[7], (Net{"RR", {{"J2", "4"}, {"R1", "2"}}}));
    EXPECT_EQ(after.parts[2].at, (Point{50001000, -20002000}));
    EXPECT_EQ(after.parts[2].pins, SmallBoard().parts[2].pins);
    after.parts[2].at = SmallBoard().parts[2].at;
    EXPECT_EQ(after.parts, SmallBoard().parts);
    sheet.Component(2)->Offset(2147483647, 0);  // the host saturates; the pins lose their places
    EXPECT_THROW(sheet.ReadBack(), JobError);
}

TEST(HostSheetClose, ClosingReportsADatabaseChangeForTheSheet)
{
    EventDatabaseChanged.ClearRaised();
    CLayoutSubSheet* raw = nullptr;
    {
        HostSheet sheet(SmallBoard(), "small");
        sheet.MakeCurrent();
        raw = sheet.Sheet();
    }
    ASSERT_FALSE(EventDatabaseChanged.GetRaised().empty());
    EXPECT_EQ(EventDatabaseChanged.GetRaised().back().second, reinterpret_cast<LONG_PTR>(raw));
    EXPECT_EQ(GetDrwSubSheet(), nullptr);
    EXPECT_EQ(GetDrawContext(), nullptr);
}
