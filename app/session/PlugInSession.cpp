#include "app/session/PlugInSession.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "app/core/Errors.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/String.h"

namespace lq {

namespace {
using GetVersionProc = int (*)(VERSIONINFOSTRUCT*);
using InitDllProc = void (*)();
using GetInterfaceProc = CInterfaceConnector* (*)(const char*);
using ExitDllProc = void (*)();

template <class Proc>
Proc Resolve(HINSTANCE hModule, const char* name, const std::string& path)
{
    void* p = LQGetProcAddress(hModule, name);
    if (p == nullptr)
        throw JobError(path + ": not a Quillon plug-in: the export " + name + " is missing");
    return reinterpret_cast<Proc>(p);
}
}  // namespace

PlugInSession::PlugInSession(const std::string& modulePath)
{
    CString error;
    m_hModule = LQLoadLibrary(modulePath.c_str(), &error);
    if (m_hModule == nullptr)
        throw JobError(modulePath + ": cannot load the plug-in: " + error.str());
    try {
        auto pfnVersion = Resolve<GetVersionProc>(m_hModule, "LQDLLGetVersion", modulePath);
        auto pfnInit = Resolve<InitDllProc>(m_hModule, "InitDll", modulePath);
        auto pfnInterface = Resolve<GetInterfaceProc>(m_hModule, "LQGetInterfaceObject", modulePath);
        m_pfnExitDll = Resolve<ExitDllProc>(m_hModule, "ExitDll", modulePath);
        pfnVersion(&m_version);
        pfnInit();
        m_pPlugIn = static_cast<CLQ_PlugInInterface*>(pfnInterface("CLQ_PlugInInterface"));
        m_pDrawObjects = static_cast<CLQ_DrawObjectsInterface*>(pfnInterface("CLQ_DrawObjectsInterface"));
        if (m_pPlugIn == nullptr)
            throw JobError(modulePath + ": the plug-in did not hand out its command interface");
    } catch (...) {
        if (m_pfnExitDll != nullptr)
            m_pfnExitDll();
        LQFreeLibrary(m_hModule);
        throw;
    }
}

PlugInSession::~PlugInSession()
{
    m_pPlugIn = nullptr;
    m_pDrawObjects = nullptr;
    if (m_pfnExitDll != nullptr)
        m_pfnExitDll();
    LQFreeLibrary(m_hModule);
}

std::vector<CommandDescription> PlugInSession::Commands() const
{
    std::vector<CommandDescription> commands;
    const UINT n = m_pPlugIn->GetCommandCount();
    for (UINT i = 0; i < n; ++i) {
        CommandDescription c;
        LQCOMMANDHANDLER handler;
        if (!m_pPlugIn->GetCommandID(i, &c.fullId, &handler) || !m_pPlugIn->GetCommandInfo(i, &c.record))
            continue;
        c.commandId = c.record.wCommandID;
        const HINSTANCE h = c.record.hInstance;
        c.name = GetResourceString(h, c.record.idName).str();
        c.shortText = GetResourceString(h, c.record.idShortText).str();
        c.description = GetResourceString(h, c.record.idDescription).str();
        c.category = GetResourceString(h, c.record.idCategory).str();
        c.menuPath = GetResourceString(h, c.record.idMenuPath).str();
        c.menuItem = GetResourceString(h, c.record.idMenuItem).str();
        commands.push_back(std::move(c));
    }
    return commands;
}

std::optional<CommandDescription> PlugInSession::FindCommand(const std::string& name) const
{
    for (CommandDescription& c : Commands())
        if (_mbsicmp(c.name.c_str(), name.c_str()) == 0)
            return c;
    return std::nullopt;
}

CCmdUI PlugInSession::QueryState(const CommandDescription& command) const
{
    CCmdUI ui(command.fullId);
    m_pPlugIn->UpdateCommandUI(command.commandId, &ui);
    AfxPumpEvents();
    return ui;
}

UINT PlugInSession::Execute(const CommandDescription& command) const
{
    const UINT result = m_pPlugIn->ExecuteCommand(command.commandId);
    AfxPumpEvents();
    return result;
}

std::string DefaultModulePath()
{
    if (const char* p = std::getenv("QUILLON_MODULE"); p != nullptr && *p != '\0')
        return p;
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    std::string dir = ".";
    if (n > 0) {
        std::string exe(buf, static_cast<std::size_t>(n));
        dir = exe.substr(0, exe.find_last_of('/'));
    }
    return dir + "/libquillon.so";
}

}  // namespace lq
