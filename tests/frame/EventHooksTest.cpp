// The draw-objects interface hands out the tools; host events drop the gate stores of a sheet.
#include <gtest/gtest.h>

#include "host/Events.h"
#include "module/autoswap/AutoSwapTool.h"
#include "module/frame/DrawObjectInterface.h"
#include "module/frame/HandlerObject.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/GateStore.h"
#include "module/tools/SwapGateTool.h"
#include "module/tools/SwapPinTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
using Stores = std::vector<CGateStore*>;

class EventHooks : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
        plugIn = GetPlugInInterface();
        for (BoardBuilder* b : {&board, &second, &third})
            stores.push_back(plugIn->GetGateStore(b->Sheet()));
    }
    static LONG_PTR Key(BoardBuilder& b) { return reinterpret_cast<LONG_PTR>(b.Sheet()); }
    Stores Now() const { return plugIn->GetGateStores(); }

    CPlugInInterface* plugIn = nullptr;
    BoardBuilder second, third;
    Stores stores;
};

TEST_F(EventHooks, TheDrawObjectsInterfaceHandsOutTheToolsByIndexAndByTheLow16BitsOfTheUIIDSettingItEachTime)
{
    auto* tools = static_cast<CLQ_DrawObjectsInterface*>(LQGetInterfaceObject("CLQ_DrawObjectsInterface"));
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->GetToolCount(), 2u);
    CDrawTool *pin = &g_swapPinTool, *gate = &g_swapGateTool;
    EXPECT_EQ((std::vector<CDrawTool*>{tools->GetTool(-1), tools->GetTool(0), tools->GetTool(1), tools->GetTool(2)}),
              (std::vector<CDrawTool*>{nullptr, pin, gate, nullptr}));
    const std::pair<UINT, CDrawTool*> byUIID[] = {{999, nullptr},    {1000, pin},       {1001, gate},
                                                  {1002, nullptr},   {0x703E8, pin},    {0x703E9, gate},
                                                  {0xABCD03E9, gate}, {0x703E7, nullptr}, {0x70000, nullptr}};
    for (const auto& [uiid, tool] : byUIID)
        EXPECT_EQ(tools->GetToolByUIID(uiid), tool) << std::hex << uiid;

    g_swapGateTool.SetUIID(5);
    tools->GetTool(1);
    EXPECT_EQ(g_swapGateTool.GetUIID(), 0x703E9u);
    g_swapGateTool.SetUIID(5);
    tools->GetToolByUIID(1001);
    EXPECT_EQ(g_swapGateTool.GetUIID(), 0x703E9u);
    g_swapPinTool.SetUIID(7);
    tools->GetToolByUIID(0xFFFF03E8);
    EXPECT_EQ(g_swapPinTool.GetUIID(), 0x703E8u);
}

TEST_F(EventHooks, StoresAreKeptPerSheetAndADatabaseChangeDropsExactlyTheStoreOfItsSecondValue)
{
    EXPECT_EQ(plugIn->GetGateStore(board.Sheet()), stores[0]);
    const std::uint64_t serial = stores[1]->GetSerial();
    EventDatabaseChanged.Raise(static_cast<UINT_PTR>(Key(board)), Key(second));
    EXPECT_EQ(Now(), (Stores{stores[0], stores[2]}));
    EXPECT_FALSE(CGateStore::IsAlive(serial));
    EXPECT_TRUE(CGateStore::IsAlive(stores[0]->GetSerial()));
    // The next request builds a fresh store, at the end of the list.
    CGateStore* fresh = plugIn->GetGateStore(second.Sheet());
    EXPECT_NE(fresh->GetSerial(), serial);
    EXPECT_EQ(Now().back(), fresh);
}

TEST_F(EventHooks, ANetlistChangeDropsTheStoreOfItsFirstValueOnceTheHostsLoopDeliversIt)
{
    EventNetListChanged.Raise(static_cast<UINT_PTR>(Key(third)), Key(board));
    EXPECT_EQ(Now(), (Stores{stores[0], stores[1]}));
    // The change that follows a netlist update arrives through the host's loop, not during the call.
    board.Sheet()->GetNetlist()->UpdateNetlist(0x40000000, Key(board));
    EXPECT_EQ(Now().size(), 2u);
    AfxPumpEvents();
    EXPECT_EQ(Now(), (Stores{stores[1]}));
}

TEST_F(EventHooks, KeyZeroOrAnUnknownSheetChangesNothing)
{
    BoardBuilder unknown;
    EventDatabaseChanged.Raise(static_cast<UINT_PTR>(Key(board)), 0);
    EventNetListChanged.Raise(0, Key(board));
    EventDatabaseChanged.Raise(0, Key(unknown));
    EXPECT_EQ(Now(), stores);
    EXPECT_EQ(plugIn->DropGateStore(0, 0), 1);
    EXPECT_EQ(plugIn->DropGateStore(0, Key(board)), 1);
    EXPECT_EQ(Now(), (Stores{stores[1], stores[2]}));
}

TEST_F(EventHooks, ClosingASheetDropsItsStore)
{
    BoardBuilder closing;
    plugIn->GetGateStore(closing.Sheet());
    ASSERT_EQ(Now().size(), 4u);
    LQCloseSubSheet(closing.Release());
    EXPECT_EQ(Now(), stores);
}

TEST_F(EventHooks, HandlersLeaveTheEventsWhenDestroyed)
{
    // A second handler removes its own callbacks only.
    auto* extra = new CHandlerObject(plugIn, &CPlugInInterface::DropGateStore);
    EventDatabaseChanged.AddCallBack(extra, static_cast<EVENTCALLBACK>(&CHandlerObject::OnDatabaseChanged), nullptr,
                                     nullptr);
    EventNetListChanged.AddCallBack(extra, static_cast<EVENTCALLBACK>(&CHandlerObject::OnNetListChanged), nullptr,
                                    nullptr);
    delete extra;
    EXPECT_FALSE(EventDatabaseChanged.IsRegistered(extra));
    EXPECT_FALSE(EventNetListChanged.IsRegistered(extra));
    EventDatabaseChanged.Raise(0, Key(board));
    EXPECT_EQ(Now(), (Stores{stores[1], stores[2]}));

    ExitDll();
    m_bInitialised = false;
    EXPECT_EQ(
        EventDatabaseChanged.GetCallBackCount() + EventNetListChanged.GetCallBackCount() + EventMove.GetCallBackCount(),
        0);
    // Raising after the exit reaches nobody.
    EXPECT_EQ(EventNetListChanged.Raise(static_cast<UINT_PTR>(Key(second)), 0), 0);
}

}  // namespace
