// The plug-in as the host meets it: loaded at run time, reached only through its four exports
// and the interface objects that they hand out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/HostApp.h"
#include "host/PlugInBase.h"
#include "host/Window.h"
#include "tests/support/BoardBuilder.h"

namespace {
using lqtest::BoardBuilder;
using lqtest::NetOf;

using GetVersionProc = int (*)(VERSIONINFOSTRUCT*);
using InitDllProc = void (*)();
using GetInterfaceProc = CInterfaceConnector* (*)(const char*);
using ExitDllProc = void (*)();

std::string ModulePath()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    const std::string exe(buf, n > 0 ? static_cast<std::size_t>(n) : 0u);
    return exe.substr(0, exe.find_last_of('/')) + "/libquillon.so";
}

std::vector<std::string> Nets(const std::vector<CLayoutPin*>& pins)
{
    std::vector<std::string> out;
    for (CLayoutPin* p : pins)
        out.push_back(NetOf(p));
    return out;
}

TEST(PlugInBoundary, ExportsOnlyTheEntryPointsAndTheSwapClasses)
{
    const std::string command = "nm -D --defined-only -C '" + ModulePath() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string s(line);
        s.erase(s.find_last_not_of("\r\n") + 1);
        // "address type name", the name possibly holding blanks.
        const std::size_t type = s.find(' ');
        ASSERT_NE(type, std::string::npos) << s;
        names.insert(s.substr(type + 3));
    }
    ASSERT_EQ(pclose(pipe), 0);

    const std::vector<std::string> classes{"CGate", "CSwapItem", "CSwapItemPin", "CSwapItemGate"};
    auto allowed = [&](const std::string& name) {
        for (const char* entry : {"LQDLLGetVersion", "InitDll", "LQGetInterfaceObject", "ExitDll"})
            if (name == entry)
                return true;
        for (const std::string& c : classes)
            if (name.rfind(c + "::", 0) == 0 || name == "vtable for " + c || name == "typeinfo for " + c ||
                name == "typeinfo name for " + c)
                return true;
        return false;
    };
    for (const std::string& name : names)
        EXPECT_TRUE(allowed(name)) << "exported: " << name;
    for (const char* entry : {"LQDLLGetVersion", "InitDll", "LQGetInterfaceObject", "ExitDll"})
        EXPECT_EQ(names.count(entry), 1u) << entry;
    for (const std::string& c : classes) {
        EXPECT_EQ(names.count("vtable for " + c), 1u) << c;
        EXPECT_EQ(names.count("typeinfo for " + c), 1u) << c;
        EXPECT_EQ(names.count(c + "::GetRuntimeClass() const"), 1u) << c;
    }
}

// U1: NAND gates A and B and an inverter C in a row; U2: one NAND gate with crossed inputs.
struct SessionBoard {
    explicit SessionBoard(BoardBuilder& b)
    {
        CLayoutComponent* j1 = b.Part("J1", 0, false);
        u1 = b.Part("U1", 1, true, {}, CLQRect(0, -100, 1000, 100));
        u2 = b.Part("U2", 1, true, {}, CLQRect(2000, -100, 2200, 100));
        const struct {
            CLayoutComponent* part;
            const char* gate;
            const char* group;
            const char* pinGroup;
            int x;
            CLQPoint farEnd;
        } rows[] = {
            {u1, "A", "NAND", "IN", 0, {300, 1000}},    {u1, "A", "NAND", "IN", 100, {-200, 1000}},
            {u1, "A", "NAND", "OUT", 200, {200, 1000}},  {u1, "B", "NAND", "IN", 400, {400, 1000}},
            {u1, "B", "NAND", "IN", 500, {500, 1000}},   {u1, "B", "NAND", "OUT", 600, {600, 1000}},
            {u1, "C", "INV", "IN", 800, {800, 1000}},    {u1, "C", "INV", "OUT", 900, {900, 1000}},
            {u2, "A", "NAND", "IN", 2000, {2300, 1000}}, {u2, "A", "NAND", "IN", 2100, {1800, 1000}},
            {u2, "A", "NAND", "OUT", 2200, {2200, 1000}},
        };
        int n = 1;
        for (const auto& r : rows) {
            const std::string number = std::to_string(n++);
            CLayoutPin* pin = b.GatePin(r.part, {r.x, 0}, number, r.gate, r.group, r.pinGroup);
            CLayoutPin* end = b.Pin(j1, r.farEnd, {{LQ_PIN, number}});
            b.Net("N" + number, {pin, end});
            pins.push_back(pin);
        }
    }
    CLayoutComponent* u1;
    CLayoutComponent* u2;
    std::vector<CLayoutPin*> pins;
};

