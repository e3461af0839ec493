// The command interface: its records, identifiers, dispatch and command state.
#include <gtest/gtest.h>

#include <cstring>

#include "host/Events.h"
#include "host/Settings.h"
#include "host/Window.h"
#include "module/frame/CommandTable.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/GateStore.h"
#include "module/tools/SwapGateTool.h"
#include "module/tools/SwapPinTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::BoardBuilder;
using lqtest::ModuleTest;

class CommandSet : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
        plugIn = GetPlugInInterface();
    }
    CPlugInInterface* plugIn = nullptr;
};

struct ExpectedCommand {
    DWORD kind, bitmap;
    WORD id;
    DWORD category, name, shortText, description, menuPath, menuItem;
};

TEST_F(CommandSet, RecordsCarryTheTableValuesAndTheModuleHandle)
{
    const ExpectedCommand expected[3] = {
        {1, 1102, 1000, 61805, 61548, 61550, 61552, 61804, 61555},
        {3, 1109, 1001, 61805, 61556, 61557, 61558, 61804, 61559},
        {2, 0, 0, 61806, 61549, 61551, 61553, 61807, 61554},
    };
    ASSERT_EQ(plugIn->GetCommandCount(), 3u);
    for (UINT i = 0; i < 3; ++i) {
        COMMANDINFOSTRUCT c;
        std::memset(&c, 0x5A, sizeof c);
        ASSERT_TRUE(plugIn->GetCommandInfo(i, &c));
        const ExpectedCommand& e = expected[i];
        EXPECT_EQ(c.hInstance, lqtest::TestInstance());
        EXPECT_EQ(c.dwKind, e.kind);
        EXPECT_EQ(c.dwBitmapID, e.bitmap);
        EXPECT_EQ(c.wCommandID, e.id);
        EXPECT_STREQ(c.lpszDocType, "LAYOUTDESIGN");
        EXPECT_EQ(c.idCategory, e.category);
        EXPECT_EQ(c.idName, e.name);
        EXPECT_EQ(c.idShortText, e.shortText);
        EXPECT_EQ(c.lReserved48, -1);
        EXPECT_EQ(c.idDescription, e.description);
        EXPECT_EQ(c.idMenuPath, e.menuPath);
        EXPECT_EQ(c.idMenuItem, e.menuItem);
        for (DWORD zero : {c.dwReserved4, c.dwReserved8, c.dwReserved24, c.dwReserved40, c.dwReserved56, c.dwReserved60,
                           c.dwReserved72, c.dwReserved76})
            EXPECT_EQ(zero, 0u);
        EXPECT_EQ(c.wReserved22, 0);
        EXPECT_EQ(c.byReserved80, 0);
        EXPECT_EQ(c.wReserved82, 0);
        EXPECT_EQ(c.byReserved84, 0);
    }
    // The constant table itself holds no handle.
    EXPECT_EQ(g_commandTable[0].hInstance, nullptr);
}

TEST_F(CommandSet, OutOfRangeAndNullLeaveTheOutputUntouched)
{
    COMMANDINFOSTRUCT c;
    std::memset(&c, 0x5A, sizeof c);
    EXPECT_FALSE(plugIn->GetCommandInfo(3, &c));
    EXPECT_FALSE(plugIn->GetCommandInfo(0, nullptr));
    EXPECT_EQ(c.dwKind, 0x5A5A5A5Au);
    UINT id = 77;
    EXPECT_FALSE(plugIn->GetCommandID(3, &id, nullptr));
    EXPECT_EQ(id, 77u);
    EXPECT_EQ(plugIn->GetGroupCount(), 0u);
    GROUPINFOSTRUCT g{};
    EXPECT_FALSE(plugIn->GetGroupInfo(0, &g));
    EXPECT_FALSE(plugIn->GetGroupInfo(0, nullptr));
    const DWORD request = 3;
    EXPECT_EQ(plugIn->FillCommandInfo(&c, &request), 0u);
    EXPECT_EQ(c.dwKind, 0x5A5A5A5Au);
}

TEST_F(CommandSet, IdentifiersCarryTheModuleIndexInTheHighBits)
{
    const UINT index = plugIn->GetModuleIndex();
    EXPECT_EQ(index, GetSettings()->GetModuleMatrix()->GetDllIndex("Quillon"));
    UINT id = 0;
    LQCOMMANDHANDLER handler;
    ASSERT_TRUE(plugIn->GetCommandID(2, &id, &handler));
    EXPECT_EQ(id & 0xFFFFu, 0u);
    EXPECT_EQ(id >> 16, index);
    ASSERT_TRUE(plugIn->GetCommandID(0, &id, &handler));
    EXPECT_EQ(id, (index << 16) | 1000u);
    // The handler fills the record of the index that the request names.
    EXPECT_EQ(handler.pObject, static_cast<CLQ_PlugInInterface*>(plugIn));
    COMMANDINFOSTRUCT c{};
    const DWORD request = 1;
    EXPECT_EQ((handler.pObject->*handler.pfn)(&c, &request), 0u);
    EXPECT_EQ(c.wCommandID, 1001);
    EXPECT_EQ(c.hInstance, lqtest::TestInstance());
    COMMANDINFOSTRUCT byId{};
    EXPECT_TRUE(plugIn->GetCommandInfoUsingID(1001, &byId));
    EXPECT_EQ(byId.idName, 61556u);
}

