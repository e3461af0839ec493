// The plug-in as the host meets it: loaded at run time, reached only through its four exports
// and the interface objects that they hand out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/HostApp.h"
#include "host/PlugInBase.h"
#include "host/Window.h"
#include "tests/support/BoardBuilder.h"

namespace {
using namespace lqtest;
using Texts = std::vector<std::string>;

const char* const kEntries[] = {"LQDLLGetVersion", "InitDll", "LQGetInterfaceObject", "ExitDll"};

std::string ModulePath()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    const std::string exe(buf, n > 0 ? static_cast<std::size_t>(n) : 0u);
    return exe.substr(0, exe.find_last_of('/')) + "/libquillon.so";
}

TEST(PlugInBoundary, ExportsOnlyTheEntryPointsAndTheSwapClasses)
{
    FILE* pipe = popen(("nm -D --defined-only -C '" + ModulePath() + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string s(line);
        s.erase(s.find_last_not_of("\r\n") + 1);
        // "address type name", the name possibly holding blanks.
        ASSERT_NE(s.find(' '), std::string::npos) << s;
        names.insert(s.substr(s.find(' ') + 3));
    }
    ASSERT_EQ(pclose(pipe), 0);
    const Texts classes{"CGate", "CSwapItem", "CSwapItemPin", "CSwapItemGate"};
    for (const std::string& name : names) {
        bool allowed = std::find(std::begin(kEntries), std::end(kEntries), name) != std::end(kEntries);
        for (const std::string& c : classes)
            allowed = allowed || name.rfind(c + "::", 0) == 0 || name == "vtable for " + c ||
                      name == "typeinfo for " + c || name == "typeinfo name for " + c;
        EXPECT_TRUE(allowed) << "exported: " << name;
    }
    for (const char* entry : kEntries)
        EXPECT_EQ(names.count(entry), 1u) << entry;
    for (const std::string& c : classes) {
        EXPECT_EQ(names.count("vtable for " + c), 1u) << c;
        EXPECT_EQ(names.count(c + "::GetRuntimeClass() const"), 1u) << c;
    }
}

TEST(PlugInBoundary, AHostSessionFromLoadToUnload)
{
    AfxGetHostLog().Clear();
    const int librariesBefore = AfxGetDynLinkLibraryCount();
    CString error;
    const HINSTANCE hModule = LQLoadLibrary(ModulePath().c_str(), &error);
    ASSERT_NE(hModule, nullptr) << error.str();
    EXPECT_EQ(AfxGetDynLinkLibraryCount(), librariesBefore + 1);
    auto pfnVersion = reinterpret_cast<int (*)(VERSIONINFOSTRUCT*)>(LQGetProcAddress(hModule, "LQDLLGetVersion"));
    auto pfnInit = reinterpret_cast<void (*)()>(LQGetProcAddress(hModule, "InitDll"));
    auto pfnInterface =
        reinterpret_cast<CInterfaceConnector* (*)(const char*)>(LQGetProcAddress(hModule, "LQGetInterfaceObject"));
    auto pfnExit = reinterpret_cast<void (*)()>(LQGetProcAddress(hModule, "ExitDll"));
    ASSERT_TRUE(pfnVersion && pfnInit && pfnInterface && pfnExit);
    VERSIONINFOSTRUCT version{};
    EXPECT_EQ(pfnVersion(&version), 1);
    EXPECT_STREQ(version.lpszModuleName, "Quillon");
    EXPECT_EQ(pfnInterface("CLQ_PlugInInterface"), nullptr);
    pfnInit();
    auto* plugIn = static_cast<CLQ_PlugInInterface*>(pfnInterface("CLQ_PlugInInterface"));
    auto* drawObjects = static_cast<CLQ_DrawObjectsInterface*>(pfnInterface("clq_drawobjectsinterface"));
    ASSERT_NE(plugIn, nullptr);
    ASSERT_NE(drawObjects, nullptr);
    EXPECT_EQ(
        EventDatabaseChanged.GetCallBackCount() + EventNetListChanged.GetCallBackCount() + EventMove.GetCallBackCount(),
        3);

    // U1: NAND gates A and B and an inverter C in a row.
    BoardBuilder board;
    CLayoutComponent* u1 = board.Part("U1", 1, true, {}, CLQRect(0, -100, 1000, 100));
    const struct {
        const char *gate, *group, *pinGroup;
        int x, farX;
    } rows[] = {{"A", "NAND", "IN", 0, 300},   {"A", "NAND", "IN", 100, -200}, {"A", "NAND", "OUT", 200, 200},
                {"B", "NAND", "IN", 400, 400}, {"B", "NAND", "IN", 500, 500},  {"B", "NAND", "OUT", 600, 600},
                {"C", "INV", "IN", 800, 800},  {"C", "INV", "OUT", 900, 900}};
    std::vector<CLayoutPin*> pins;
    for (const auto& r : rows) {
        const std::string number = std::to_string(pins.size() + 1);
        pins.push_back(board.GatePin(u1, {r.x, 0}, number, r.gate, r.group, r.pinGroup));
        board.Wire(pins.back(), {r.farX, 1000}, "N" + number);
    }
    CLayoutSubSheet* sheet = board.Sheet();
    CDrawContext dc;
    dc.SetZoom(1);
    LQSetDrwSubSheet(sheet);
    LQSetDrawContext(&dc);
    const auto& records = sheet->GetBackAnnotationManager()->GetRecords();
    const auto& updates = sheet->GetNetlist()->GetUpdates();
    // Each tool is picked by its UI ID, made the host's current tool and clicked twice.
    auto use = [&](UINT uiid, CLQPoint first, CLQPoint second) {
        CDrawTool* tool = drawObjects->GetToolByUIID(uiid);
        LQSetDrawTool(tool);
        CCmdUI ui;
        plugIn->UpdateCommandUI(uiid & 0xFFFF, &ui);
        EXPECT_EQ(ui.m_nChecked, 1);
        tool->SetDrawContext(&dc);
        tool->InitTool(nullptr);
        tool->LButtonDown(0, first);
        tool->LButtonDown(0, second);
        tool->EndTool();
        AfxPumpEvents();
        return tool;
    };
    CDrawTool* pinTool = use(0x703E8, {0, 0}, {100, 0});
    EXPECT_EQ(NetsOf({pins[0], pins[1]}), (Texts{"N2", "N1"}));
    CDrawTool* gateTool = use(0x703E9, {100, 0}, {500, 0});
    EXPECT_EQ(NetsOf({pins.begin(), pins.begin() + 6}), (Texts{"N4", "N5", "N6", "N2", "N1", "N3"}));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].eKind, BACKANNO_PINSWAP);
    EXPECT_EQ(records[1].eKind, BACKANNO_GATESWAP);
    EXPECT_EQ(updates.size(), 2u);

    // ExitDll tears everything down; the tools stay inert until the module is unloaded.
    pfnExit();
    EXPECT_EQ(pfnInterface("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(pfnInterface("CLQ_DrawObjectsInterface"), nullptr);
    EXPECT_TRUE(AfxGetHostLog().windows.at(0).bDestroyed);
    EXPECT_EQ(
        EventDatabaseChanged.GetCallBackCount() + EventNetListChanged.GetCallBackCount() + EventMove.GetCallBackCount(),
        0);
    AfxGetHostLog().Clear();
    dc.ClearCalls();
    for (CDrawTool* tool : {gateTool, pinTool}) {
        tool->LButtonDown(0, {100, 0});
        tool->LButtonDown(0, {500, 0});
        tool->DrawToolOverlay();
    }
    EXPECT_TRUE(dc.GetCalls().empty());
    EXPECT_TRUE(AfxGetHostLog().messageBoxes.empty());
    EXPECT_EQ(updates.size(), 2u);
    LQSetDrawTool(nullptr);
    LQSetDrawContext(nullptr);
    LQSetDrwSubSheet(nullptr);
    EXPECT_TRUE(LQFreeLibrary(hModule));
    EXPECT_EQ(AfxGetDynLinkLibraryCount(), librariesBefore);
    EXPECT_TRUE(GetResourceString(hModule, 61808).IsEmpty());
}

}  // namespace
