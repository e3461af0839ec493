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
    EXPECT_STREQ(v.lpszProviderKind, "LQ_CommandsProvider");
    EXPECT_STREQ(v.lpszModuleName, "Quillon");
    EXPECT_STREQ(v.lpszDisplayName, "Quillon extension");
    EXPECT_EQ(v.wModuleCode, LQ_MODULECODE_COMMANDS);
    EXPECT_EQ(v.wReserved10, 0xABABu);
    EXPECT_EQ(std::vector<DWORD>({v.dwValue16, v.dwValue20, v.dwValue24, v.dwValue28}),
              std::vector<DWORD>({1, 1, 1, 0}));
    EXPECT_EQ(v.dwHost32, 0xABABABABu);
    EXPECT_EQ(v.dwHost36, 0xABABABABu);
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
    EXPECT_EQ(LQGetInterfaceObject("clq_plugininterface"), plugIn);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PLUGININTERFACE"), plugIn);
    for (const char* wrong : {"CLQ_PlugInInterface ", "CLQ_PlugIn", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(LQGetInterfaceObject(wrong), nullptr) << (wrong ? wrong : "null");
    EXPECT_EQ(LQGetInterfaceObject("clq_drawobjectsinterface"),
              static_cast<CInterfaceConnector*>(GetDrawObjectsInterface()));

    // One hidden window.
    const auto& windows = AfxGetHostLog().windows;
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].strName, "QuillonCommand");
    EXPECT_EQ(windows[0].dwStyle | windows[0].dwExStyle | windows[0].nID, 0u);
    EXPECT_EQ(windows[0].rect.right, 100);
    EXPECT_EQ(windows[0].rect.bottom, 100);
    EXPECT_EQ(windows[0].pParent, nullptr);
    EXPECT_FALSE(windows[0].bDestroyed);
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

TEST_F(CommandSet, RecordsCarryTheTableValuesAndTheModuleHandle)
{
    const struct {
        DWORD kind, bitmap;
        WORD id;
        DWORD category, name, shortText, description, menuPath, menuItem;
    } expected[3] = {
        {1, 1102, 1000, 61805, 61548, 61550, 61552, 61804, 61555},
        {3, 1109, 1001, 61805, 61556, 61557, 61558, 61804, 61559},
        {2, 0, 0, 61806, 61549, 61551, 61553, 61807, 61554},
    };
    ASSERT_EQ(plugIn->GetCommandCount(), 3u);
    for (UINT i = 0; i < 3; ++i) {
        COMMANDINFOSTRUCT c;
        std::memset(&c, 0x5A, sizeof c);
        ASSERT_TRUE(plugIn->GetCommandInfo(i, &c));
        const auto& e = expected[i];
        EXPECT_EQ(c.hInstance, TestInstance());
        EXPECT_EQ(std::vector<DWORD>({c.dwKind, c.dwBitmapID, c.wCommandID, c.idCategory, c.idName, c.idShortText,
                                      c.idDescription, c.idMenuPath, c.idMenuItem}),
                  std::vector<DWORD>(
                      {e.kind, e.bitmap, e.id, e.category, e.name, e.shortText, e.description, e.menuPath, e.menuItem}))
            << i;
        EXPECT_STREQ(c.lpszDocType, "LAYOUTDESIGN");
        EXPECT_EQ(c.lReserved48, -1);
        for (DWORD zero : {c.dwReserved4, c.dwReserved8, c.dwReserved24, c.dwReserved40, c.dwReserved56, c.dwReserved60,
                           c.dwReserved72, c.dwReserved76, DWORD(c.wReserved22), DWORD(c.byReserved80),
                           DWORD(c.wReserved82), DWORD(c.byReserved84)})
            EXPECT_EQ(zero, 0u);
    }
    EXPECT_EQ(g_commandTable[0].hInstance, nullptr);
}

TEST_F(CommandSet, OutOfRangeAndNullLeaveTheOutputUntouched)
{
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
    EXPECT_EQ(plugIn->SetHostValue(0xDEADBEEF), 0xDEADBEEFu);
    EXPECT_EQ(plugIn->GetHostValue(), 0xDEADBEEFu);
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
    // The handler fills the record of the index that the request names.
    EXPECT_EQ(handler.pObject, static_cast<CLQ_PlugInInterface*>(plugIn));
    COMMANDINFOSTRUCT c{};
    const DWORD request = 1;
    EXPECT_EQ((handler.pObject->*handler.pfn)(&c, &request), 0u);
    EXPECT_EQ(c.wCommandID, 1001);
    EXPECT_EQ(c.hInstance, TestInstance());
    COMMANDINFOSTRUCT byId{};
    EXPECT_TRUE(plugIn->GetCommandInfoUsingID(1001, &byId));
    EXPECT_EQ(byId.idName, 61556u);
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

TEST(Resources, TheStringTableHoldsExactlyTheExpectedSimplifiedChineseTexts)
{
    const std::map<UINT, std::string> expected = {
        {1, "选择想对换的管脚"}, {2, "自动管脚和门对换"}, {3, "选择你想要到对换的门"}, {4, "移动元件时自动对换管脚和门"},
        {5, "当移动时自动对换管脚"}, {6, "管脚和门对换"}, {7, "管脚和门对换设置"}, {8, "SwapSettings"}, {9, "对换设置"},
        {10, "对换设置"}, {11, "管脚和门对换设置"}, {95, "0\\工具(&T)\\"}, {61547, "工具"}, {61548, "SwapPinTool"},
        {61549, "AutoQuillon"}, {61550, "对换管脚"}, {61551, "自动管脚和门对换"}, {61552, "手动对换管脚"},
        {61553, "自动管脚和门对换"}, {61554, "2\\自动门电路管脚对换(&A)"}, {61555, "7\\对换管脚(&N)"},
        {61556, "SwapGateTool"}, {61557, "对换门"}, {61558, "手动对换门"}, {61559, "8\\对换门(&G)"},
        {61560, "AutoQuillonTool"}, {61561, "当移动时自动管脚和门对换"}, {61562, "3\\在移动的时候自动管脚和门电路对换(&M)"},
        {61563, "当移动时自动管脚和门对换"}, {61564, "AutoPinSwapTool"}, {61565, "当移动时自动管脚对换"},
        {61566, "4\\在移动的时候自动管脚对换(&M)"}, {61567, "当移动时自动管脚对换"}, {61568, "管脚和门对换"},
        {61569, "选择管脚不能对换因为它不包含管脚组信息."}, {61570, "选择管脚不能被对换."}, {61804, "4\\设计(&D)\\"},
        {61805, "设计"}, {61806, "选项"}, {61807, "6\\属性(&O)\\"}, {61808, "门不能对换"},
    };
    const HINSTANCE h = TestInstance();
    std::vector<UINT> expectedIds;
    for (const auto& [id, text] : expected) {
        expectedIds.push_back(id);
        EXPECT_EQ(GetResourceString(h, id).str(), text) << id;
    }
    EXPECT_EQ(GetResourceStringIDs(h), expectedIds);
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