TEST_F(CommandSet, ConstantsOfTheReservedOperations)
{
    EXPECT_EQ(plugIn->SetHostValue(0xDEADBEEF), 0xDEADBEEFu);
    EXPECT_EQ(plugIn->GetHostValue(), 0xDEADBEEFu);
    EXPECT_EQ(plugIn->Reserved7(), 0u);
    EXPECT_FALSE(plugIn->Reserved8(1, 2, 3));
    EXPECT_EQ(plugIn->Reserved11(), 0u);
    EXPECT_FALSE(plugIn->Reserved12(1, 2));
    EXPECT_FALSE(plugIn->Reserved13(1, 2));
    EXPECT_FALSE(plugIn->Reserved14(1, 2));
    EXPECT_TRUE(plugIn->Reserved18());
    ASSERT_NE(plugIn->GetCommandWindow(), nullptr);
    EXPECT_NE(plugIn->GetCommandWindow()->GetSafeHwnd(), nullptr);
}

struct UiState {
    int enabled, checked;
};

UiState Update(CPlugInInterface* p, WORD id)
{
    CCmdUI ui(id);
    p->UpdateCommandUI(id, &ui);
    return {ui.m_nEnabled, ui.m_nChecked};
}

TEST_F(CommandSet, CommandsAreEnabledOnlyOnLayoutSheets)
{
    for (WORD id : {ID_AUTOSWAP, ID_SWAPPINTOOL, ID_SWAPGATETOOL})
        EXPECT_EQ(Update(plugIn, id).enabled, 1) << id;
    LQSetDrwSubSheet(nullptr);
    for (WORD id : {ID_AUTOSWAP, ID_SWAPPINTOOL, ID_SWAPGATETOOL})
        EXPECT_EQ(Update(plugIn, id).enabled, 0) << id;
    CLayoutSubSheet lowerCase;
    lowerCase.SetDocType("layoutdesign");
    LQSetDrwSubSheet(&lowerCase);
    for (WORD id : {ID_AUTOSWAP, ID_SWAPPINTOOL, ID_SWAPGATETOOL})
        EXPECT_EQ(Update(plugIn, id).enabled, 0) << id;
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    LQSetDrwSubSheet(&schematic);
    EXPECT_EQ(Update(plugIn, ID_AUTOSWAP).enabled, 0);
    LQSetDrwSubSheet(board.Sheet());
    EXPECT_EQ(Update(plugIn, 1002).enabled, 0);
    EXPECT_EQ(Update(plugIn, 1002).checked, -1);
}

TEST_F(CommandSet, TheActiveToolIsChecked)
{
    EXPECT_EQ(Update(plugIn, ID_SWAPPINTOOL).checked, 0);
    EXPECT_EQ(Update(plugIn, ID_AUTOSWAP).checked, -1);
    LQSetDrawTool(&g_swapGateTool);
    EXPECT_EQ(Update(plugIn, ID_SWAPGATETOOL).checked, 1);
    EXPECT_EQ(Update(plugIn, ID_SWAPGATETOOL).enabled, 1);
    EXPECT_EQ(Update(plugIn, ID_SWAPPINTOOL).checked, 0);
    LQSetDrawTool(&g_swapPinTool);
    EXPECT_EQ(Update(plugIn, ID_SWAPPINTOOL).checked, 1);
    EXPECT_EQ(Update(plugIn, ID_SWAPGATETOOL).checked, 0);
    CDrawTool otherTool;
    LQSetDrawTool(&otherTool);
    EXPECT_EQ(Update(plugIn, ID_SWAPPINTOOL).checked, 0);
}

TEST_F(CommandSet, OnlyTheAutomaticSwapIsExecuted)
{
    EXPECT_EQ(plugIn->ExecuteCommand(1000), 0u);
    EXPECT_EQ(plugIn->ExecuteCommand(1001), 0u);
    EXPECT_TRUE(board.Sheet()->GetNetlist()->GetUpdates().empty());
    EXPECT_EQ(plugIn->ExecuteCommand(0), 1u);
    ASSERT_EQ(board.Sheet()->GetNetlist()->GetUpdates().size(), 1u);
    EXPECT_EQ(board.Sheet()->GetNetlist()->GetUpdates()[0].nCode, 0x40000000u);
    EXPECT_EQ(board.Sheet()->GetNetlist()->GetUpdates()[0].nKey, reinterpret_cast<LONG_PTR>(board.Sheet()));
}

TEST_F(CommandSet, GateStoresAreKeptPerSheetInCreationOrder)
{
    BoardBuilder other;
    CGateStore* first = plugIn->GetGateStore(board.Sheet());
    EXPECT_EQ(plugIn->GetGateStore(board.Sheet()), first);
    CGateStore* second = plugIn->GetGateStore(other.Sheet());
    EXPECT_NE(second, first);
    EXPECT_EQ(plugIn->GetGateStores(), (std::vector<CGateStore*>{first, second}));
}

TEST_F(CommandSet, ConstructionRegistersTheEventCallbacksAndDestructionRemovesThem)
{
    EXPECT_TRUE(EventDatabaseChanged.IsRegistered(reinterpret_cast<CObject*>(plugIn->GetEventHandler())));
    EXPECT_TRUE(EventNetListChanged.IsRegistered(reinterpret_cast<CObject*>(plugIn->GetEventHandler())));
    EXPECT_TRUE(EventMove.IsRegistered(reinterpret_cast<CObject*>(plugIn->GetAutoSwapTool())));
    ExitDll();
    m_bInitialised = false;
    EXPECT_EQ(EventDatabaseChanged.GetCallBackCount(), 0);
    EXPECT_EQ(EventNetListChanged.GetCallBackCount(), 0);
    EXPECT_EQ(EventMove.GetCallBackCount(), 0);
}

}  // namespace
