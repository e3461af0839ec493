// The plug-in as the host meets it: loaded at run time, reached only through its four exports
// and the interface objects that they hand out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <set>

#include "host/Events.h"
#include "host/Extension.h"
#include "host/HostApp.h"
#include "host/PlugInBase.h"
#include "host/Window.h"

namespace {
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

    // The exported ExitDll tears everything down (the tools' inertness afterwards:
    // SwapGateToolTest).
    pfnExit();
    EXPECT_EQ(pfnInterface("CLQ_PlugInInterface"), nullptr);
    EXPECT_EQ(pfnInterface("CLQ_DrawObjectsInterface"), nullptr);
    EXPECT_TRUE(AfxGetHostLog().windows.at(0).bDestroyed);
    EXPECT_EQ(
        EventDatabaseChanged.GetCallBackCount() + EventNetListChanged.GetCallBackCount() + EventMove.GetCallBackCount(),
        0);
    EXPECT_TRUE(LQFreeLibrary(hModule));
    EXPECT_EQ(AfxGetDynLinkLibraryCount(), librariesBefore);
    EXPECT_TRUE(GetResourceString(hModule, 61808).IsEmpty());
}

}  // namespace
