// The module's entry points and command interface: the version record, interface lookup, set-up
// and tear-down, the command records, identifiers, dispatch and state, and the resources.
#include <gtest/gtest.h>

#include <cstring>

#include "host/Events.h"
#include "host/Extension.h"
#include "host/Settings.h"
#include "host/Window.h"
#include "module/frame/CommandTable.h"
#include "module/frame/DrawObjectInterface.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/resources/ResourceTable.h"
#include "module/tools/SwapGateTool.h"
#include "module/tools/SwapPinTool.h"
#include "tests/support/ModuleFixture.h"

namespace {
using namespace lqtest;
std::vector<std::string> g_destroyed;

struct FactoryGuard {
    ~FactoryGuard() { SetInterfaceFactories(nullptr, nullptr); }
};

TEST(VersionRecord, WritesItsFieldsAndLeavesTheHostsBytesAlone)
{
    VERSIONINFOSTRUCT v;
    std::memset(&v, 0xAB, sizeof v);
    ASSERT_EQ(LQDLLGetVersion(&v), 1);
    EXPECT_STREQ(v.lpszModuleName, "Quillon");  // the name the host's module matrix knows it by
    EXPECT_STREQ(v.lpszProviderKind, "LQ_CommandsProvider");
    EXPECT_EQ(v.wModuleCode, LQ_MODULECODE_COMMANDS);
    EXPECT_EQ(v.dwValue28, 0u);
    EXPECT_EQ(std::vector<DWORD>({v.wReserved10, v.dwHost32, v.dwHost36}),
              std::vector<DWORD>({0xABABu, 0xABABABABu, 0xABABABABu}));
}

using InterfaceLookup = ModuleTest;

TEST_F(InterfaceLookup, AnswersOnlyAfterInitialisationIgnoringLetterCaseButNotBlanksOrOtherNames)
{
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_DrawObjectsInterface"), nullptr);
    InitModule();
    CInterfaceConnector* plugIn = LQGetInterfaceObject("CLQ_PlugInInterface");
    ASSERT_NE(plugIn, nullptr);
    EXPECT_EQ(plugIn, static_cast<CInterfaceConnector*>(GetPlugInInterface()));
    EXPECT_EQ(LQGetInterfaceObject("clq_PLUGININTERFACE"), plugIn);
    for (const char* wrong : {"CLQ_PlugInInterface ", "CLQ_PlugIn", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(LQGetInterfaceObject(wrong), nullptr) << (wrong ? wrong : "null");
    EXPECT_EQ(LQGetInterfaceObject("clq_drawobjectsinterface"),
              static_cast<CInterfaceConnector*>(GetDrawObjectsInterface()));

    // One hidden window.
    ASSERT_EQ(AfxGetHostLog().windows.size(), 1u);
    EXPECT_EQ(AfxGetHostLog().windows[0].dwStyle, 0u);
    EXPECT_FALSE(AfxGetHostLog().windows[0].bDestroyed);
}

TEST_F(InterfaceLookup, ExitDestroysThePlugInBeforeTheDrawObjectsAndClearsBoth)
{
    struct RecordingPlugIn : CPlugInInterface {
        ~RecordingPlugIn() override { g_destroyed.push_back("plug-in"); }
    };
    struct RecordingDrawObjects : CDrawObjectInterface {
        ~RecordingDrawObjects() override { g_destroyed.push_back("draw-objects"); }
    };
    FactoryGuard guard;
    g_destroyed.clear();
    SetInterfaceFactories([]() -> CPlugInInterface* { return new RecordingPlugIn; },
                          []() -> CDrawObjectInterface* { return new RecordingDrawObjects; });
    InitDll();
    ExitDll();
    EXPECT_EQ(g_destroyed, (std::vector<std::string>{"plug-in", "draw-objects"}));
    EXPECT_EQ(GetPlugInInterface(), nullptr);
    EXPECT_EQ(GetDrawObjectsInterface(), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PlugInInterface"), nullptr);
    EXPECT_TRUE(AfxGetHostLog().windows.at(0).bDestroyed);
}

// Regression: a plug-in interface that cannot be created left the module half set up.
TEST_F(InterfaceLookup, WithoutThePlugInInterfaceNothingIsHandedOutAndNoWindowIsMade)
{
    FactoryGuard guard;
    SetInterfaceFactories([]() -> CPlugInInterface* { return nullptr; }, nullptr);
    InitDll();
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_DrawObjectsInterface"), nullptr);
    EXPECT_TRUE(AfxGetHostLog().windows.empty());
    EXPECT_EQ(EventDatabaseChanged.GetCallBackCount(), 0);
    ExitDll();
    // A failed draw-objects allocation leaves only that name unanswered.
    SetInterfaceFactories(nullptr, []() -> CDrawObjectInterface* { return nullptr; });
    InitModule();
    EXPECT_NE(LQGetInterfaceObject("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_DrawObjectsInterface"), nullptr);
}

TEST(DllMainTest, AttachSavesTheInstanceAndChainsTheLibraryUnlessTheExtensionSetUpFails)
{
    EXPECT_EQ(GetModuleInstance(), TestInstance());
    EXPECT_GE(AfxGetDynLinkLibraryCount(), 1);
    AfxSetExtensionInitFailure(true);
    static int other = 0;
    const HINSTANCE h = reinterpret_cast<HINSTANCE>(&other);
    EXPECT_EQ(DllMain(h, DLL_PROCESS_ATTACH, nullptr), 0);
    EXPECT_EQ(GetModuleInstance(), TestInstance());
    EXPECT_EQ(DllMain(h, DLL_THREAD_ATTACH, nullptr), 1);
    EXPECT_EQ(DllMain(h, DLL_THREAD_DETACH, nullptr), 1);
}

class CommandSet : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
        plugIn = GetPlugInInterface();
    }
    // "enabled/checked" as the host's command UI shows them.
    std::string State(WORD id)
    {
        CCmdUI ui(id);
        plugIn->UpdateCommandUI(id, &ui);
        return std::to_string(ui.m_nEnabled) + "/" + std::to_string(ui.m_nChecked);
    }
    CPlugInInterface* plugIn = nullptr;
};

// The record values are the command table's; what the host relies on is the handle, the
// command ids in order, the cleared reserved fields, and requests out of range being refused.
TEST_F(CommandSet, RecordsCarryTheModuleHandleAndClearTheReservedFields)
{
    ASSERT_EQ(plugIn->GetCommandCount(), 3u);
    const WORD ids[3] = {1000, 1001, 0};
    for (UINT i = 0; i < 3; ++i) {
        COMMANDINFOSTRUCT c;
        std::memset(&c, 0x5A, sizeof c);
        ASSERT_TRUE(plugIn->GetCommandInfo(i, &c));
        EXPECT_EQ(c.hInstance, TestInstance());
        EXPECT_EQ(c.wCommandID, ids[i]);
        EXPECT_STREQ(c.lpszDocType, "LAYOUTDESIGN");
        EXPECT_EQ(c.lReserved48, -1);
        for (DWORD zero : {c.dwReserved4, c.dwReserved8, c.dwReserved24, c.dwReserved40, c.dwReserved56, c.dwReserved60,
                           c.dwReserved72, c.dwReserved76, DWORD(c.wReserved22), DWORD(c.byReserved80),
                           DWORD(c.wReserved82), DWORD(c.byReserved84)})
            EXPECT_EQ(zero, 0u);
    }
    EXPECT_EQ(g_commandTable[0].hInstance, nullptr);
    // Out of range and null leave the output untouched.
    COMMANDINFOSTRUCT c;
    std::memset(&c, 0x5A, sizeof c);
    EXPECT_FALSE(plugIn->GetCommandInfo(3, &c));
    EXPECT_FALSE(plugIn->GetCommandInfo(0, nullptr));
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
    EXPECT_NE(plugIn->GetCommandWindow()->GetSafeHwnd(), nullptr);
}

TEST_F(CommandSet, IdentifiersCarryTheModuleIndexInTheHighBits)
{
    const UINT index = plugIn->GetModuleIndex();
    EXPECT_EQ(index, GetSettings()->GetModuleMatrix()->GetDllIndex("Quillon"));
    UINT id = 0;
    LQCOMMANDHANDLER handler;
    ASSERT_TRUE(plugIn->GetCommandID(2, &id, &handler));
    EXPECT_EQ(id, index << 16);
    ASSERT_TRUE(plugIn->GetCommandID(0, &id, &handler));
    EXPECT_EQ(id, (index << 16) | 1000u);
    // The handler fills the record of the index that the request names; so does the lookup by id.
    COMMANDINFOSTRUCT c{}, byId{};
    const DWORD request = 1;
    EXPECT_EQ((handler.pObject->*handler.pfn)(&c, &request), 0u);
    EXPECT_EQ(c.wCommandID, 1001);
    EXPECT_TRUE(plugIn->GetCommandInfoUsingID(1001, &byId));
    EXPECT_EQ(byId.wCommandID, 1001);
}

TEST_F(CommandSet, CommandsAreEnabledOnlyOnLayoutSheetsAndTheActiveToolIsChecked)
{
    EXPECT_EQ(State(ID_AUTOSWAP), "1/-1");
    EXPECT_EQ(State(ID_SWAPPINTOOL), "1/0");
    EXPECT_EQ(State(ID_SWAPGATETOOL), "1/0");
    EXPECT_EQ(State(1002), "0/-1");
    LQSetDrawTool(&g_swapGateTool);
    EXPECT_EQ(State(ID_SWAPGATETOOL), "1/1");
    EXPECT_EQ(State(ID_SWAPPINTOOL), "1/0");
    LQSetDrawTool(&g_swapPinTool);
    EXPECT_EQ(State(ID_SWAPPINTOOL), "1/1");
    EXPECT_EQ(State(ID_SWAPGATETOOL), "1/0");
    CDrawTool otherTool;
    LQSetDrawTool(&otherTool);
    EXPECT_EQ(State(ID_SWAPPINTOOL), "1/0");

    CLayoutSubSheet lowerCase;
    lowerCase.SetDocType("layoutdesign");
    CDrwSubSheet schematic(LQ_DOCTYPE_SCHEMATIC);
    for (CDrwSubSheet* sheet :
         {static_cast<CDrwSubSheet*>(nullptr), static_cast<CDrwSubSheet*>(&lowerCase), &schematic}) {
        LQSetDrwSubSheet(sheet);
        for (WORD id : {ID_AUTOSWAP, ID_SWAPPINTOOL, ID_SWAPGATETOOL})
            EXPECT_EQ(State(id)[0], '0') << id;
    }
    UseSheet(board);
}

TEST_F(CommandSet, OnlyTheAutomaticSwapIsExecuted)
{
    EXPECT_EQ(plugIn->ExecuteCommand(1000), 0u);
    EXPECT_EQ(plugIn->ExecuteCommand(1001), 0u);
    EXPECT_EQ(Updates(board.Sheet()), 0u);
    EXPECT_EQ(plugIn->ExecuteCommand(0), 1u);
    EXPECT_EQ(Updates(board.Sheet()), 1u);
}

// The texts themselves are data; the message boxes that show them are checked in the tool tests.
TEST(Resources, TheStringTableIsSimplifiedChineseAndUnknownIdsReadEmpty)
{
    const HINSTANCE h = TestInstance();
    EXPECT_EQ(GetResourceString(h, 61808).str(), "门不能对换");
    EXPECT_EQ(GetResourceStringIDs(h).size(), 41u);
    EXPECT_TRUE(GetResourceString(h, 12).IsEmpty());
    const LQ_RESOURCE* table = AfxFindResource(h, RT_STRING, 1);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->wLanguage, 2052);
}

TEST(Resources, CursorsAreMonochrome32By32HotAtTheTopLeftAndToolbarBitmaps16By15AtFourBits)
{
    const HINSTANCE h = TestInstance();
    for (UINT id : {132u, 133u}) {
        LQ_IMAGEINFO info;
        ASSERT_TRUE(LQGetCursorInfo(LoadCursor(h, id), &info)) << id;
        EXPECT_EQ(std::vector<int>({info.nWidth, info.nHeight, info.nBitsPerPixel, info.nHotSpotX, info.nHotSpotY}),
                  std::vector<int>({32, 32, 1, 0, 0}))
            << id;
    }
    EXPECT_EQ(LoadCursor(h, 134), nullptr);
    for (UINT id : {1102u, 1109u}) {
        LQ_IMAGEINFO info;
        ASSERT_TRUE(LQGetBitmapInfo(LoadBitmap(h, id), &info)) << id;
        EXPECT_EQ(std::vector<int>({info.nWidth, info.nHeight, info.nBitsPerPixel}), std::vector<int>({16, 15, 4}))
            << id;
    }
}

}  // namespace