TEST(PlugInBoundary, AHostSessionFromLoadToUnload)
{
    AfxGetHostLog().Clear();
    const int librariesBefore = AfxGetDynLinkLibraryCount();
    CString error;
    const HINSTANCE hModule = LQLoadLibrary(ModulePath().c_str(), &error);
    ASSERT_NE(hModule, nullptr) << error.str();
    EXPECT_EQ(AfxGetDynLinkLibraryCount(), librariesBefore + 1);
    auto pfnVersion = reinterpret_cast<GetVersionProc>(LQGetProcAddress(hModule, "LQDLLGetVersion"));
    auto pfnInit = reinterpret_cast<InitDllProc>(LQGetProcAddress(hModule, "InitDll"));
    auto pfnInterface = reinterpret_cast<GetInterfaceProc>(LQGetProcAddress(hModule, "LQGetInterfaceObject"));
    auto pfnExit = reinterpret_cast<ExitDllProc>(LQGetProcAddress(hModule, "ExitDll"));
    ASSERT_TRUE(pfnVersion && pfnInit && pfnInterface && pfnExit);

    VERSIONINFOSTRUCT version;
    std::memset(&version, 0xAB, sizeof version);
    EXPECT_EQ(pfnVersion(&version), 1);
    EXPECT_STREQ(version.lpszProviderKind, "LQ_CommandsProvider");
    EXPECT_STREQ(version.lpszModuleName, "Quillon");
    EXPECT_EQ(version.dwHost32, 0xABABABABu);
    EXPECT_EQ(pfnInterface("CLQ_PlugInInterface"), nullptr);

    pfnInit();
    auto* plugIn = static_cast<CLQ_PlugInInterface*>(pfnInterface("CLQ_PlugInInterface"));
    auto* drawObjects = static_cast<CLQ_DrawObjectsInterface*>(pfnInterface("clq_drawobjectsinterface"));
    ASSERT_NE(plugIn, nullptr);
    ASSERT_NE(drawObjects, nullptr);
    EXPECT_EQ(plugIn->GetCommandCount(), 3u);
    EXPECT_EQ(EventDatabaseChanged.GetCallBackCount(), 1);
    EXPECT_EQ(EventNetListChanged.GetCallBackCount(), 1);
    EXPECT_EQ(EventMove.GetCallBackCount(), 1);
    ASSERT_EQ(AfxGetHostLog().windows.size(), 1u);
    EXPECT_EQ(AfxGetHostLog().windows[0].strName.str(), "QuillonCommand");

    BoardBuilder board;
    SessionBoard parts(board);
    CLayoutSubSheet* sheet = board.Sheet();
    CDrawContext dc;
    dc.SetZoom(1);
    LQSetDrwSubSheet(sheet);
    LQSetDrawContext(&dc);
    const auto& records = sheet->GetBackAnnotationManager()->GetRecords();
    const auto& updates = sheet->GetNetlist()->GetUpdates();

    // The swap pin tool exchanges U1.1 and U1.2.
    CDrawTool* pinTool = drawObjects->GetToolByUIID(0x703E8);
    ASSERT_NE(pinTool, nullptr);
    EXPECT_STREQ(pinTool->GetRuntimeClass()->m_lpszClassName, "CSwapPinTool");
    EXPECT_EQ(pinTool->GetUIID(), 0x703E8u);
    LQSetDrawTool(pinTool);
    CCmdUI pinUI;
    plugIn->UpdateCommandUI(1000, &pinUI);
    EXPECT_EQ(pinUI.m_nChecked, 1);
    pinTool->SetDrawContext(&dc);
    pinTool->InitTool(nullptr);
    pinTool->LButtonDown(0, {0, 0});
    pinTool->LButtonDown(0, {100, 0});
    pinTool->EndTool();
    EXPECT_EQ(NetOf(parts.pins[0]), "N2");
    EXPECT_EQ(NetOf(parts.pins[1]), "N1");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].eKind, BACKANNO_PINSWAP);
    AfxPumpEvents();

    // The swap gate tool: the inverter is refused, gate B is taken.
    CDrawTool* gateTool = drawObjects->GetToolByUIID(0x703E9);
    ASSERT_NE(gateTool, nullptr);
    EXPECT_STREQ(gateTool->GetRuntimeClass()->m_lpszClassName, "CSwapGateTool");
    LQSetDrawTool(gateTool);
    CCmdUI gateUI;
    plugIn->UpdateCommandUI(1001, &gateUI);
    EXPECT_EQ(gateUI.m_nEnabled, 1);
    EXPECT_EQ(gateUI.m_nChecked, 1);
    gateTool->SetDrawContext(&dc);
    gateTool->InitTool(nullptr);
    gateTool->LButtonDown(0, {100, 0});
    gateTool->LButtonDown(0, {850, 0});
    ASSERT_EQ(AfxGetHostLog().messageBoxes.size(), 1u);
    EXPECT_EQ(AfxGetHostLog().messageBoxes[0].strText.str(), "门不能对换");
    dc.ClearCalls();
    gateTool->DrawToolOverlay();
    EXPECT_NE(std::find(dc.GetCalls().begin(), dc.GetCalls().end(), "SetColor(32)"), dc.GetCalls().end());
    gateTool->LButtonDown(0, {500, 0});
    gateTool->EndTool();
    EXPECT_EQ(Nets({parts.pins.begin(), parts.pins.begin() + 6}),
              (std::vector<std::string>{"N4", "N5", "N6", "N2", "N1", "N3"}));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].eKind, BACKANNO_GATESWAP);
    AfxPumpEvents();

    // Moving U2 with pin swapping on uncrosses its inputs.
    sheet->GetMoveSwapState() = CMoveSwapState{1, true, 0};
    parts.u2->SetSelected(true, true);
    LQMoveSelection(0, 50);
    EXPECT_EQ(Nets({parts.pins.begin() + 8, parts.pins.end()}), (std::vector<std::string>{"N10", "N9", "N11"}));
    EXPECT_EQ(updates.size(), 3u);
    AfxPumpEvents();
    for (const auto& net : sheet->GetNetlist()->GetNets())
        EXPECT_EQ(net->GetNetPinCount(), 2) << net->GetName().str();

    // ExitDll tears everything down; the tools stay inert until the module is unloaded.
    pfnExit();
    EXPECT_EQ(pfnInterface("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(pfnInterface("CLQ_DrawObjectsInterface"), nullptr);
    EXPECT_TRUE(AfxGetHostLog().windows[0].bDestroyed);
    EXPECT_EQ(EventDatabaseChanged.GetCallBackCount(), 0);
    EXPECT_EQ(EventNetListChanged.GetCallBackCount(), 0);
    EXPECT_EQ(EventMove.GetCallBackCount(), 0);
    AfxGetHostLog().Clear();
    dc.ClearCalls();
    gateTool->LButtonDown(0, {100, 0});
    gateTool->LButtonDown(0, {500, 0});
    gateTool->DrawToolOverlay();
    pinTool->LButtonDown(0, {0, 0});
    pinTool->LButtonDown(0, {100, 0});
    EXPECT_TRUE(dc.GetCalls().empty());
    EXPECT_TRUE(AfxGetHostLog().messageBoxes.empty());
    EXPECT_EQ(updates.size(), 3u);
    EXPECT_EQ(NetOf(parts.pins[0]), "N4");

    LQSetDrawTool(nullptr);
    LQSetDrawContext(nullptr);
    LQSetDrwSubSheet(nullptr);
    EXPECT_TRUE(LQFreeLibrary(hModule));
    EXPECT_EQ(AfxGetDynLinkLibraryCount(), librariesBefore);
    EXPECT_TRUE(GetResourceString(hModule, 61808).IsEmpty());
}

}  // namespace
