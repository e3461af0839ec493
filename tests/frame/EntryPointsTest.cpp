// Module entry points: the version record, interface lookup, set-up and tear-down.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/Events.h"
#include "host/Extension.h"
#include "host/Window.h"
#include "module/frame/DrawObjectInterface.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "tests/support/ModuleFixture.h"

namespace {
using lqtest::ModuleTest;

std::vector<std::string> g_destroyed;

class RecordingPlugIn : public CPlugInInterface {
public:
    ~RecordingPlugIn() override { g_destroyed.push_back("plug-in"); }
};
class RecordingDrawObjects : public CDrawObjectInterface {
public:
    ~RecordingDrawObjects() override { g_destroyed.push_back("draw-objects"); }
};

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
    EXPECT_EQ(v.dwValue16, 1u);
    EXPECT_EQ(v.dwValue20, 1u);
    EXPECT_EQ(v.dwValue24, 1u);
    EXPECT_EQ(v.dwValue28, 0u);
    EXPECT_EQ(v.dwHost32, 0xABABABABu);
    EXPECT_EQ(v.dwHost36, 0xABABABABu);
}

class InterfaceLookup : public ModuleTest {};

TEST_F(InterfaceLookup, AnswersNullBeforeInitialisation)
{
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_DrawObjectsInterface"), nullptr);
}

TEST_F(InterfaceLookup, IgnoresLetterCaseButNotBlanksOrOtherNames)
{
    InitModule();
    CInterfaceConnector* plugIn = LQGetInterfaceObject("CLQ_PlugInInterface");
    ASSERT_NE(plugIn, nullptr);
    EXPECT_EQ(plugIn, static_cast<CInterfaceConnector*>(GetPlugInInterface()));
    EXPECT_EQ(LQGetInterfaceObject("clq_plugininterface"), plugIn);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PLUGININTERFACE"), plugIn);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PlugInInterface "), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_PlugIn"), nullptr);
    EXPECT_EQ(LQGetInterfaceObject(""), nullptr);
    EXPECT_EQ(LQGetInterfaceObject(nullptr), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("clq_drawobjectsinterface"),
              static_cast<CInterfaceConnector*>(GetDrawObjectsInterface()));
}

TEST_F(InterfaceLookup, InitialisationCreatesTheHiddenWindowOnce)
{
    InitModule();
    const auto& windows = AfxGetHostLog().windows;
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].strName, "QuillonCommand");
    EXPECT_EQ(windows[0].dwStyle, 0u);
    EXPECT_EQ(windows[0].dwExStyle, 0u);
    EXPECT_EQ(windows[0].rect.left, 0);
    EXPECT_EQ(windows[0].rect.right, 100);
    EXPECT_EQ(windows[0].rect.bottom, 100);
    EXPECT_EQ(windows[0].pParent, nullptr);
    EXPECT_EQ(windows[0].nID, 0u);
    EXPECT_FALSE(windows[0].bDestroyed);
}

TEST_F(InterfaceLookup, ExitDestroysThePlugInBeforeTheDrawObjectsAndClearsBoth)
{
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
    ASSERT_EQ(AfxGetHostLog().windows.size(), 1u);
    EXPECT_TRUE(AfxGetHostLog().windows[0].bDestroyed);
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
}

TEST_F(InterfaceLookup, AFailedDrawObjectsAllocationLeavesOnlyThatNameUnanswered)
{
    FactoryGuard guard;
    SetInterfaceFactories(nullptr, []() -> CDrawObjectInterface* { return nullptr; });
    InitModule();
    EXPECT_NE(LQGetInterfaceObject("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(LQGetInterfaceObject("CLQ_DrawObjectsInterface"), nullptr);
}

TEST(DllMainTest, AFailingExtensionSetUpFailsTheAttach)
{
    const HINSTANCE before = GetModuleInstance();
    AfxSetExtensionInitFailure(true);
    static int other = 0;
    EXPECT_EQ(DllMain(reinterpret_cast<HINSTANCE>(&other), DLL_PROCESS_ATTACH, nullptr), 0);
    EXPECT_EQ(GetModuleInstance(), before);
    EXPECT_EQ(DllMain(reinterpret_cast<HINSTANCE>(&other), DLL_THREAD_ATTACH, nullptr), 1);
    EXPECT_EQ(DllMain(reinterpret_cast<HINSTANCE>(&other), DLL_THREAD_DETACH, nullptr), 1);
}

TEST(DllMainTest, AttachSavesTheInstanceAndChainsTheLibrary)
{
    EXPECT_EQ(GetModuleInstance(), lqtest::TestInstance());
    EXPECT_GE(AfxGetDynLinkLibraryCount(), 1);
}

}  // namespace
